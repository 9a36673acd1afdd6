#include "package.h"
#include "expansion_directories.h"
#include "scratch_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstdio>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Bytes that tell their position, so a copy that is shifted or cut shows.
std::string Pattern(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& c : bytes) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

class PackageFile : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  ScratchDirectory scratch_;
  const fs::path dir_ = scratch_.path();
};

TEST(AppendedLinesTrailerTest, NumberIsRightAlignedInFourteenCharacters) {
  EXPECT_EQ(AppendedLinesTrailer(123456), "CORVANTAORGEXESIZE        123456");
  EXPECT_EQ(AppendedLinesTrailer(0), "CORVANTAORGEXESIZE             0");
  EXPECT_EQ(AppendedLinesTrailer(12345678901234), "CORVANTAORGEXESIZE12345678901234");
  EXPECT_EQ(ParseAppendedLinesTrailer("CORVANTAORGEXESIZE        123456"), 123456);
  EXPECT_EQ(ParseAppendedLinesTrailer("CORVANTAORGEXESIZE  -5          "), -5);
  EXPECT_EQ(ParseAppendedLinesTrailer("corvantaorgexesize        123456"), -1);
  EXPECT_EQ(ParseAppendedLinesTrailer("CORVANTAORGEXESIZE       123456"), -1);  // 31 bytes
}

TEST(AppendedLinesTrailerTest, CarriageReturnsSplitAndLineFeedsAndZerosAreLost) {
  using namespace std::string_view_literals;
  EXPECT_EQ(SplitAppendedLines("one\r\ntw\0o\r\nthree\r\nTRAILER"sv), (Lines{"one", "two", "three"}));
  EXPECT_EQ(SplitAppendedLines("TRAILER"), Lines{});
  EXPECT_EQ(SplitAppendedLines("\r\nTRAILER"), Lines{""});
}

TEST_F(PackageFile, WrittenLinesFollowTheBaseFileAndReadBack) {
  const std::string base = Pattern(123456, 1);
  WriteFileBytes(dir_ / "Uninstall.EXE", base);
  ASSERT_TRUE(WriteAppendedLines(PathOf("Uninstall.EXE"), {"Product Vexa", "C:\\Program Files\\Vexa\\", ""}));
  EXPECT_EQ(ReadFileBytes(dir_ / "Uninstall.EXE"),
            base + "Product Vexa\r\nC:\\Program Files\\Vexa\\\r\n\r\nCORVANTAORGEXESIZE        123456");
  Lines lines = {"poison"};
  ASSERT_TRUE(ReadAppendedLines(PathOf("Uninstall.EXE"), lines));
  EXPECT_EQ(lines, (Lines{"Product Vexa", "C:\\Program Files\\Vexa\\", ""}));
}

TEST_F(PackageFile, WritingAgainReplacesTheEarlierLinesAndNoLinesLeaveOnlyTheTrailer) {
  const std::string base = Pattern(40000, 2);
  WriteFileBytes(dir_ / "u.exe", base);
  ASSERT_TRUE(WriteAppendedLines(PathOf("u.exe"), {"first", "set", "of lines that is longer"}));
  ASSERT_TRUE(WriteAppendedLines(PathOf("u.exe"), {"second"}));
  EXPECT_EQ(ReadFileBytes(dir_ / "u.exe"), base + "second\r\nCORVANTAORGEXESIZE         40000");
  ASSERT_TRUE(WriteAppendedLines(PathOf("u.exe"), {}));
  EXPECT_EQ(ReadFileBytes(dir_ / "u.exe"), base + "CORVANTAORGEXESIZE         40000");
  Lines lines = {"poison"};
  ASSERT_TRUE(ReadAppendedLines(PathOf("u.exe"), lines));
  EXPECT_TRUE(lines.empty());
}

TEST_F(PackageFile, FileWithoutTrailerReadsAsNoLinesAndMissingFileFails) {
  WriteFileBytes(dir_ / "plain.exe", Pattern(5000, 3) + "corvantaorgexesize             1");
  WriteFileBytes(dir_ / "tiny.exe", "CORVANTAORGEXESIZE");
  Lines lines = {"poison"};
  EXPECT_TRUE(ReadAppendedLines(PathOf("plain.exe"), lines));
  EXPECT_TRUE(lines.empty());
  lines = {"poison"};
  EXPECT_TRUE(ReadAppendedLines(PathOf("tiny.exe"), lines));
  EXPECT_TRUE(lines.empty());
  lines = {"poison"};
  EXPECT_FALSE(ReadAppendedLines(PathOf("missing.exe"), lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_FALSE(WriteAppendedLines(PathOf("missing.exe"), {"x"}));
  EXPECT_FALSE(fs::exists(dir_ / "missing.exe"));
}

// A trailer whose N lies outside the file was not written by us: cutting the file at N
// would destroy the base file, so it is kept and the lines are appended after it.
TEST_F(PackageFile, TrailerPointingOutsideTheFileIsNotTrusted) {
  const std::string forged = Pattern(1000, 4) + "CORVANTAORGEXESIZE       9999999";
  const std::string negative = Pattern(1000, 5) + "CORVANTAORGEXESIZE          -500";
  WriteFileBytes(dir_ / "forged.exe", forged);
  WriteFileBytes(dir_ / "negative.exe", negative);
  for (const auto& [name, bytes] : {std::pair{"forged.exe", forged}, std::pair{"negative.exe", negative}}) {
    Lines lines = {"poison"};
    EXPECT_TRUE(ReadAppendedLines(PathOf(name), lines)) << name;
    EXPECT_TRUE(lines.empty()) << name;
    ASSERT_TRUE(WriteAppendedLines(PathOf(name), {"x"}));
    EXPECT_EQ(ReadFileBytes(dir_ / name), bytes + "x\r\n" + AppendedLinesTrailer(1032)) << name;
  }
}

TEST_F(PackageFile, AttachmentIsCopiedWholeAcrossChunkBoundaries) {
  const std::string engine = Pattern(4096, 6);
  for (std::size_t size : {std::size_t{1}, kAttachmentChunkBytes, kAttachmentChunkBytes + 1, 2 * kAttachmentChunkBytes + 7}) {
    SCOPED_TRACE(size);
    const std::string cabinet = ("MSCF" + Pattern(size, static_cast<unsigned>(size))).substr(0, size);
    WriteFileBytes(dir_ / "Setup.exe", engine + cabinet);
    std::string directory = "poison", error = "poison";
    ASSERT_TRUE(ExtractAttachment(PathOf("Setup.exe"), engine.size(), directory, error)) << error;
    EXPECT_EQ(error, "");
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), static_cast<char>(fs::path::preferred_separator));
    EXPECT_EQ(fs::path(directory).parent_path().filename().string().substr(0, 3), "~ts");
    EXPECT_EQ(ReadFileBytes(fs::path(directory) / "Attachment.CAB"), cabinet);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator()), 1);
    fs::remove_all(directory);
  }
}

TEST_F(PackageFile, BareEngineAndMissingFileGiveTheirMessagesAndLeaveNoDirectory) {
  WriteFileBytes(dir_ / "bare.exe", Pattern(70000, 7));
  const std::set<std::string> before = ExpansionDirectories();
  std::string directory = "poison", error;
  EXPECT_FALSE(ExtractAttachment(PathOf("bare.exe"), 70000, directory, error));
  EXPECT_EQ(error, "Error. Self-extract EXE file is empty.");
  EXPECT_EQ(directory, "");
  EXPECT_FALSE(ExtractAttachment(PathOf("bare.exe"), 80000, directory, error));
  EXPECT_EQ(error, "Error. Self-extract EXE file is empty.");
  EXPECT_FALSE(ExtractAttachment(PathOf("gone.exe"), 100, directory, error));
  EXPECT_EQ(error, "Error. Cannot open the self-extract EXE file: " + PathOf("gone.exe"));
  EXPECT_EQ(directory, "");
  EXPECT_EQ(ExpansionDirectories(), before);
}

TEST_F(PackageFile, TakenDirectoryNamesAreSkippedWithANumberUpTo300) {
  const std::string base = PathOf("~tsAB12");
  std::string made;
  ASSERT_TRUE(CreateFirstFreeDirectory(base, made));
  EXPECT_EQ(made, base);
  ASSERT_TRUE(CreateFirstFreeDirectory(base, made));
  EXPECT_EQ(made, base + "1");
  for (int i = 2; i <= 299; ++i) fs::create_directory(base + std::to_string(i));
  ASSERT_TRUE(CreateFirstFreeDirectory(base, made));
  EXPECT_EQ(made, base + "300");
  EXPECT_FALSE(CreateFirstFreeDirectory(base, made));
  EXPECT_EQ(made, "");
  EXPECT_FALSE(fs::exists(base + "301"));
}

}  // namespace
