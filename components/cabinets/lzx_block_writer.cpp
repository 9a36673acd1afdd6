#include "lzx_block_writer.h"

#include <algorithm>
#include <vector>

#include "huffman_code.h"

namespace {

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

// How often a block uses each symbol of its three trees.
struct SymbolCounts {
  std::array<std::uint32_t, kLzxMaxMainSymbols> main{};
  std::array<std::uint32_t, kLzxLengthSymbols> length{};
  std::array<std::uint32_t, kLzxAlignedSymbols> aligned{};
};

// A block's three trees as code lengths and canonical codes, and its kind.
struct BlockTrees {
  std::array<std::uint8_t, kLzxMaxMainSymbols> main_lengths{};
  std::array<std::uint8_t, kLzxLengthSymbols> length_lengths{};
  std::array<std::uint8_t, kLzxAlignedSymbols> aligned_lengths{};
  std::array<std::uint16_t, kLzxMaxMainSymbols> main_codes{};
  std::array<std::uint16_t, kLzxLengthSymbols> length_codes{};
  std::array<std::uint16_t, kLzxAlignedSymbols> aligned_codes{};
  bool aligned = false;
};

SymbolCounts CountSymbols(std::span<const LzxItem> items) {
  SymbolCounts counts;
  for (const LzxItem& item : items) {
    if (item.length == LzxItem::kFrameEnd) continue;
    if (item.length == LzxItem::kLiteral) {
      ++counts.main[item.value];
      continue;
    }
    const unsigned slot = LzxMatchSlot(item);
    ++counts.main[LzxMatchMainSymbol(item)];
    if (const int length_symbol = LzxMatchLengthSymbol(item); length_symbol >= 0) ++counts.length[static_cast<unsigned>(length_symbol)];
    if (slot >= 3 && kLzxSlots.extra_bits[slot] >= 3) ++counts.aligned[(item.value - kLzxSlots.base[slot]) & 7];
  }
  return counts;
}

BlockTrees BuildTrees(const SymbolCounts& counts, unsigned main_symbols) {
  BlockTrees trees;
  const auto main_span = std::span(trees.main_lengths).first(main_symbols);
  HuffmanCodeLengths(std::span(counts.main).first(main_symbols), kLzxMaxCodeLength, main_span);
  HuffmanCodeLengths(counts.length, kLzxMaxCodeLength, trees.length_lengths);
  HuffmanCodeLengths(counts.aligned, kLzxMaxAlignedCodeLength, trees.aligned_lengths);

  // An aligned block spends 24 bits on its tree to code the low 3 offset bits by
  // frequency instead of as 3 plain bits each.
  std::uint64_t plain_cost = 0;
  std::uint64_t aligned_cost = 3 * kLzxAlignedSymbols;
  for (unsigned i = 0; i < kLzxAlignedSymbols; ++i) {
    plain_cost += 3ull * counts.aligned[i];
    aligned_cost += std::uint64_t{counts.aligned[i]} * trees.aligned_lengths[i];
  }
  trees.aligned = aligned_cost < plain_cost;

  CanonicalHuffmanCodes(main_span, trees.main_codes);
  CanonicalHuffmanCodes(trees.length_lengths, trees.length_codes);
  CanonicalHuffmanCodes(trees.aligned_lengths, trees.aligned_codes);
  return trees;
}

void WriteMatch(const LzxItem& match, const BlockTrees& trees, LzxBitWriter& bits) {
  const unsigned slot = LzxMatchSlot(match);
  const unsigned symbol = LzxMatchMainSymbol(match);
  bits.Bits(trees.main_codes[symbol], trees.main_lengths[symbol]);
  if (const int length_symbol = LzxMatchLengthSymbol(match); length_symbol >= 0) {
    const auto index = static_cast<unsigned>(length_symbol);
    bits.Bits(trees.length_codes[index], trees.length_lengths[index]);
  }
  if (slot < 3) return;
  const unsigned extra = kLzxSlots.extra_bits[slot];
  const std::uint32_t verbatim = match.value - kLzxSlots.base[slot];
  if (trees.aligned && extra >= 3) {
    bits.Bits(verbatim >> 3, extra - 3);
    bits.Bits(trees.aligned_codes[verbatim & 7], trees.aligned_lengths[verbatim & 7]);
  } else {
    bits.Bits(verbatim, extra);
  }
}

void WriteItems(std::span<const LzxItem> items, const BlockTrees& trees, LzxBitWriter& bits) {
  for (const LzxItem& item : items) {
    if (item.length == LzxItem::kFrameEnd) {
      bits.EndFrame(static_cast<std::uint16_t>(item.value));
    } else if (item.length == LzxItem::kLiteral) {
      bits.Bits(trees.main_codes[item.value], trees.main_lengths[item.value]);
    } else {
      WriteMatch(item, trees, bits);
    }
  }
}

}  // namespace

LzxBlockWriter::LzxBlockWriter(unsigned window_bits)
    : main_symbols_(kLzxNumChars + kLzxPositionSlots[window_bits - kLzxMinWindowBits] * kLzxLengthHeaders) {}

void LzxBlockWriter::Write(std::span<const LzxItem> items, std::uint32_t uncompressed_size, LzxBitWriter& bits) {
  const BlockTrees trees = BuildTrees(CountSymbols(items), main_symbols_);
  bits.Bits(trees.aligned ? kLzxBlockAligned : kLzxBlockVerbatim, 3);
  bits.Bits(uncompressed_size, 24);
  if (trees.aligned) {
    for (std::uint8_t length : trees.aligned_lengths) bits.Bits(length, 3);
  }
  const auto main_lengths = std::span(trees.main_lengths).first(main_symbols_);
  WriteTreeLengths(std::span(main_lengths_).first(kLzxNumChars), main_lengths.first(kLzxNumChars), bits);
  WriteTreeLengths(std::span(main_lengths_).subspan(kLzxNumChars, main_symbols_ - kLzxNumChars),
                   main_lengths.subspan(kLzxNumChars), bits);
  WriteTreeLengths(length_lengths_, trees.length_lengths, bits);
  main_lengths_ = trees.main_lengths;
  length_lengths_ = trees.length_lengths;
  WriteItems(items, trees, bits);
}
