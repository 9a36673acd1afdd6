#include <gtest/gtest.h>

#include "scratch_directory.h"
#include "text_files.h"

TEST(TextFiles, WriteThenReadGivesTheExactBytes) {
  ScratchDirectory scratch;
  const std::string path = scratch / "t.txt";
  const std::string text = std::string("line one\r\nline two\r\n\xE9t\xE9 ", 24) + std::string(1, '\0') + "end";
  ASSERT_TRUE(WriteTextFile(text, path));
  EXPECT_EQ(ReadTextFile(path), text);
  ASSERT_TRUE(SaveTextFile("", path));
  EXPECT_EQ(ReadTextFile(path), "");
  EXPECT_EQ(ReadTextFile(scratch / "absent.txt"), "");
  EXPECT_FALSE(WriteTextFile("x", scratch / "no-such-dir/t.txt"));
}

TEST(TextFiles, ReadTextFileKeepsAtMostTheBound) {
  ScratchDirectory scratch;
  const std::string path = scratch / "big.txt";
  ASSERT_TRUE(WriteTextFile(std::string(200'000, 'a'), path));
  EXPECT_EQ(ReadTextFile(path, 70'000).size(), 70'000u);
}

TEST(TextFileLines, CrLfEndsALineAndATrailingOneAddsNoEntry) {
  EXPECT_EQ(SplitTextLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitTextLines("a\r\nb"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitTextLines("\r\n\r\n"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(SplitTextLines(""), std::vector<std::string>{});
}

TEST(TextFileLines, LoneCrStaysLoneLfEndsNulIsDropped) {
  EXPECT_EQ(SplitTextLines("a\rb\r\nc\nd\r"), (std::vector<std::string>{"a\rb", "c", "d\r"}));
  EXPECT_EQ(SplitTextLines(std::string("x\0y\r\n", 5)), std::vector<std::string>{"xy"});
}

TEST(TextFileLines, LongLinesAreCutAndTheLineCountIsBounded) {
  const std::string long_line(kMaxLineBytes + 10, 'q');
  const auto lines = SplitTextLines(long_line + "\r\nnext\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(kMaxLineBytes, 'q'));
  EXPECT_EQ(lines[1], "next");
  // A line exactly at the bound keeps its CR LF out of the text.
  EXPECT_EQ(SplitTextLines(std::string(kMaxLineBytes, 'q') + "\r\n")[0].size(), kMaxLineBytes);

  std::string many;
  for (std::size_t i = 0; i < kMaxLines + 5; ++i) many += "\n";
  EXPECT_EQ(SplitTextLines(many).size(), kMaxLines);
}

TEST(TextFileLines, ReadsAFileAndAMissingFileGivesNothing) {
  ScratchDirectory scratch;
  const std::string path = scratch / "list.txt";
  ASSERT_TRUE(WriteTextFile("c:\\a.ocx\r\nc:\\b.ocx\r\n", path));
  std::vector<std::string> lines{"poison"};
  EXPECT_EQ(ReadTextFileLines(path, lines), 2u);
  EXPECT_EQ(lines, (std::vector<std::string>{"c:\\a.ocx", "c:\\b.ocx"}));
  EXPECT_EQ(ReadTextFileLines(scratch / "absent.txt", lines), 0u);
  EXPECT_TRUE(lines.empty());
}
