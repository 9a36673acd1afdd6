#include "small_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scratch_directory.h"

namespace {

namespace fs = std::filesystem;

class SmallFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_ / name; }

  ScratchDirectory scratch_;
};

TEST_F(SmallFileTest, AFileUpToTheLimitIsReadWholeAndALongerOneIsRefused) {
  const std::string text = "first line\r\nsecond line\r\n";
  ASSERT_TRUE(WriteSmallFile(Path("index.txt"), text));
  std::string read = "poison, longer than the file itself";
  EXPECT_TRUE(ReadSmallFile(Path("index.txt"), text.size(), read));
  EXPECT_EQ(read, text);
  EXPECT_FALSE(ReadSmallFile(Path("index.txt"), text.size() - 1, read));

  ASSERT_TRUE(WriteSmallFile(Path("index.txt"), ""));
  EXPECT_TRUE(ReadSmallFile(Path("index.txt"), 0, read));
  EXPECT_EQ(read, "");
}

TEST_F(SmallFileTest, AMissingFileOrDirectoryIsNeitherReadNorWritten) {
  std::string read;
  EXPECT_FALSE(ReadSmallFile(Path("missing.txt"), 100, read));
  EXPECT_FALSE(WriteSmallFile(Path("no-such-directory/index.txt"), "text"));
  EXPECT_FALSE(fs::exists(scratch_.path() / "no-such-directory"));
}

}  // namespace
