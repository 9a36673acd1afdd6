#include <gtest/gtest.h>

#include "file_stamp.h"
#include "scratch_directory.h"

TEST(FileStamp, ParseAcceptsRealDatesOnly) {
  FileStampFields fields;
  ASSERT_TRUE(ParseFileStamp("20240229235958", fields));
  EXPECT_EQ(FormatFileStamp(fields), "20240229235958");
  for (const char* bad : {"20230229120000", "20241301120000", "20240100120000", "20240101240000",
                          "20240101126000", "2024010112000", "202401011200000", "2024010112000x",
                          "16001231235959", ""}) {
    EXPECT_FALSE(ParseFileStamp(bad, fields)) << bad;
  }
}

TEST(FileStamp, SetThenGetGivesTheSameLocalTime) {
  ScratchDirectory scratch;
  const std::string path = scratch / "stamped.bin";
  WriteFileBytes(path, "x");
  for (const char* stamp : {"19990704083015", "20240615120000", "20241231235959"}) {
    ASSERT_TRUE(SetFileStamp(path, stamp)) << stamp;
    EXPECT_EQ(GetFileStamp(path), stamp);
  }
  EXPECT_FALSE(SetFileStamp(path, "not a stamp"));
  EXPECT_EQ(GetFileStamp(path), "20241231235959");
  EXPECT_FALSE(SetFileStamp(scratch / "absent", "20240615120000"));
  EXPECT_EQ(GetFileStamp(scratch / "absent"), "");
}
