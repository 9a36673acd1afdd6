#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "disk_space.h"

namespace {

TEST(DiskSpaceShortageTest, OneDriveHoldsTheSumOfProgramAndComponents) {
  EXPECT_EQ(DiskSpaceShortage({600, 500}, "C:", 1000.0, "c:", 1000.0),
            "Error: Insufficient disk space on drive C: for this installation. Space required is: 1100 bytes. "
            "Space available is: 1000 bytes. ");
  EXPECT_EQ(DiskSpaceShortage({600, 400}, "C:", 1000.0, "C:", 1000.0), "");
}

TEST(DiskSpaceShortageTest, SeparateDrivesAreCheckedProgramDriveFirst) {
  EXPECT_EQ(DiskSpaceShortage({600, 500}, "D:", 1000.0, "C:", 1000.0), "");
  EXPECT_EQ(DiskSpaceShortage({600, 1500}, "D:", 1000.0, "C:", 1234.75),
            "Error: Insufficient disk space on drive C: for this installation. Space required is: 1500 bytes. "
            "Space available is: 1234 bytes. ");
  EXPECT_EQ(DiskSpaceShortage({2000, 1500}, "D:", 1000.0, "C:", 10.0),
            "Error: Insufficient disk space on drive D: for this installation. Space required is: 2000 bytes. "
            "Space available is: 1000 bytes. ");
}

TEST(DiskSpaceShortageTest, LargeNumbersAreWrittenWithoutSeparatorsOrExponent) {
  EXPECT_EQ(DiskSpaceShortage({900000000000000, 31}, "C:", 5368709120.0, "C:", 5368709120.0),
            "Error: Insufficient disk space on drive C: for this installation. Space required is: 900000000000031 "
            "bytes. Space available is: 5368709120 bytes. ");
}

TEST(DiskSpaceShortageTest, SumsBeyondSixtyFourBitsAreWrittenExactly) {
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(DiskSpaceShortage({kLargest, kLargest}, "C:", 1.0, "C:", 1.0),
            "Error: Insufficient disk space on drive C: for this installation. Space required is: "
            "18446744073709551616 bytes. Space available is: 1 bytes. ");
  EXPECT_EQ(DiskSpaceShortage({kLargest, 0}, "C:", 0.0, "D:", 0.0),
            "Error: Insufficient disk space on drive C: for this installation. Space required is: "
            "9223372036854775808 bytes. Space available is: 0 bytes. ");
}

TEST(DiskSpaceShortageTest, UnreadableFreeSpacePasses) {
  EXPECT_EQ(DiskSpaceShortage({2000, 1500}, "\\\\", std::nullopt, "C:", 10.0), "");
  EXPECT_EQ(DiskSpaceShortage({2000, 1500}, "D:", 10.0, "C:", std::nullopt), "");
}

}  // namespace
