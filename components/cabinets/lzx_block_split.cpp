#include "lzx_block_split.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// What a block's header and trees roughly cost: the pre-trees and header, and a few bits
// for each code length sent.
constexpr double kBlockBits = 3 * 80 + 27;
constexpr double kBitsPerUsedSymbol = 4;

struct Histogram {
  std::array<std::uint32_t, kLzxMaxMainSymbols> main{};
  std::array<std::uint32_t, kLzxLengthSymbols> length{};

  void Add(const LzxItem& item) {
    if (item.length == LzxItem::kLiteral) {
      ++main[item.value];
      return;
    }
    ++main[LzxMatchMainSymbol(item)];
    if (const int length_symbol = LzxMatchLengthSymbol(item); length_symbol >= 0) ++length[static_cast<unsigned>(length_symbol)];
  }
  void Add(const Histogram& other) {
    for (std::size_t i = 0; i < main.size(); ++i) main[i] += other.main[i];
    for (std::size_t i = 0; i < length.size(); ++i) length[i] += other.length[i];
  }
};

template <std::size_t N>
double TreeBits(const std::array<std::uint32_t, N>& counts) {
  double total = 0;
  for (std::uint32_t count : counts) total += count;
  double bits = 0;
  for (std::uint32_t count : counts) {
    if (count) bits += count * std::log2(total / count) + kBitsPerUsedSymbol;
  }
  return bits;
}

double BlockBits(const Histogram& histogram) { return kBlockBits + TreeBits(histogram.main) + TreeBits(histogram.length); }

}  // namespace

std::vector<std::size_t> LzxBlockEnds(std::span<const LzxItem> items) {
  std::vector<std::size_t> ends;
  Histogram block;
  double block_bits = 0;
  bool block_empty = true;
  std::size_t i = 0;
  while (i < items.size()) {
    // The next segment, frame ends included with the items before them.
    Histogram segment;
    std::size_t bytes = 0;
    const std::size_t start = i;
    while (i < items.size() && (bytes < kLzxSplitSegmentBytes || items[i].length == LzxItem::kFrameEnd)) {
      if (items[i].length != LzxItem::kFrameEnd) {
        segment.Add(items[i]);
        bytes += items[i].length == LzxItem::kLiteral ? 1u : items[i].length;
      }
      ++i;
    }
    const double segment_bits = BlockBits(segment);
    if (!block_empty) {
      Histogram joined = block;
      joined.Add(segment);
      const double joined_bits = BlockBits(joined);
      if (joined_bits <= block_bits + segment_bits) {
        block = joined;
        block_bits = joined_bits;
        continue;
      }
      ends.push_back(start);
    }
    block = segment;
    block_bits = segment_bits;
    block_empty = false;
  }
  if (!items.empty()) ends.push_back(items.size());
  return ends;
}
