#include "final_program.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kProduct = "C:\\Program Files\\App\\";

ExecuteProgram Find(const std::string& text) { return FindExecuteProgram(SplitScriptText(text), kProduct); }

TEST(FindExecuteProgramTest, FirstLineWithThePlaceholderWinsOverEarlierLiteralPaths) {
  const ExecuteProgram found = Find(
      "Execute \"C:\\Windows\\Notepad.exe\", \"x\"\r\n"
      "ExecuteInSeparateWindow \"<productdirectory>Bin\\App.exe\", \"/a\", \"b c\"\r\n"
      "Execute \"<ProductDirectory>\\Other.exe\"\r\n");
  EXPECT_TRUE(found.has_execute_line);
  EXPECT_EQ(found.program, "C:\\Program Files\\App\\Bin\\App.exe");
  EXPECT_EQ(found.parameters, (std::vector<std::string>{"/a", "b c"}));
}

// What a silent installation logs instead of starting: the command line an EXE would get,
// a document alone (its parameters are never passed), nothing without a program.
TEST(ExecuteCommandTextTest, TheCommandLineOfAnExeTheDocumentAloneOrNothing) {
  EXPECT_EQ(ExecuteCommandText(Find("Execute \"<ProductDirectory>App.exe\", \"/a\", \"b c\"\r\n")),
            "\"C:\\Program Files\\App\\App.exe\" /a \"b c\"");
  EXPECT_EQ(ExecuteCommandText(Find("Execute \"<ProductDirectory>Notes.txt\", \"dropped\"\r\n")),
            "C:\\Program Files\\App\\Notes.txt");
  EXPECT_EQ(ExecuteCommandText(Find("Execute \"C:\\Other.exe\"\r\n")), "");
}

// Read in one pass: rescanning the line for each of them took minutes for this many.
TEST(FindExecuteProgramTest, AGreatManyParametersAreAllRead) {
  std::string line = "Execute \"<ProductDirectory>App.exe\"";
  for (int i = 0; i < 200'000; ++i) line += ", \"\"";
  line += ", \"last\"";
  const ExecuteProgram found = Find(line);
  ASSERT_EQ(found.parameters.size(), 200'001u);
  EXPECT_EQ(found.parameters.front(), "");
  EXPECT_EQ(found.parameters.back(), "last");
  EXPECT_EQ(ParameterText(found.parameters), "last");
}

TEST(FindExecuteProgramTest, NoLineAndOnlyLiteralLinesAreTold) {
  const ExecuteProgram none = Find("SetProductName \"A\"\r\n' Execute \"<ProductDirectory>A.exe\"\r\n");
  EXPECT_FALSE(none.has_execute_line);
  const ExecuteProgram literal = Find("execute \"C:\\A.exe\"\r\nExecute \"\"\r\n");
  EXPECT_TRUE(literal.has_execute_line);
  EXPECT_EQ(literal.program, "");
  EXPECT_TRUE(literal.parameters.empty());
  // The placeholder alone stands for the product directory.
  EXPECT_EQ(Find("Execute \"<ProductDirectory>\"").program, kProduct);
}

TEST(ParameterTextTest, QuotesBlanksAndTrimsEmptyParametersAtTheEnds) {
  EXPECT_EQ(ParameterText({}), "");
  EXPECT_EQ(ParameterText({"/record", "C:\\My Files\\out.txt"}), "/record \"C:\\My Files\\out.txt\"");
  EXPECT_EQ(ParameterText({"", "a", "", "b", ""}), "a  b");
  EXPECT_EQ(ParameterText({"tab\there"}), "\"tab\there\"");
  // A quoted parameter ending in backslashes keeps them: "\"" would escape the quote.
  EXPECT_EQ(ParameterText({"C:\\My Dir\\"}), "\"C:\\My Dir\\\\\"");
  EXPECT_EQ(ParameterText({"C:\\Dir\\"}), "C:\\Dir\\");
}

TEST(IsExeProgramTest, OnlyANameEndingInExeIgnoringCase) {
  EXPECT_TRUE(IsExeProgram("C:\\App\\App.exe"));
  EXPECT_TRUE(IsExeProgram("C:\\App\\APP.EXE"));
  EXPECT_FALSE(IsExeProgram("C:\\App\\ReadMe.txt"));
  EXPECT_FALSE(IsExeProgram("C:\\App\\"));
}

}  // namespace
