#include "text.h"

#include <gtest/gtest.h>

namespace {

TEST(HexTextTest, PadsWithZerosToTheDigitsAskedForAndNeverCuts) {
  EXPECT_EQ(HexText(0xABC, 4), "0ABC");
  EXPECT_EQ(HexText(0, 4), "0000");
  EXPECT_EQ(HexText(0, 0), "0");
  EXPECT_EQ(HexText(0x12345, 4), "12345");
  EXPECT_EQ(HexText(0xFFFFFFFFu, 8), "FFFFFFFF");
}

TEST(HexTextTest, VersionKeysAreLowerCaseAndStatusCodesUpperCase) {
  EXPECT_EQ(HexText(0x409, 4, true) + HexText(0x4E4, 4, true), "040904e4");
  EXPECT_EQ("0x" + HexText(0x800B0100u, 8), "0x800B0100");
}

}  // namespace
