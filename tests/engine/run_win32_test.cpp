#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "system_temporary_path_win32.h"
#include "temporary_directory.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const char* text) { std::ofstream(path) << text; }

class DeleteTemporaryDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    tree_ = SystemTemporaryPath() + "~tsTest" + name + "\\";
    outside_ = SystemTemporaryPath() + "VexaOutside" + name + "\\";
    fs::remove_all(tree_);
    fs::remove_all(outside_);
    fs::create_directories(tree_ + "sub\\deeper");
    fs::create_directories(outside_);
    WriteFile(outside_ + "keep.txt", "keep");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(outside_, ignored);
  }

  std::string tree_;
  std::string outside_;
};

TEST_F(DeleteTemporaryDirectoryTest, RemovesTheWholeTreeIncludingReadOnlyFiles) {
  WriteFile(tree_ + "Attachment.CAB", "x");
  WriteFile(tree_ + "sub\\a.txt", "x");
  WriteFile(tree_ + "sub\\deeper\\b.txt", "x");
  fs::create_directories(tree_ + "second\\empty");
  SetFileAttributesA((tree_ + "sub\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(DeleteTemporaryDirectory(tree_));
  EXPECT_FALSE(fs::exists(tree_));
}

TEST_F(DeleteTemporaryDirectoryTest, LeavesDirectoriesThatAreNotTheEnginesOwn) {
  EXPECT_FALSE(DeleteTemporaryDirectory(outside_));  // in the temporary path, no "~ts"
  const std::string elsewhere = fs::current_path().string() + "\\~tsElsewhere\\";
  fs::create_directories(elsewhere);
  EXPECT_FALSE(DeleteTemporaryDirectory(elsewhere));  // "~ts", but not in the temporary path
  // Starts like one of ours, but resolves to the directory next to it.
  EXPECT_FALSE(DeleteTemporaryDirectory(tree_ + "..\\" + fs::path(outside_).parent_path().filename().string()));
  EXPECT_FALSE(DeleteTemporaryDirectory(tree_ + "..\\..\\"));
  EXPECT_TRUE(fs::exists(outside_ + "keep.txt"));
  EXPECT_TRUE(fs::exists(elsewhere));
  EXPECT_TRUE(fs::exists(tree_));
  fs::remove_all(elsewhere);
  fs::remove_all(tree_);
}

// Links inside the tree are made from the Linux side (Wine shows a symbolic link as a
// directory reparse point): see link_safety_test.sh.

}  // namespace
