// Code lengths and canonical codes as LZX readers rebuild them: within the length limit,
// complete (Kraft sum exactly 1), and prefix-free.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "huffman_code.h"

namespace {

// The Kraft sum of `lengths` in units of 2^-limit.
std::uint64_t KraftSum(const std::vector<std::uint8_t>& lengths, unsigned limit) {
  std::uint64_t sum = 0;
  for (std::uint8_t length : lengths) {
    if (length) sum += std::uint64_t{1} << (limit - length);
  }
  return sum;
}

TEST(HuffmanCodeTest, SkewedFrequenciesStayWithinTheLimitAndTheCodeIsCompleteAndPrefixFree) {
  // Fibonacci frequencies make an unlimited code as deep as there are symbols.
  std::vector<std::uint32_t> frequencies(656, 0);
  std::uint32_t a = 1, b = 1;
  for (std::size_t i = 0; i < 40; ++i) {
    frequencies[i * 16] = a;
    const std::uint32_t next = a + b;
    a = b;
    b = next;
  }
  for (unsigned limit : {16u, 7u}) {
    std::vector<std::uint8_t> lengths(frequencies.size(), 0xFF);
    HuffmanCodeLengths(frequencies, limit, lengths);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      EXPECT_LE(lengths[i], limit) << i;
      EXPECT_EQ(lengths[i] != 0, frequencies[i] != 0) << i;
    }
    EXPECT_EQ(KraftSum(lengths, limit), std::uint64_t{1} << limit) << limit;
    std::vector<std::uint16_t> codes(lengths.size());
    CanonicalHuffmanCodes(lengths, codes);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      for (std::size_t j = 0; j < lengths.size(); ++j) {
        if (i == j || !lengths[i] || !lengths[j] || lengths[i] > lengths[j]) continue;
        EXPECT_NE(codes[j] >> (lengths[j] - lengths[i]), codes[i]) << i << " is a prefix of " << j;
      }
    }
  }
}

TEST(HuffmanCodeTest, OneUsedSymbolGetsACompleteOneBitCodeAndNoneGetsNoCode) {
  std::vector<std::uint8_t> lengths(8, 0xFF);
  HuffmanCodeLengths(std::vector<std::uint32_t>{0, 0, 0, 5, 0, 0, 0, 0}, 7, lengths);
  EXPECT_EQ(lengths, (std::vector<std::uint8_t>{1, 0, 0, 1, 0, 0, 0, 0}));
  HuffmanCodeLengths(std::vector<std::uint32_t>{5, 0, 0}, 7, lengths = std::vector<std::uint8_t>(3, 0xFF));
  EXPECT_EQ(lengths, (std::vector<std::uint8_t>{1, 1, 0}));
  HuffmanCodeLengths(std::vector<std::uint32_t>(249, 0), 16, lengths = std::vector<std::uint8_t>(249, 0xFF));
  EXPECT_EQ(lengths, std::vector<std::uint8_t>(249, 0));
}

}  // namespace
