#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "paths.h"

namespace {

namespace fs = std::filesystem;

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = std::string(temp) + "VexaPaths_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::size_t EntriesIn(const std::string& directory) const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
  }

  std::string root_;
};

TEST_F(PathsTest, WritableDirectoryLeavesNoProbeFileBehind) {
  EXPECT_TRUE(DirectoryIsWritable(root_));
  EXPECT_TRUE(DirectoryIsWritable(root_ + "\\"));
  EXPECT_EQ(EntriesIn(root_), 0u);
}

TEST_F(PathsTest, MissingOrEmptyDirectoryIsNotWritable) {
  EXPECT_FALSE(DirectoryIsWritable(""));
  EXPECT_FALSE(DirectoryIsWritable(root_ + "\\missing\\"));
  EXPECT_FALSE(fs::exists(root_ + "\\missing"));
}

TEST_F(PathsTest, CreateDirectoryTreeCreatesEveryMissingLevel) {
  const std::string deep = root_ + "\\Acme Paint\\Data\\Maps\\";
  EXPECT_TRUE(CreateDirectoryTree(deep));
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_TRUE(CreateDirectoryTree(root_ + "\\Acme Paint\\Data"));  // exists already, no trailing "\"
  EXPECT_EQ(EntriesIn(root_ + "\\Acme Paint\\Data"), 1u);
}

TEST_F(PathsTest, CreateDirectoryTreeFailsOnRootsAndThroughFiles) {
  EXPECT_FALSE(CreateDirectoryTree("C:\\"));
  EXPECT_FALSE(CreateDirectoryTree("C:"));
  EXPECT_FALSE(CreateDirectoryTree(""));
  std::ofstream(root_ + "\\file.txt") << "x";
  EXPECT_FALSE(CreateDirectoryTree(root_ + "\\file.txt\\sub\\"));
  EXPECT_FALSE(fs::exists(root_ + "\\file.txt\\sub"));
}

}  // namespace
