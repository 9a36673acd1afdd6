// Splitting a cabinet into parts and writing their part list.
#include <gtest/gtest.h>

#include "builder_test_support.h"
#include "split_cab.h"

namespace {

void ExpectSplitInto(int parts, std::size_t size) {
  ScratchDirectory scratch;
  const std::string cabinet = scratch / "Prog1.cab";
  WriteFileBytes(cabinet, NoiseBytes(size, static_cast<std::uint32_t>(parts)));
  ASSERT_EQ(SplitCab(cabinet, parts), "");
  // The parts, concatenated by an outside tool, are the cabinet.
  std::string joined;
  for (int i = 1; i <= parts; ++i) joined += ReadFileBytes(scratch / PartFileName("Prog1.cab", i));
  EXPECT_TRUE(joined == ReadFileBytes(cabinet));
  EXPECT_EQ(FilesBelow(scratch.path()).size(), static_cast<std::size_t>(parts) + 2);

  // The list names every part with its size and the digest an outside tool computes; part
  // sizes differ by at most one byte.
  PartList expected;
  expected.cabinet = {size, Sha256sumOf(cabinet), "Prog1.cab"};
  for (int i = 1; i <= parts; ++i) {
    const std::string name = PartFileName("Prog1.cab", i);
    expected.parts.push_back({fs::file_size(scratch / name), Sha256sumOf(scratch / name), name});
    EXPECT_LE(expected.parts.front().size - expected.parts.back().size, 1u);
  }
  EXPECT_EQ(ReadFileBytes(scratch / "Prog1_parts.txt"), PartListText(expected));
}

TEST(SplitCabTest, TwoPartsJoinBackAndMatchTheirList) { ExpectSplitInto(2, 50001); }

TEST(SplitCabTest, AThousandPartsJoinBackAndMatchTheirList) { ExpectSplitInto(1000, 1234567); }

TEST(SplitCabTest, NamesAndListLayout) {
  EXPECT_EQ(PartFileName("Prog1.cab", 7), "Prog1_part0007.bin");
  EXPECT_EQ(PartFileName("My Setup.cab", 1000), "My Setup_part1000.bin");
  EXPECT_EQ(PartListFileName("Prog1.cab"), "Prog1_parts.txt");
  ScratchDirectory scratch;
  WriteFileBytes(scratch / "Prog1.cab", "abcde");
  ASSERT_EQ(SplitCab(scratch / "Prog1.cab", 2), "");
  EXPECT_EQ(ReadFileBytes(scratch / "Prog1_parts.txt"),
            "VexaPartList 1\r\n"
            "Cabinet 5 36bbe50ed96841d10443bcb670d6554f0a34b761be67ec9c4a8ad2c0c44ca42c Prog1.cab\r\n"
            "Part 3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad Prog1_part0001.bin\r\n"
            "Part 2 959a45d44e6fcf58361ed004681556fe50129f2109e817dec098c00c9e5d2578 Prog1_part0002.bin\r\n");
}

TEST(SplitCabTest, BadRequestsFailWithATextAndLeaveNoPart) {
  ScratchDirectory scratch;
  const std::string cabinet = scratch / "Prog1.cab";
  WriteFileBytes(cabinet, "abc");
  EXPECT_EQ(SplitCab(cabinet, 0), "Invalid number of parts: 0");
  EXPECT_EQ(SplitCab(cabinet, 1001), "Invalid number of parts: 1001");
  EXPECT_EQ(SplitCab(cabinet, 4), "The file is too small to split into 4 parts: " + cabinet);
  EXPECT_EQ(SplitCab(scratch / "missing.cab", 2), "Cannot read file: " + (scratch / "missing.cab"));
  EXPECT_EQ(FilesBelow(scratch.path()), std::vector<std::string>{"Prog1.cab"});
}

}  // namespace
