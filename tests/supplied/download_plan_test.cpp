// What of a download is missing while several connections fetch it, and the text that keeps
// it for the next run (and refuses anything it did not write).
#include <gtest/gtest.h>

#include <string>

#include "download_plan.h"

namespace {

std::string Saved(std::uint64_t size, const std::string& ranges) {
  return "VexaMissing 1\r\nSize " + std::to_string(size) + "\r\n" + ranges;
}

TEST(DownloadPlanTest, ConnectionsTakeTheLowestPiecesAndGiveBackWhatTheyDidNotWrite) {
  DownloadPlan plan(1000, 3);
  ByteRange a, b, c;
  ASSERT_TRUE(plan.Take(0, 400, a));
  ASSERT_TRUE(plan.Take(1, 400, b));
  ASSERT_TRUE(plan.Take(2, 400, c));
  EXPECT_EQ(a.first, 0u);
  EXPECT_EQ(a.end, 400u);
  EXPECT_EQ(b.first, 400u);
  EXPECT_EQ(c.first, 800u);
  EXPECT_EQ(c.end, 1000u);  // the last piece is what is left
  EXPECT_EQ(plan.UnheldBytes(), 0u);

  plan.Advance(0, 400);
  plan.Advance(1, 150);  // dropped after 150 bytes
  plan.Advance(2, 200);
  EXPECT_EQ(plan.Held(1).first, 550u);
  EXPECT_EQ(plan.MissingBytes(), 250u);
  // While connection 1 still holds its rest, the saved text names it as missing.
  EXPECT_EQ(plan.Text(), Saved(1000, "Missing 550 800\r\n"));
  plan.Release(0);
  plan.Release(1);
  plan.Release(2);
  EXPECT_EQ(plan.MissingBytes(), 250u);
  EXPECT_FALSE(plan.Complete());

  // The rest of the dropped piece is handed out again, from where it stopped.
  ByteRange again;
  ASSERT_TRUE(plan.Take(2, 1000, again));
  EXPECT_EQ(again.first, 550u);
  EXPECT_EQ(again.end, 800u);
  EXPECT_FALSE(plan.Take(0, 1000, a));
  plan.Advance(2, 1000);  // never past the range's end
  plan.Release(2);
  EXPECT_TRUE(plan.Complete());
  EXPECT_EQ(plan.Text(), Saved(1000, ""));
}

TEST(DownloadPlanTest, RangesGivenBackOutOfOrderJoinWhereTheyTouch) {
  DownloadPlan plan(900, 3);
  ByteRange r;
  for (std::size_t slot = 0; slot < 3; ++slot) ASSERT_TRUE(plan.Take(slot, 300, r));
  plan.Release(2);
  plan.Release(0);
  EXPECT_EQ(plan.Text(), Saved(900, "Missing 0 900\r\n"));  // slot 1 still holds 300..600
  plan.Advance(1, 100);
  plan.Release(1);
  EXPECT_EQ(plan.Text(), Saved(900, "Missing 0 300\r\nMissing 400 900\r\n"));
  plan.Reset();
  EXPECT_EQ(plan.MissingBytes(), 900u);
}

TEST(DownloadPlanTest, APrefixOnDiskAndASavedTextComeBackAsTheyWere) {
  DownloadPlan plan(5000, 2);
  plan.MarkPrefixPresent(1200);
  EXPECT_EQ(plan.MissingBytes(), 3800u);
  ByteRange r;
  ASSERT_TRUE(plan.Take(0, 500, r));
  plan.Advance(0, 100);
  ASSERT_TRUE(plan.Take(1, 500, r));
  plan.Advance(1, 500);
  plan.Release(1);
  const std::string text = plan.Text();
  EXPECT_EQ(text, Saved(5000, "Missing 1300 1700\r\nMissing 2200 5000\r\n"));

  DownloadPlan later(5000, 2);
  ASSERT_TRUE(later.Load(text));
  EXPECT_EQ(later.Text(), text);
  EXPECT_EQ(later.MissingBytes(), 3200u);

  DownloadPlan whole(5000, 1);
  whole.MarkPrefixPresent(5000);
  EXPECT_TRUE(whole.Complete());
  whole.MarkPrefixPresent(7000);
  EXPECT_TRUE(whole.Complete());
}

TEST(DownloadPlanTest, ATextNotWrittenForThisFileIsRefusedAndChangesNothing) {
  const std::string refused[] = {
      "",
      "VexaMissing 1\r\n",
      "VexaMissing 2\r\nSize 1000\r\n",
      Saved(999, "Missing 0 10\r\n"),                          // another size
      Saved(1000, "Missing 0 10"),                             // no line end
      Saved(1000, "Missing 0 10\n"),
      Saved(1000, "Missing 10 10\r\n"),                        // empty
      Saved(1000, "Missing 20 10\r\n"),
      Saved(1000, "Missing 0 1001\r\n"),                       // beyond the end
      Saved(1000, "Missing 100 200\r\nMissing 50 60\r\n"),     // out of order
      Saved(1000, "Missing 100 200\r\nMissing 200 300\r\n"),   // touching
      Saved(1000, "Missing 100 200\r\nMissing 150 300\r\n"),   // overlapping
      Saved(1000, "Missing 010 20\r\n"),                       // leading zero
      Saved(1000, "Missing -1 20\r\n"),
      Saved(1000, "Missing 1  20\r\n"),
      Saved(1000, "Missing 1 20 \r\n"),
      Saved(1000, "missing 1 20\r\n"),
      Saved(1000, "Missing 99999999999999999999 20\r\n"),
      "VexaMissing 1\r\nSize 01000\r\n",
  };
  for (const std::string& text : refused) {
    DownloadPlan plan(1000, 1);
    plan.MarkPrefixPresent(600);
    EXPECT_FALSE(plan.Load(text)) << text;
    EXPECT_EQ(plan.MissingBytes(), 400u) << text;
  }

  std::string many;
  for (std::size_t i = 0; i <= kMaxMissingRanges; ++i)
    many += "Missing " + std::to_string(2 * i) + " " + std::to_string(2 * i + 1) + "\r\n";
  DownloadPlan plan(1000000, 1);
  EXPECT_FALSE(plan.Load(Saved(1000000, many)));
  many.erase(many.rfind("Missing"));
  EXPECT_TRUE(plan.Load(Saved(1000000, many)));
  EXPECT_EQ(plan.MissingBytes(), kMaxMissingRanges);
}

}  // namespace
