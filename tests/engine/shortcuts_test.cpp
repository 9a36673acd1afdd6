#include "shortcuts.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kGroup = "C:\\Menu\\Programs\\Acme\\";
constexpr const char* kProduct = "C:\\Program Files\\App\\";

// The shortcut of a one-line script, or "skipped".
std::string Shortcut(const std::string& line) {
  const ScriptLines script = SplitScriptText(line);
  ShortcutEntry entry{"poison", "poison", "poison"};
  if (!ShortcutOfLine(script, 0, kGroup, kProduct, entry)) return "skipped";
  return entry.folder + "|" + entry.name + "|" + entry.target;
}

TEST(DirectoryOfPathTest, KeepsEverythingUpToTheLaterSeparator) {
  EXPECT_EQ(DirectoryOfPath("C:\\Program Files\\App\\Bin\\App.exe"), "C:\\Program Files\\App\\Bin\\");
  EXPECT_EQ(DirectoryOfPath("C:\\App\\Bin/App.exe"), "C:\\App\\Bin/");
  EXPECT_EQ(DirectoryOfPath("C:/App/Bin\\App.exe"), "C:/App/Bin\\");
  EXPECT_EQ(DirectoryOfPath("C:\\App\\"), "C:\\App\\");
  EXPECT_EQ(DirectoryOfPath("App.exe"), "");
}

TEST(ShortcutOfLineTest, FolderBelowTheGroupWithOrWithoutBackslashAndInAnyCase) {
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>", "Acme", "<ProductDirectory>\App.exe")"),
            "C:\\Menu\\Programs\\Acme\\|Acme|C:\\Program Files\\App\\App.exe");
  EXPECT_EQ(Shortcut(R"(createprogramgroup "<productprogramgroup>Tools", "T", "<PRODUCTDIRECTORY>T.exe")"),
            "C:\\Menu\\Programs\\Acme\\Tools\\|T|C:\\Program Files\\App\\T.exe");
  EXPECT_EQ(
      Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>\Tools\Extra\", "X", "<ProductDirectory>\Bin\App.exe")"),
      "C:\\Menu\\Programs\\Acme\\Tools\\Extra\\|X|C:\\Program Files\\App\\Bin\\App.exe");
}

TEST(ShortcutOfLineTest, LinesWithoutBothPlaceholdersOrOfAnotherCommandAreSkipped) {
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "C:\Menu\Acme", "A", "<ProductDirectory>\App.exe")"), "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>", "A", "C:\App.exe")"), "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup " <ProductProgramGroup>", "A", "<ProductDirectory>\App.exe")"), "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroups "<ProductProgramGroup>", "A", "<ProductDirectory>\App.exe")"), "skipped");
  EXPECT_EQ(Shortcut(R"(' CreateProgramGroup "<ProductProgramGroup>", "A", "<ProductDirectory>\App.exe")"), "skipped");
}

TEST(ShortcutOfLineTest, FoldersAndNamesThatLeaveTheGroupAreSkipped) {
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>..\..\Startup", "A", "<ProductDirectory>A.exe")"),
            "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>\Tools\..\..", "A", "<ProductDirectory>A.exe")"),
            "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>\\Windows", "A", "<ProductDirectory>A.exe")"),
            "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>D:\Menu", "A", "<ProductDirectory>A.exe")"),
            "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>\Tools\...\x", "A", "<ProductDirectory>A.exe")"),
            "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>\.. \x", "A", "<ProductDirectory>A.exe")"), "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>", "..\A", "<ProductDirectory>A.exe")"), "skipped");
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>", "..", "<ProductDirectory>A.exe")"), "skipped");
  // Dots inside a name are ordinary text.
  EXPECT_EQ(Shortcut(R"(CreateProgramGroup "<ProductProgramGroup>", "Acme 2.0..beta", "<ProductDirectory>A.exe")"),
            "C:\\Menu\\Programs\\Acme\\|Acme 2.0..beta|C:\\Program Files\\App\\A.exe");
}

}  // namespace
