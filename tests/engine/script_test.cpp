#include "script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>

#include "scratch_directory.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

ScriptLines Lines(std::string_view text) { return SplitScriptText(text); }

class ScriptFile : public ::testing::Test {
 protected:
  void Write(std::string_view bytes) {
    std::ofstream out(path_, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Path() const { return path_.string(); }

  ScratchDirectory scratch_;
  fs::path path_ = scratch_.path() / "script.txt";
};

TEST(ScriptLinesTest, CrLfAndCrAloneReadAlikeAndLfAndZeroBytesAreDropped) {
  const ScriptLines expected = {"SetProductName \"A\"", "Execute \"B\"", ""};
  EXPECT_EQ(Lines("SetProductName \"A\"\r\nExecute \"B\"\r\n"), expected);
  EXPECT_EQ(Lines("SetProductName \"A\"\rExecute \"B\"\r"), expected);
  EXPECT_EQ(Lines("Set\nProduct\0Name \"A\"\r\nExecute \"B\"\r\n"sv), expected);
}

TEST(ScriptLinesTest, LfOnlyFileIsOneLineAndOnlyItsFirstWordCounts) {
  const ScriptLines lines = Lines("SetProductName \"Paint\"\nSetProductDirectory \"C:\\Paint\"\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(CommandWord(lines, 0), "SETPRODUCTNAME");
  EXPECT_EQ(ScriptSetting(lines, "ProductName"), "Paint");
  EXPECT_EQ(ScriptSetting(lines, "ProductDirectory"), "");
}

TEST(ScriptLinesTest, TextAfterLastCrIsALineEvenWhenEmpty) {
  EXPECT_EQ(Lines(""), ScriptLines{""});
  EXPECT_EQ(Lines("\r"), (ScriptLines{"", ""}));
  EXPECT_EQ(Lines("a\rb"), (ScriptLines{"a", "b"}));
}

TEST_F(ScriptFile, LoadsFileAndReplacesPreviousLines) {
  Write("' Comment\r\nSetProductName \"Acme Paint\"\r\n");
  ScriptLines lines = {"stale", "lines", "here", "x"};
  ASSERT_TRUE(LoadScript(Path(), lines));
  EXPECT_EQ(lines, (ScriptLines{"' Comment", "SetProductName \"Acme Paint\"", ""}));
}

TEST_F(ScriptFile, MissingFileFailsAndLeavesNoLines) {
  ScriptLines lines = {"stale"};
  EXPECT_FALSE(LoadScript(Path() + ".missing", lines));
  EXPECT_TRUE(lines.empty());
}

TEST_F(ScriptFile, OversizedFileIsRefused) {
  Write(std::string(static_cast<std::size_t>(kMaxScriptBytes) + 1, 'x'));
  ScriptLines lines = {"stale"};
  EXPECT_FALSE(LoadScript(Path(), lines));
  EXPECT_TRUE(lines.empty());
}

// A file of nothing but CR bytes would be millions of empty lines: refused with the reason,
// before any line is made.
TEST_F(ScriptFile, TooManyLinesOrTooLongALineIsRefusedWithTheReason) {
  std::string reason = "poison";
  ScriptLines lines = {"stale"};
  Write(std::string(kMaxScriptLines, '\r'));
  EXPECT_FALSE(LoadScript(Path(), lines, &reason));
  EXPECT_EQ(reason, "it has more than 100000 lines");
  EXPECT_TRUE(lines.empty());
  Write(std::string(kMaxScriptLines - 1, '\r'));
  EXPECT_TRUE(LoadScript(Path(), lines, &reason));
  EXPECT_EQ(lines.size(), kMaxScriptLines);
  EXPECT_EQ(reason, "");

  Write("SetProductName \"A\"\r\n" + std::string(kMaxScriptLineBytes + 1, 'x'));
  EXPECT_FALSE(LoadScript(Path(), lines, &reason));
  EXPECT_EQ(reason, "a line is longer than 1048576 bytes");
  // LF and NUL bytes are dropped, so they do not count.
  Write(std::string(kMaxScriptLineBytes, 'x') + std::string("\n\n\0\r", 4) + std::string(kMaxScriptLineBytes, 'y'));
  EXPECT_TRUE(LoadScript(Path(), lines, &reason));
  Write(std::string(static_cast<std::size_t>(kMaxScriptBytes) + 1, '\r'));
  EXPECT_FALSE(LoadScript(Path(), lines, &reason));
  EXPECT_EQ(reason, "it is larger than 16777216 bytes");
  EXPECT_FALSE(LoadScript(Path() + ".missing", lines, &reason));
  EXPECT_EQ(reason, "");
}

TEST(CommandWordTest, EndsAtBlankTabOrQuoteAndIsUpperCase) {
  const ScriptLines lines = Lines(
      "  \t SetProductName \"x\"\r"
      "setproductname\"x\"\r"
      "InstallProgram\t\"a\"\r"
      "'SetProductName \"x\"\r"
      "\r"
      "   ");
  EXPECT_EQ(CommandWord(lines, 0), "SETPRODUCTNAME");
  EXPECT_EQ(CommandWord(lines, 1), "SETPRODUCTNAME");
  EXPECT_EQ(CommandWord(lines, 2), "INSTALLPROGRAM");
  EXPECT_EQ(CommandWord(lines, 3), "'SETPRODUCTNAME");
  EXPECT_EQ(CommandWord(lines, 4), "");
  EXPECT_EQ(CommandWord(lines, 5), "");
  EXPECT_EQ(CommandWord(lines, 6), "");  // past the end
}

TEST(ScriptArgumentTest, QuotedFieldsReadAlikeWhateverSeparatesThem) {
  for (const char* line : {
           "InstallProgram \"A.CAB\", \"1000\", \"\", \"x\", \"2000\"",
           "InstallProgram \"A.CAB\" \"1000\"\t\"\"  ,,\"x\";\"2000\"",
           "InstallProgram\"A.CAB\"\"1000\"\"\"\"x\"\"2000\"",
       }) {
    SCOPED_TRACE(line);
    const ScriptLines lines = {line};
    EXPECT_EQ(CommandWord(lines, 0), "INSTALLPROGRAM");
    EXPECT_EQ(ArgumentCount(lines, 0), 5);
    EXPECT_EQ(ScriptArgument(lines, 0, 1), "A.CAB");
    EXPECT_EQ(ScriptArgument(lines, 0, 2), "1000");
    EXPECT_EQ(ScriptArgument(lines, 0, 3), "");
    EXPECT_EQ(ScriptArgument(lines, 0, 4), "x");
    EXPECT_EQ(ScriptArgument(lines, 0, 5), "2000");
    EXPECT_EQ(ScriptArgument(lines, 0, 6), "");
    EXPECT_EQ(ScriptArgument(lines, 0, 7), "");
    EXPECT_EQ(ScriptArguments(lines, 0), (std::vector<std::string>{"A.CAB", "1000", "", "x", "2000"}));
  }
  EXPECT_EQ(ScriptArguments({" Execute \"  two words \" , \"open"}, 0), std::vector<std::string>{"  two words "});
  EXPECT_TRUE(ScriptArguments({"x"}, 1).empty());
}

TEST(ScriptArgumentTest, BlanksInsideQuotesAreKeptAndMissingQuotesGiveEmptyText) {
  const ScriptLines lines = {" Execute \"  two words \" , \"open", "Set \"x\""};
  EXPECT_EQ(ScriptArgument(lines, 0, 1), "  two words ");
  EXPECT_EQ(ScriptArgument(lines, 0, 2), "");
  EXPECT_EQ(ArgumentCount(lines, 0), 1);
  EXPECT_EQ(ScriptArgument(lines, 0, 0), "");
  EXPECT_EQ(ScriptArgument(lines, 0, -1), "");
  EXPECT_EQ(ScriptArgument(lines, 5, 1), "");
  EXPECT_EQ(ArgumentCount(lines, 5), 0);
}

TEST(ScriptSettingTest, UnclosedQuoteGivesEmptyValue) {
  const ScriptLines lines = {"SetProductName \"Acme Paint"};
  EXPECT_EQ(ArgumentCount(lines, 0), 0);
  EXPECT_EQ(ScriptArgument(lines, 0, 1), "");
  EXPECT_EQ(ScriptSetting(lines, "ProductName"), "");
}

TEST(ScriptSettingTest, FirstLineWinsEvenWhenItsValueIsEmpty) {
  EXPECT_EQ(ScriptSetting(Lines("SetProductName \"First\"\r\nSetProductName \"Second\""),
                          "ProductName"),
            "First");
  EXPECT_EQ(ScriptSetting(Lines("SetProductName\r\nSetProductName \"Second\""), "ProductName"), "");
}

TEST(ScriptSettingTest, WordsAndNamesIgnoreCase) {
  const ScriptLines lines = Lines("setproductname \"Lower\"\r\nSETDONEMESSAGE \"Done.\"");
  EXPECT_EQ(ScriptSetting(lines, "ProductName"), "Lower");
  EXPECT_EQ(ScriptSetting(lines, "PRODUCTNAME"), "Lower");
  EXPECT_EQ(ScriptSetting(lines, "DoneMessage"), "Done.");
  EXPECT_EQ(ScriptSetting(lines, "CheckTrust"), "");
}

TEST(ScriptSettingTest, CommentsAndApostropheQuotesAreInert) {
  EXPECT_EQ(ScriptSetting(Lines("' SetProductName \"Commented\""), "ProductName"), "");
  EXPECT_EQ(ScriptSetting(Lines("'''''''''''''\r\nSetProductName 'Quoted'"), "ProductName"), "");
  // A known word is never a comment, whatever follows it.
  EXPECT_EQ(ScriptSetting(Lines("SetProductName ' remark \"Real\""), "ProductName"), "Real");
}

TEST(ScriptNumberTest, ReadsLeadingDecimalAndStopsAtOtherText) {
  EXPECT_EQ(ScriptNumber("1000"), 1000);
  EXPECT_EQ(ScriptNumber("  \t42 bytes"), 42);
  EXPECT_EQ(ScriptNumber("+7"), 7);
  EXPECT_EQ(ScriptNumber("-12x"), -12);
  EXPECT_EQ(ScriptNumber("x12"), 0);
  EXPECT_EQ(ScriptNumber(""), 0);
  EXPECT_EQ(ScriptNumber("-"), 0);
  EXPECT_EQ(ScriptNumber("--5"), 0);
  EXPECT_EQ(ScriptNumber("+-5"), 0);
  EXPECT_EQ(ScriptNumber("1,000"), 1);
}

TEST(ScriptNumberTest, SizesAbove2GiBDoNotWrap) {
  EXPECT_EQ(ScriptNumber("2147483648"), 2147483648LL);
  EXPECT_EQ(ScriptNumber("12000000000"), 12000000000LL);  // four times a 3 GB cabinet
  EXPECT_EQ(ScriptNumber("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ScriptNumber("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ScriptNumber("9223372036854775808"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ScriptNumber("-9223372036854775809"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ScriptNumber("99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ScriptNumber("-99999999999999999999999"), std::numeric_limits<std::int64_t>::min());
}

TEST(ProductSubDirectoryTest, LastComponentWithTrailingBackslash) {
  struct Case {
    const char* value;
    const char* name;
  };
  for (const Case& c : {
           Case{"<ProgramFilesDir>\\Acme Paint", "Acme Paint\\"},
           Case{"<ProgramFilesDir>\\Acme Paint\\", "Acme Paint\\"},
           Case{"<programfilesdir>\\Acme", "Acme\\"},
           Case{"D:\\Tools/Acme Paint", "Acme Paint\\"},
           Case{"C:\\Apps\\<ProgramFilesDir>\\Acme", "Acme\\"},
           Case{"Acme", "Acme\\"},
       }) {
    SCOPED_TRACE(c.value);
    std::string name = "poison";
    EXPECT_TRUE(ProductSubDirectoryName(c.value, name));
    EXPECT_EQ(name, c.name);
  }
}

TEST(ProductSubDirectoryTest, RootsNameNoSubDirectory) {
  for (const char* value : {"C:\\", "C:", "<ProgramFilesDir>", "<ProgramFilesDir>\\",
                            "<PROGRAMFILESDIR>", "\\", "C:\\\\", "D:/"}) {
    SCOPED_TRACE(value);
    std::string name;
    EXPECT_FALSE(ProductSubDirectoryName(value, name));
  }
}

TEST(PlaceholderTest, RecognisedOnlyAtStartIgnoringCaseWithOneBackslashTaken) {
  std::string rest = "poison";
  EXPECT_TRUE(TextAfterPlaceholder("<programfilesdir>\\Acme Paint", kProgramFilesDirPlaceholder, rest));
  EXPECT_EQ(rest, "Acme Paint");
  EXPECT_TRUE(TextAfterPlaceholder("<ProductDirectory>App.exe", kProductDirectoryPlaceholder, rest));
  EXPECT_EQ(rest, "App.exe");
  EXPECT_TRUE(TextAfterPlaceholder("<ProductDirectory>\\\\App.exe", kProductDirectoryPlaceholder, rest));
  EXPECT_EQ(rest, "\\App.exe");
  EXPECT_TRUE(TextAfterPlaceholder("<ProductDirectory>", kProductDirectoryPlaceholder, rest));
  EXPECT_EQ(rest, "");

  EXPECT_FALSE(TextAfterPlaceholder("C:\\Apps\\<ProgramFilesDir>\\Acme", kProgramFilesDirPlaceholder, rest));
  EXPECT_FALSE(TextAfterPlaceholder(" <ProductDirectory>\\App.exe", kProductDirectoryPlaceholder, rest));
  EXPECT_FALSE(TextAfterPlaceholder("<ProductDir", kProductDirectoryPlaceholder, rest));
  EXPECT_FALSE(TextAfterPlaceholder("<ProgramsGroup>\\Acme", kProductProgramGroupPlaceholder, rest));
}

}  // namespace
