// Where LZX blocks end. Each block carries its own Huffman trees: small blocks follow the
// data (text, code, tables, noise) closely, large ones spend less on trees. The parse is
// cut into segments of kLzxSplitSegmentBytes; a segment joins the block before it unless
// its symbols' estimated cost in a block of their own, trees included, is lower than their
// cost added to that block.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "lzx_block_writer.h"

inline constexpr std::size_t kLzxSplitSegmentBytes = 8192;

// The index one past the last item of each block, in order; the last is items.size().
// A frame end stays with the item before it.
std::vector<std::size_t> LzxBlockEnds(std::span<const LzxItem> items);
