// Finds LZX matches with hash chains: the most recent position of every 3-byte hash, and
// for every position within the window the position before it with the same hash. Chains
// are walked nearest first, at most `max_chain` steps, and stop early at `nice_length`.
// Positions are offsets in the folder; the caller keeps the window's bytes in memory.
#pragma once

#include <cstdint>
#include <vector>

// The folder's bytes held in memory: position p is at data[p - base].
struct LzxHistory {
  const std::uint8_t* data = nullptr;
  std::uint32_t base = 0;
  const std::uint8_t* At(std::uint32_t position) const { return data + (position - base); }
};

struct LzxMatch {
  unsigned length = 0;
  std::uint32_t distance = 0;
};

// The common length of the bytes at `a` and `b`, at most `limit`.
unsigned LzxMatchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned limit);

// Bits a match at `distance` roughly costs beyond its length: used to weigh a long far
// match against a shorter near one.
unsigned LzxDistanceCost(std::uint32_t distance);

class LzxMatchFinder {
 public:
  LzxMatchFinder(unsigned window_bits, unsigned max_chain, unsigned nice_length);

  // Enters `position`, whose first three bytes must be in `history`.
  void Insert(const LzxHistory& history, std::uint32_t position);

  // The best match for `position` longer than `longer_than` and at most `max_length`,
  // at a distance of at most `max_distance`; length 0 when there is none. Positions
  // before `position` must have been entered, `position` itself not yet.
  LzxMatch Find(const LzxHistory& history, std::uint32_t position, unsigned max_length, unsigned longer_than,
                std::uint32_t max_distance) const;

 private:
  static constexpr unsigned kHashBits = 17;
  static std::uint32_t Hash(const std::uint8_t* bytes);
  std::uint32_t window_mask_;
  unsigned max_chain_;
  unsigned nice_length_;
  std::vector<std::uint32_t> head_;   // position + 1 of the hash's newest position; 0: none
  std::vector<std::uint32_t> chain_;  // position + 1 of the previous position with its hash
};
