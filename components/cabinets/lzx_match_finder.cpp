#include "lzx_match_finder.h"

#include <cstring>

unsigned LzxMatchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned limit) {
  unsigned length = 0;
  while (length + 8 <= limit) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a + length, 8);
    std::memcpy(&y, b + length, 8);
    if (x != y) return length + static_cast<unsigned>(__builtin_ctzll(x ^ y)) / 8;
    length += 8;
  }
  while (length < limit && a[length] == b[length]) ++length;
  return length;
}

unsigned LzxDistanceCost(std::uint32_t distance) {
  return 31 - static_cast<unsigned>(__builtin_clz(distance + 2));
}

LzxMatchFinder::LzxMatchFinder(unsigned window_bits, unsigned max_chain, unsigned nice_length)
    : window_mask_((1u << window_bits) - 1), max_chain_(max_chain), nice_length_(nice_length),
      head_(std::size_t{1} << kHashBits, 0), chain_(std::size_t{1} << window_bits, 0) {}

std::uint32_t LzxMatchFinder::Hash(const std::uint8_t* bytes) {
  const std::uint32_t value = std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16);
  return (value * 2654435761u) >> (32 - kHashBits);
}

void LzxMatchFinder::Insert(const LzxHistory& history, std::uint32_t position) {
  std::uint32_t& head = head_[Hash(history.At(position))];
  chain_[position & window_mask_] = head;
  head = position + 1;
}

LzxMatch LzxMatchFinder::Find(const LzxHistory& history, std::uint32_t position, unsigned max_length,
                              unsigned longer_than, std::uint32_t max_distance) const {
  LzxMatch best;
  if (max_length < 3 || longer_than >= max_length) return best;
  const std::uint8_t* here = history.At(position);
  unsigned best_length = longer_than < 2 ? 2 : longer_than;
  int best_score = 0;
  std::uint32_t candidate = head_[Hash(here)];
  for (unsigned steps = max_chain_; candidate != 0 && steps > 0; --steps) {
    const std::uint32_t at = candidate - 1;
    // The chain leads only to older positions while they lie within the window; beyond,
    // its entries belong to newer positions.
    if (at >= position || position - at > max_distance) break;
    const std::uint8_t* there = history.At(at);
    if (there[best_length] == here[best_length] && there[0] == here[0] && there[1] == here[1]) {
      const unsigned length = LzxMatchLength(here, there, max_length);
      const int score = static_cast<int>(length * 8) - static_cast<int>(LzxDistanceCost(position - at));
      if (length > best_length && (best.length == 0 || score > best_score)) {
        best = {length, position - at};
        best_length = length;
        best_score = score;
        if (length >= nice_length_ || length == max_length) break;
      }
    }
    candidate = chain_[at & window_mask_];
  }
  return best;
}
