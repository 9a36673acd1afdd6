#include "paths.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNameOfPathTest, TextAfterLastBackslashOrSlash) {
  EXPECT_EQ(FileNameOfPath("..\\CABS\\Program.cab"), "Program.cab");
  EXPECT_EQ(FileNameOfPath("http://example.com/x\\y/Program.cab"), "Program.cab");
  EXPECT_EQ(FileNameOfPath("a/b\\Prog1.cab"), "Prog1.cab");
  EXPECT_EQ(FileNameOfPath("Program.cab"), "Program.cab");
  EXPECT_EQ(FileNameOfPath("C:\\Dir\\"), "");
  EXPECT_EQ(FileNameOfPath(""), "");
}

}  // namespace
