#include "huffman_code.h"

#include <algorithm>
#include <array>
#include <queue>
#include <vector>

namespace {

// Code lengths of an unlimited Huffman code over the used symbols; returns the longest.
unsigned UnlimitedLengths(std::span<const std::uint32_t> weights, std::span<std::uint8_t> lengths) {
  struct Node {
    std::uint64_t weight;
    std::uint32_t index;
    bool operator>(const Node& other) const {
      return weight != other.weight ? weight > other.weight : index > other.index;
    }
  };
  std::priority_queue<Node, std::vector<Node>, std::greater<>> queue;
  std::vector<std::uint32_t> parent(2 * weights.size(), 0);
  for (std::uint32_t i = 0; i < weights.size(); ++i) {
    if (weights[i]) queue.push({weights[i], i});
  }
  auto next = static_cast<std::uint32_t>(weights.size());
  const std::uint32_t first_inner = next;
  while (queue.size() > 1) {
    const Node a = queue.top();
    queue.pop();
    const Node b = queue.top();
    queue.pop();
    parent[a.index] = next;
    parent[b.index] = next;
    queue.push({a.weight + b.weight, next++});
  }
  // Inner nodes are made in order, so a parent always comes after its children: walk them
  // from the root down.
  std::vector<std::uint8_t> depth(next, 0);
  for (std::uint32_t i = next; i-- > first_inner;) {
    if (i + 1 != next) depth[i] = static_cast<std::uint8_t>(std::min(255, depth[parent[i]] + 1));
  }
  unsigned longest = 0;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    lengths[i] = weights[i] ? static_cast<std::uint8_t>(std::min(255, depth[parent[i]] + 1)) : 0;
    longest = std::max<unsigned>(longest, lengths[i]);
  }
  return longest;
}

}  // namespace

void HuffmanCodeLengths(std::span<const std::uint32_t> frequencies, unsigned max_length,
                        std::span<std::uint8_t> lengths) {
  std::fill(lengths.begin(), lengths.end(), 0);
  std::size_t used = 0;
  std::size_t only = 0;
  for (std::size_t i = 0; i < frequencies.size(); ++i) {
    if (frequencies[i]) {
      ++used;
      only = i;
    }
  }
  if (used == 0) return;
  if (used == 1) {
    lengths[only] = 1;
    lengths[only == 0 ? 1 : 0] = 1;
    return;
  }
  // Too long a code: flatten the frequencies and build again. Halving keeps every used
  // symbol used and ends, at worst, in equal weights, whose code is as short as can be.
  std::vector<std::uint32_t> weights(frequencies.begin(), frequencies.end());
  while (UnlimitedLengths(weights, lengths) > max_length) {
    for (std::uint32_t& weight : weights) {
      if (weight) weight = (weight + 1) / 2;
    }
  }
}

void CanonicalHuffmanCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes) {
  std::array<std::uint32_t, 33> count{};
  for (std::uint8_t length : lengths) ++count[length];
  count[0] = 0;
  std::array<std::uint32_t, 33> next{};
  std::uint32_t code = 0;
  for (unsigned bits = 1; bits < next.size(); ++bits) {
    code = (code + count[bits - 1]) << 1;
    next[bits] = code;
  }
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    codes[i] = lengths[i] ? static_cast<std::uint16_t>(next[lengths[i]]++) : 0;
  }
}
