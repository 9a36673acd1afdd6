#include <gtest/gtest.h>

#include "path_services.h"
#include "scratch_directory.h"

TEST(PathServices, StripExtensionRemovesOnlyTheLastExtensionOfTheLastComponent) {
  EXPECT_EQ(StripExtension("C:\\a\\b.c.txt"), "C:\\a\\b.c");
  EXPECT_EQ(StripExtension("page.htm"), "page");
  EXPECT_EQ(StripExtension("My Bird"), "My Bird");
  EXPECT_EQ(StripExtension("C:\\my.dir\\readme"), "C:\\my.dir\\readme");
  EXPECT_EQ(StripExtension("/home/u/my.dir/readme"), "/home/u/my.dir/readme");
  EXPECT_EQ(StripExtension("name."), "name");
}

TEST(PathServices, PathFileNameAndParentPathSplitAtTheLastSeparator) {
  EXPECT_EQ(PathFileName("C:\\My Bird"), "My Bird");
  EXPECT_EQ(PathFileName("C:\\My Bird\\"), "");
  EXPECT_EQ(PathFileName("/home/u/prog"), "prog");
  EXPECT_EQ(PathFileName("plain"), "plain");
  EXPECT_EQ(ParentPath("C:\\a\\b"), "C:\\a\\");
  EXPECT_EQ(ParentPath("C:\\a\\b\\"), "C:\\a\\b\\");
  EXPECT_EQ(ParentPath("/x/y/*.*"), "/x/y/");
  EXPECT_EQ(ParentPath("plain"), "");
}

TEST(PathServices, ReplaceTextReplacesEveryOccurrenceLeftToRight) {
  EXPECT_EQ(ReplaceText("My Big Bird.htm", " ", ""), "MyBigBird.htm");
  EXPECT_EQ(ReplaceText("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceText("aaa", "aa", "aaa"), "aaaa");
  EXPECT_EQ(ReplaceText("text", "", "x"), "text");
  EXPECT_EQ(ReplaceText("", "a", "b"), "");
}

TEST(PathServices, TrailingSeparatorIsAddedOnce) {
  const std::string separator(1, kDirectorySeparator);
  EXPECT_EQ(WithTrailingSeparator("dir"), "dir" + separator);
  EXPECT_EQ(WithTrailingSeparator("dir\\"), "dir\\");
  EXPECT_EQ(WithTrailingSeparator("dir/"), "dir/");
}

TEST(PathServices, PathExistsForFilesAndDirectoriesOnly) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch.path() / "file.txt", "x");
  EXPECT_TRUE(PathExists(scratch / "file.txt"));
  EXPECT_TRUE(PathExists(scratch.text()));
  EXPECT_FALSE(PathExists(scratch / "missing.txt"));
  EXPECT_FALSE(PathExists(""));
}
