#include "lzx_block_writer.h"

#include <algorithm>
#include <vector>

#include "huffman_code.h"

namespace {

unsigned PositionSlotOf(std::uint32_t formatted_offset) {
  return formatted_offset < 3 ? formatted_offset : LzxPositionSlot(formatted_offset);
}

struct PretreeStep {
  std::uint8_t symbol;
  std::uint8_t extra;  // the run length field of symbols 17 and 18
};

// Codes the lengths of `current` against `previous` with a pre-tree of their own.
void WriteTreeLengths(std::span<const std::uint8_t> previous, std::span<const std::uint8_t> current, LzxBitWriter& bits) {
  std::vector<PretreeStep> steps;
  steps.reserve(current.size());
  for (std::size_t i = 0; i < current.size();) {
    std::size_t zeros = 0;
    while (i + zeros < current.size() && current[i + zeros] == 0 && zeros < 51) ++zeros;
    if (zeros >= 20) {
      steps.push_back({18, static_cast<std::uint8_t>(zeros - 20)});
      i += zeros;
    } else if (zeros >= 4) {
      steps.push_back({17, static_cast<std::uint8_t>(zeros - 4)});
      i += zeros;
    } else {
      steps.push_back({static_cast<std::uint8_t>((previous[i] + 17 - current[i]) % 17), 0});
      ++i;
    }
  }
  std::array<std::uint32_t, kLzxPretreeSymbols> frequencies{};
  for (const PretreeStep& step : steps) ++frequencies[step.symbol];
  std::array<std::uint8_t, kLzxPretreeSymbols> lengths{};
  std::array<std::uint16_t, kLzxPretreeSymbols> codes{};
  HuffmanCodeLengths(frequencies, kLzxMaxPretreeCodeLength, lengths);
  CanonicalHuffmanCodes(lengths, codes);
  for (std::uint8_t length : lengths) bits.Bits(length, 4);
  for (const PretreeStep& step : steps) {
    bits.Bits(codes[step.symbol], lengths[step.symbol]);
    if (step.symbol == 17) bits.Bits(step.extra, 4);
    if (step.symbol == 18) bits.Bits(step.extra, 5);
  }
}

}  // namespace

LzxBlockWriter::LzxBlockWriter(unsigned window_bits)
    : main_symbols_(kLzxNumChars + kLzxPositionSlots[window_bits - kLzxMinWindowBits] * kLzxLengthHeaders) {}

void LzxBlockWriter::Write(std::span<const LzxItem> items, std::uint32_t uncompressed_size, LzxBitWriter& bits) {
  std::array<std::uint32_t, kMaxMainSymbols> main_frequencies{};
  std::array<std::uint32_t, kLzxLengthSymbols> length_frequencies{};
  std::array<std::uint32_t, kLzxAlignedSymbols> aligned_frequencies{};
  for (const LzxItem& item : items) {
    if (item.length == LzxItem::kFrameEnd) continue;
    if (item.length == LzxItem::kLiteral) {
      ++main_frequencies[item.value];
      continue;
    }
    const unsigned slot = PositionSlotOf(item.value);
    const unsigned header = std::min<unsigned>(item.length - kLzxMinMatch, kLzxLengthHeaders - 1);
    ++main_frequencies[kLzxNumChars + slot * kLzxLengthHeaders + header];
    if (header == kLzxLengthHeaders - 1) ++length_frequencies[item.length - kLzxMinMatch - (kLzxLengthHeaders - 1)];
    if (slot >= 3 && kLzxSlots.extra_bits[slot] >= 3) ++aligned_frequencies[(item.value - kLzxSlots.base[slot]) & 7];
  }

  std::array<std::uint8_t, kMaxMainSymbols> main_lengths{};
  std::array<std::uint8_t, kLzxLengthSymbols> length_lengths{};
  std::array<std::uint8_t, kLzxAlignedSymbols> aligned_lengths{};
  const auto main_span = std::span(main_lengths).first(main_symbols_);
  HuffmanCodeLengths(std::span(main_frequencies).first(main_symbols_), kLzxMaxCodeLength, main_span);
  HuffmanCodeLengths(length_frequencies, kLzxMaxCodeLength, length_lengths);
  HuffmanCodeLengths(aligned_frequencies, kLzxMaxAlignedCodeLength, aligned_lengths);

  // An aligned block spends 24 bits on its tree to code the low 3 offset bits by
  // frequency instead of as 3 plain bits each.
  std::uint64_t plain_cost = 0;
  std::uint64_t aligned_cost = 3 * kLzxAlignedSymbols;
  for (unsigned i = 0; i < kLzxAlignedSymbols; ++i) {
    plain_cost += 3ull * aligned_frequencies[i];
    aligned_cost += std::uint64_t{aligned_frequencies[i]} * aligned_lengths[i];
  }
  const bool aligned = aligned_cost < plain_cost;

  std::array<std::uint16_t, kMaxMainSymbols> main_codes{};
  std::array<std::uint16_t, kLzxLengthSymbols> length_codes{};
  std::array<std::uint16_t, kLzxAlignedSymbols> aligned_codes{};
  CanonicalHuffmanCodes(main_span, main_codes);
  CanonicalHuffmanCodes(length_lengths, length_codes);
  CanonicalHuffmanCodes(aligned_lengths, aligned_codes);

  bits.Bits(aligned ? kLzxBlockAligned : kLzxBlockVerbatim, 3);
  bits.Bits(uncompressed_size, 24);
  if (aligned) {
    for (std::uint8_t length : aligned_lengths) bits.Bits(length, 3);
  }
  WriteTreeLengths(std::span(main_lengths_).first(kLzxNumChars), std::span(main_lengths).first(kLzxNumChars), bits);
  WriteTreeLengths(std::span(main_lengths_).subspan(kLzxNumChars, main_symbols_ - kLzxNumChars),
                   std::span(main_lengths).subspan(kLzxNumChars, main_symbols_ - kLzxNumChars), bits);
  WriteTreeLengths(length_lengths_, length_lengths, bits);
  main_lengths_ = main_lengths;
  length_lengths_ = length_lengths;

  for (const LzxItem& item : items) {
    if (item.length == LzxItem::kFrameEnd) {
      bits.EndFrame(static_cast<std::uint16_t>(item.value));
      continue;
    }
    if (item.length == LzxItem::kLiteral) {
      bits.Bits(main_codes[item.value], main_lengths[item.value]);
      continue;
    }
    const unsigned slot = PositionSlotOf(item.value);
    const unsigned header = std::min<unsigned>(item.length - kLzxMinMatch, kLzxLengthHeaders - 1);
    const unsigned symbol = kLzxNumChars + slot * kLzxLengthHeaders + header;
    bits.Bits(main_codes[symbol], main_lengths[symbol]);
    if (header == kLzxLengthHeaders - 1) {
      const unsigned length_symbol = item.length - kLzxMinMatch - (kLzxLengthHeaders - 1);
      bits.Bits(length_codes[length_symbol], length_lengths[length_symbol]);
    }
    if (slot < 3) continue;
    const unsigned extra = kLzxSlots.extra_bits[slot];
    const std::uint32_t verbatim = item.value - kLzxSlots.base[slot];
    if (aligned && extra >= 3) {
      bits.Bits(verbatim >> 3, extra - 3);
      bits.Bits(aligned_codes[verbatim & 7], aligned_lengths[verbatim & 7]);
    } else {
      bits.Bits(verbatim, extra);
    }
  }
}
