// Splitting a cabinet into parts and reading the part list back.
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

  PartList list;
  std::string error;
  ASSERT_TRUE(ParsePartList(ReadFileBytes(scratch / "Prog1_parts.txt"), list, error)) << error;
  EXPECT_EQ(list.cabinet.name, "Prog1.cab");
  EXPECT_EQ(list.cabinet.size, size);
  EXPECT_EQ(list.cabinet.sha256, Sha256sumOf(cabinet));
  ASSERT_EQ(list.parts.size(), static_cast<std::size_t>(parts));
  for (int i = 0; i < parts; ++i) {
    const PartListEntry& part = list.parts[static_cast<std::size_t>(i)];
    EXPECT_EQ(part.name, PartFileName("Prog1.cab", i + 1));
    EXPECT_EQ(part.size, fs::file_size(scratch / part.name));
    EXPECT_EQ(part.sha256, Sha256sumOf(scratch / part.name));
    EXPECT_LE(part.size - list.parts.back().size, 1u);
  }
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

TEST(SplitCabTest, APartListIsReadOnlyInItsExactForm) {
  const std::string digest(64, 'a');
  const std::string good = "VexaPartList 1\r\nCabinet 3 " + digest + " P.cab\r\nPart 2 " + digest + " P_part0001.bin\r\nPart 1 " +
                           digest + " P_part0002.bin\r\n";
  PartList list;
  std::string error;
  ASSERT_TRUE(ParsePartList(good, list, error)) << error;
  auto rejects = [&](const std::string& text, const std::string& why) {
    EXPECT_FALSE(ParsePartList(text, list, error)) << text;
    EXPECT_EQ(error, why) << text;
  };
  rejects(good.substr(0, good.size() - 2), "The part list does not end with a line end");
  rejects("VexaPartList 2\r\n" + good.substr(16), "Not a part list");
  rejects("VexaPartList 1\r\nCabinet 3 " + digest + " P.cab\r\n", "Not a part list");
  rejects("VexaPartList 1\r\nCabinet 4 " + digest + " P.cab\r\nPart 2 " + digest + " a\r\nPart 1 " + digest + " b\r\n",
          "The part sizes do not add up to the cabinet size");
  rejects("VexaPartList 1\r\nCabinet 3 " + digest + " P.cab\r\nPart 3 " + digest + " ..\\evil.exe\r\n",
          "Bad part line 1 in the part list");
  rejects("VexaPartList 1\r\nCabinet 3 " + digest + " P.cab\r\nPart 3 " + digest + " /etc/passwd\r\n",
          "Bad part line 1 in the part list");
  rejects("VexaPartList 1\r\nCabinet 3 " + digest + " P.cab\r\nPart 03 " + digest + " a\r\n", "Bad part line 1 in the part list");
  rejects("VexaPartList 1\r\nCabinet 3 " + std::string(64, 'A') + " P.cab\r\nPart 3 " + digest + " a\r\n",
          "Bad cabinet line in the part list");
  rejects("VexaPartList 1\r\nCabinet 0 " + digest + " P.cab\r\nPart 0 " + digest + " a\r\n",
          "Bad part line 1 in the part list");
  std::string many = "VexaPartList 1\r\nCabinet 1001 " + digest + " P.cab\r\n";
  for (int i = 0; i < 1001; ++i) many += "Part 1 " + digest + " p" + std::to_string(i) + "\r\n";
  rejects(many, "Too many parts");
}

}  // namespace
