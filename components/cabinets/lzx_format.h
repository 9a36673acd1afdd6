// The LZX compressed format as cabinet readers expect it (compression type 3, the window
// size as log2 in bits 8-12 of the folder's typeCompress).
//
// The output is a sequence of 32 KiB frames; each frame's compressed bits fill one CFDATA
// block. Bits are packed most significant first into 16-bit little-endian words, and the
// stream is padded with zero bits to a whole word at the end of every frame, so that a
// reader may start each CFDATA block afresh. No match crosses a frame boundary.
//
//   stream header   1 bit: Intel E8 translation on; if set, 32 bits of translation size
//   block header    3 bits type (1 verbatim, 2 aligned offset, 3 uncompressed),
//                   24 bits uncompressed length; a block may span frames
//   aligned block   8 x 3 bits: the aligned-offset tree's code lengths, then as verbatim
//   verbatim block  main tree lengths 0-255, main tree lengths 256-end, length tree
//                   lengths, each range coded with its own pre-tree; then the symbols
//
// A pre-tree is 20 x 4-bit code lengths followed by its symbols: 0-16 give the new length
// as (previous length - symbol) mod 17, where the previous lengths are those of the same
// tree in the block before (zero at the start of the folder); 17 is a run of 4-19 zeros
// (4 more bits), 18 a run of 20-51 zeros (5 more bits). Symbol 19 (a short run of one
// value) is valid but we never write it. Main and length tree codes are at most 16 bits.
//
// A main symbol below 256 is a literal; otherwise (symbol - 256) holds the position slot
// (high bits) and the length header (low 3 bits, match length - 2, 7 meaning "add a
// length tree symbol"). Slots 0-2 repeat one of the three most recent offsets R0-R1-R2
// (which start as 1, 1, 1 and persist through the whole folder); other slots carry
// `kLzxExtraBits` verbatim bits, of which an aligned block codes the low 3 with the
// aligned tree when there are at least 3. Every Huffman code is canonical and complete.
//
// Intel E8 translation: before compression, in each of the folder's first 32,768 frames,
// every 0xE8 byte that starts at least 10 bytes before the frame's end is followed by a
// 32-bit relative offset that we turn into an absolute one (the 4 bytes are then skipped);
// readers undo it after each frame. Offsets outside [-position, translation size) stay.
// We never write uncompressed blocks: a verbatim block of literals costs at most a few
// bytes more on data that cannot shrink, and keeps the stream simple.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kLzxFrameSize = 32768;
inline constexpr unsigned kLzxDefaultWindowBits = 21;
inline constexpr unsigned kLzxMinWindowBits = 15;
inline constexpr unsigned kLzxMaxWindowBits = 21;
inline constexpr unsigned kLzxMinMatch = 2;
inline constexpr unsigned kLzxMaxMatch = 257;
inline constexpr unsigned kLzxNumChars = 256;
inline constexpr unsigned kLzxLengthHeaders = 8;
inline constexpr unsigned kLzxLengthSymbols = 249;
inline constexpr unsigned kLzxAlignedSymbols = 8;
inline constexpr unsigned kLzxPretreeSymbols = 20;
inline constexpr unsigned kLzxMaxCodeLength = 16;
inline constexpr unsigned kLzxMaxPretreeCodeLength = 15;
inline constexpr unsigned kLzxMaxAlignedCodeLength = 7;
inline constexpr unsigned kLzxBlockVerbatim = 1;
inline constexpr unsigned kLzxBlockAligned = 2;
// The translation size we write when the caller names none; at most kLzxMaxE8TranslationSize
// (readers hold it in a signed 32-bit integer).
inline constexpr std::uint32_t kLzxE8TranslationSize = 12000000;
inline constexpr std::uint32_t kLzxMaxE8TranslationSize = 1u << 30;
inline constexpr std::size_t kLzxE8Frames = 32768;
inline constexpr unsigned kLzxMaxPositionSlots = 50;
// The main tree of the largest window: the literals and a symbol per slot and length header.
inline constexpr std::size_t kLzxMaxMainSymbols = kLzxNumChars + kLzxMaxPositionSlots * kLzxLengthHeaders;

// Position slots per window size, indexed by window bits - 15.
inline constexpr std::array<unsigned, 7> kLzxPositionSlots = {30, 32, 34, 36, 38, 42, 50};

struct LzxSlotTable {
  std::array<std::uint32_t, kLzxMaxPositionSlots + 1> base{};
  std::array<std::uint8_t, kLzxMaxPositionSlots + 1> extra_bits{};
};

inline constexpr LzxSlotTable MakeLzxSlotTable() {
  LzxSlotTable table;
  for (unsigned i = 0; i <= kLzxMaxPositionSlots; ++i) {
    const unsigned extra = i < 4 ? 0 : (i - 2) / 2;
    table.extra_bits[i] = static_cast<std::uint8_t>(extra > 17 ? 17 : extra);
    if (i > 0) table.base[i] = table.base[i - 1] + (1u << table.extra_bits[i - 1]);
  }
  return table;
}

inline constexpr LzxSlotTable kLzxSlots = MakeLzxSlotTable();

// The position slot of a formatted offset (real offset + 2; at least 3).
inline unsigned LzxPositionSlot(std::uint32_t formatted_offset) {
  unsigned slot = 3;
  if (formatted_offset >= (1u << 18)) return 36 + ((formatted_offset - (1u << 18)) >> 17);
  // Slots come in pairs per power of two: 2k starts at 2^k, 2k + 1 at 3 * 2^(k-1).
  const unsigned high = 31 - static_cast<unsigned>(__builtin_clz(formatted_offset));
  if (high >= 2) slot = 2 * high + ((formatted_offset >> (high - 1)) & 1);
  return slot;
}
