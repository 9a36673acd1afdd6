#include <gtest/gtest.h>

#include "log_file.h"

namespace {

// A message's line breaks stay line breaks in the log file, whichever form the message
// uses: the question about a previous installation breaks its lines with CR alone.
TEST(LogLineEndsTest, EveryLineBreakBecomesCrLfOnce) {
  EXPECT_EQ(WithLogLineEnds("directory: \r\rC:\\Acme\\\r\rContinuing"),
            "directory: \r\n\r\nC:\\Acme\\\r\n\r\nContinuing");
  EXPECT_EQ(WithLogLineEnds("a\r\nb\nc\n\rd"), "a\r\nb\r\nc\r\n\r\nd");
  EXPECT_EQ(WithLogLineEnds("plain"), "plain");
  EXPECT_EQ(WithLogLineEnds("end\r"), "end\r\n");
}

}  // namespace
