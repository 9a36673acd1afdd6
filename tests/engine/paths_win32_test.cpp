#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "paths.h"
#include "scratch_directory.h"

namespace {

namespace fs = std::filesystem;

class PathsTest : public ::testing::Test {
 protected:
  std::size_t EntriesIn(const std::string& directory) const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
  }

  ScratchDirectory scratch_;
  const std::string root_ = scratch_.path().string();
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
