#include "uninstall.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(UninstallDataLinesTest, NameDirectoryGroupThenTheInstalledFilesInOrder) {
  const Lines files = {"C:\\P\\A.txt", "C:\\Menu\\P\\A.LNK", "C:\\P\\Uninstall\\Uninstall.EXE"};
  EXPECT_EQ(UninstallDataLines({}, "Acme", "C:\\P\\", "C:\\Menu\\P\\", files),
            (Lines{"Acme", "C:\\P\\", "C:\\Menu\\P\\", "C:\\P\\A.txt", "C:\\Menu\\P\\A.LNK",
                   "C:\\P\\Uninstall\\Uninstall.EXE"}));
  // Lines already carried by the program keep their places after the first three.
  EXPECT_EQ(UninstallDataLines({"old", "C:\\Old\\", "", "kept"}, "Acme", "C:\\P\\", "", {"C:\\P\\A.txt"}),
            (Lines{"Acme", "C:\\P\\", "", "kept", "C:\\P\\A.txt"}));
}

TEST(UninstallDataLinesTest, WebPackageLineComesLastAndOnlyAKeyCounts) {
  const std::string key = "0123456789abcdef0123456789abcdef";
  const Lines data = UninstallDataLines({}, "Acme", "C:\\P\\", "", {"C:\\P\\Uninstall\\Uninstall.EXE"}, key);
  EXPECT_EQ(data, (Lines{"Acme", "C:\\P\\", "", "C:\\P\\Uninstall\\Uninstall.EXE", "WebPackage=" + key}));
  EXPECT_EQ(WebPackageOfUninstallData(data), key);
  // Data written without the switch, as every earlier installation wrote it.
  EXPECT_EQ(WebPackageOfUninstallData(UninstallDataLines({}, "Acme", "C:\\P\\", "", {"C:\\P\\A.txt"})), "");
  for (const char* last : {"WebPackage=0123", "WebPackage=..\\..\\x", "WebPackage=", "C:\\P\\A.txt"}) {
    EXPECT_EQ(WebPackageOfUninstallData({"Acme", "C:\\P\\", "", last}), "") << last;
  }
  EXPECT_EQ(WebPackageOfUninstallData({"Acme", "C:\\P\\", "WebPackage=" + key}), "");
}

TEST(UninstallCommandTest, QuotedOnlyWhenThePathHoldsABlank) {
  EXPECT_EQ(UninstallCommand("C:\\Program Files\\Acme\\Uninstall\\Uninstall.EXE"),
            "\"C:\\Program Files\\Acme\\Uninstall\\Uninstall.EXE\"");
  EXPECT_EQ(UninstallCommand("C:\\Acme\\Uninstall\\Uninstall.EXE"), "C:\\Acme\\Uninstall\\Uninstall.EXE");
}

TEST(NormalizedPathTest, FoldsSeparatorsDotsAndDotDotsKeepingCase) {
  EXPECT_EQ(NormalizedPath("C:\\Program Files\\Acme\\"), "C:\\Program Files\\Acme");
  EXPECT_EQ(NormalizedPath("c:/Acme//Sub/./File.txt"), "c:\\Acme\\Sub\\File.txt");
  EXPECT_EQ(NormalizedPath("C:\\Acme\\Sub\\..\\..\\Windows\\win.ini"), "C:\\Windows\\win.ini");
  EXPECT_EQ(NormalizedPath("C:\\"), "C:\\");
  EXPECT_EQ(NormalizedPath("\\\\server\\share\\Acme\\..\\x"), "\\\\server\\share\\x");
}

TEST(NormalizedPathTest, RefusesRelativeDevicePathsAndClimbsAboveTheRoot) {
  for (const char* path : {"..\\..\\x", "Acme\\x", "C:Acme\\x", "\\Acme\\x", "\\\\?\\C:\\Acme\\x", "\\\\.\\C:\\x",
                           "\\\\server", "\\\\server\\..\\x", "C:\\..\\x", "C:\\Acme\\...\\x", "C:\\Acme\\x.\\y",
                           "C:\\Acme\\.. \\y", "C:\\Acme\\x:stream", ""}) {
    EXPECT_EQ(NormalizedPath(path), "") << path;
  }
}

TEST(PathIsBelowTest, ComparesNormalisedPathsIgnoringCase) {
  EXPECT_TRUE(PathIsBelow("c:\\program files\\ACME\\Sub\\a.txt", "C:\\Program Files\\Acme\\"));
  EXPECT_TRUE(PathIsBelow("C:/Program Files/Acme/a.txt", "C:\\Program Files\\Acme"));
  EXPECT_FALSE(PathIsBelow("C:\\Program Files\\Acme\\..\\..\\Windows\\win.ini", "C:\\Program Files\\Acme\\"));
  EXPECT_FALSE(PathIsBelow("C:\\Program Files\\Acme Paint\\a.txt", "C:\\Program Files\\Acme\\"));
  EXPECT_FALSE(PathIsBelow("C:\\Program Files\\Acme\\", "C:\\Program Files\\Acme\\"));
  EXPECT_FALSE(PathIsBelow("..\\..\\x", "C:\\Program Files\\Acme\\"));
  EXPECT_FALSE(IsBelowRoot("C:\\"));
  EXPECT_FALSE(IsBelowRoot("C:\\Acme\\.."));
  EXPECT_FALSE(IsBelowRoot("\\\\server\\share\\"));
  EXPECT_TRUE(IsBelowRoot("\\\\server\\share\\Acme\\"));
  EXPECT_TRUE(IsBelowRoot("C:\\Acme\\"));
}

TEST(DirectoriesToRemoveTest, ClimbsToTheDeepestRootThatHoldsTheFile) {
  const Lines roots = {"C:\\Program Files\\Acme\\", "C:\\Menu\\Programs\\Acme\\"};
  EXPECT_EQ(DirectoriesToRemove("C:\\Program Files\\Acme\\Docs\\Old\\a.txt", roots),
            (Lines{"C:\\Program Files\\Acme\\Docs\\Old", "C:\\Program Files\\Acme\\Docs", "C:\\Program Files\\Acme"}));
  EXPECT_EQ(DirectoriesToRemove("C:\\MENU\\Programs\\Acme\\Tools\\T.LNK", roots),
            (Lines{"C:\\MENU\\Programs\\Acme\\Tools", "C:\\MENU\\Programs\\Acme"}));
  // A group inside the product directory stops the climb at the group.
  EXPECT_EQ(DirectoriesToRemove("C:\\P\\Menu\\A.LNK", {"C:\\P\\", "C:\\P\\Menu\\"}), (Lines{"C:\\P\\Menu"}));
}

TEST(DirectoriesToRemoveTest, NothingOutsideTheRootsOrBelowARootDirectory) {
  const Lines roots = {"C:\\Program Files\\Acme\\", "C:\\"};
  EXPECT_TRUE(DirectoriesToRemove("C:\\Windows\\win.ini", roots).empty());
  EXPECT_TRUE(DirectoriesToRemove("C:\\Program Files\\Acme\\..\\x", roots).empty());
  EXPECT_TRUE(DirectoriesToRemove("\\\\?\\C:\\Program Files\\Acme\\a.txt", roots).empty());
  EXPECT_TRUE(DirectoriesToRemove("C:\\Program Files\\Acme\\a.txt", {""}).empty());
}

TEST(EstimatedSizeKbTest, RoundsUpToWholeKilobytes) {
  EXPECT_EQ(EstimatedSizeKb(0), 0u);
  EXPECT_EQ(EstimatedSizeKb(1), 1u);
  EXPECT_EQ(EstimatedSizeKb(2048), 2u);
  EXPECT_EQ(EstimatedSizeKb(2049), 3u);
  EXPECT_EQ(EstimatedSizeKb(~0ull), 0xFFFFFFFFu);
}

}  // namespace
