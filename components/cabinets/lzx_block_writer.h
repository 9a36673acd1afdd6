// Writes LZX blocks: the symbols a parse chose, their Huffman trees coded against the
// trees of the block before, and the choice between a verbatim and an aligned-offset
// block, whichever is smaller (format notes in lzx_format.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "lzx_bit_writer.h"
#include "lzx_format.h"

// One step of a parse: a literal, a match, or the end of a frame.
struct LzxItem {
  static constexpr std::uint16_t kLiteral = 0;
  static constexpr std::uint16_t kFrameEnd = 0xFFFF;
  // kLiteral, kFrameEnd, or a match length (kLzxMinMatch..kLzxMaxMatch).
  std::uint16_t length = kLiteral;
  // The literal byte; a match's formatted offset (0-2 a repeated offset, else real + 2);
  // the uncompressed size of the frame that ends.
  std::uint32_t value = 0;
};

// A match's position slot (0-2 are the repeated offsets).
inline unsigned LzxMatchSlot(const LzxItem& match) {
  return match.value < 3 ? match.value : LzxPositionSlot(match.value);
}

// A match's symbol in the main tree: its slot and its length, or the length header that
// says the length tree follows.
inline unsigned LzxMatchMainSymbol(const LzxItem& match) {
  const unsigned header = std::min<unsigned>(match.length - kLzxMinMatch, kLzxLengthHeaders - 1);
  return kLzxNumChars + LzxMatchSlot(match) * kLzxLengthHeaders + header;
}

// A match's symbol in the length tree, or -1 when its length fits in the main symbol.
inline int LzxMatchLengthSymbol(const LzxItem& match) {
  return static_cast<int>(match.length) - static_cast<int>(kLzxMinMatch + kLzxLengthHeaders - 1);
}

class LzxBlockWriter {
 public:
  explicit LzxBlockWriter(unsigned window_bits);

  // Writes one block of `uncompressed_size` bytes whose parse is `items` (frame ends
  // included; each one closes a frame in `bits`).
  void Write(std::span<const LzxItem> items, std::uint32_t uncompressed_size, LzxBitWriter& bits);

 private:
  unsigned main_symbols_;
  // The trees' code lengths in the previous block, against which the next are coded.
  std::array<std::uint8_t, kLzxMaxMainSymbols> main_lengths_{};
  std::array<std::uint8_t, kLzxLengthSymbols> length_lengths_{};
};
