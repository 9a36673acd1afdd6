#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "bitness.h"

namespace {

// The start of a PE image: "MZ", the signature's offset at 0x3C, "PE\0\0", the machine.
std::string PeHead(std::uint32_t signature_at, std::uint16_t machine, std::size_t size = 512) {
  std::string head(size, '\0');
  head[0] = 'M';
  head[1] = 'Z';
  for (int i = 0; i < 4; ++i) head[0x3C + static_cast<std::size_t>(i)] = static_cast<char>((signature_at >> (8 * i)) & 0xFF);
  if (std::uint64_t{signature_at} + 6 <= size) {
    head.replace(signature_at, 4, std::string("PE\0\0", 4));
    head[signature_at + 4] = static_cast<char>(machine & 0xFF);
    head[signature_at + 5] = static_cast<char>(machine >> 8);
  }
  return head;
}

std::string FileStart(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::string head(kPeHeadBytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(file.gcount()));
  return head;
}

TEST(PeImageBitnessTest, MachineTypeDecides) {
  EXPECT_EQ(PeImageBitness(PeHead(0x80, 0x014C)), Bitness::k32);
  EXPECT_EQ(PeImageBitness(PeHead(0x80, 0x8664)), Bitness::k64);
  // Itanium, ARM: no edition the engine knows how to place.
  EXPECT_EQ(PeImageBitness(PeHead(0x80, 0x0200)), std::nullopt);
  EXPECT_EQ(PeImageBitness(PeHead(0x80, 0x01C4)), std::nullopt);
}

TEST(PeImageBitnessTest, DamagedOrForeignHeadersAreNoImage) {
  EXPECT_EQ(PeImageBitness(""), std::nullopt);
  EXPECT_EQ(PeImageBitness("MZ"), std::nullopt);
  std::string not_mz = PeHead(0x80, 0x8664);
  not_mz[0] = 'Z';
  EXPECT_EQ(PeImageBitness(not_mz), std::nullopt);
  std::string no_signature = PeHead(0x80, 0x8664);
  no_signature[0x81] = 'X';
  EXPECT_EQ(PeImageBitness(no_signature), std::nullopt);
  // A signature offset past the bytes read, at their very end, or huge.
  EXPECT_EQ(PeImageBitness(PeHead(600, 0x8664)), std::nullopt);
  EXPECT_EQ(PeImageBitness(PeHead(508, 0x8664)), std::nullopt);
  EXPECT_EQ(PeImageBitness(PeHead(0xFFFFFFF0u, 0x8664)), std::nullopt);
  EXPECT_EQ(PeImageBitness(PeHead(0xFFFFFFFEu, 0x8664)), std::nullopt);  // offset + 4 wraps in 32 bits
  // The header fits exactly.
  EXPECT_EQ(PeImageBitness(PeHead(506, 0x8664)), Bitness::k64);
}

// Wine's own programs, built for each machine, as real images.
TEST(PeImageBitnessTest, RealImagesOfBothMachines) {
  const std::string program64 = FileStart("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/regsvr32.exe");
  const std::string program32 = FileStart("/usr/lib/i386-linux-gnu/wine/i386-windows/regsvr32.exe");
  if (program64.empty() || program32.empty()) GTEST_SKIP() << "Wine's 32-bit and 64-bit programs are not installed";
  EXPECT_EQ(PeImageBitness(program64), Bitness::k64);
  EXPECT_EQ(PeImageBitness(program32), Bitness::k32);
}

}  // namespace
