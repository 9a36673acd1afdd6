// Writes LZX blocks: the symbols a parse chose, their Huffman trees coded against the
// trees of the block before, and the choice between a verbatim and an aligned-offset
// block, whichever is smaller (format notes in lzx_format.h).
#pragma once

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

class LzxBlockWriter {
 public:
  explicit LzxBlockWriter(unsigned window_bits);

  // Writes one block of `uncompressed_size` bytes whose parse is `items` (frame ends
  // included; each one closes a frame in `bits`).
  void Write(std::span<const LzxItem> items, std::uint32_t uncompressed_size, LzxBitWriter& bits);

 private:
  static constexpr std::size_t kMaxMainSymbols = kLzxNumChars + kLzxMaxPositionSlots * kLzxLengthHeaders;
  unsigned main_symbols_;
  // The trees' code lengths in the previous block, against which the next are coded.
  std::array<std::uint8_t, kMaxMainSymbols> main_lengths_{};
  std::array<std::uint8_t, kLzxLengthSymbols> length_lengths_{};
};
