#include <gtest/gtest.h>

#include <array>
#include <string>

#include "shared_components.h"
#include "next_boot_replacement.h"

namespace {

std::array<std::int64_t, 4> Fields(const std::string& text) {
  const Version version = ParseVersion(text);
  return {version.fields[0], version.fields[1], version.fields[2], version.fields[3]};
}

using F = std::array<std::int64_t, 4>;

TEST(ParseVersionTest, ShortTextsArePaddedWithZeroFields) {
  EXPECT_EQ(Fields("2.1"), (F{2, 1, 0, 0}));
  EXPECT_EQ(Fields("7"), (F{7, 0, 0, 0}));
  EXPECT_EQ(Fields("6.00.8168"), (F{6, 0, 8168, 0}));
  EXPECT_EQ(Fields(""), (F{0, 0, 0, 0}));
}

TEST(ParseVersionTest, TheFourthFieldTakesTheRestOfTheText) {
  EXPECT_EQ(Fields("1.2.3.4.5"), (F{1, 2, 3, 4}));
  EXPECT_EQ(Fields("4.70.0.1155"), (F{4, 70, 0, 1155}));
}

TEST(ParseVersionTest, ACommaAnywhereMakesTheCommaTheSeparator) {
  EXPECT_EQ(Fields("1, 0, 0, 5"), (F{1, 0, 0, 5}));
  EXPECT_EQ(Fields("1,2.3"), (F{1, 2, 0, 0}));  // the field "2.3" reads as 2
}

TEST(ParseVersionTest, FieldsReadLikeAtol) {
  EXPECT_EQ(Fields(" 3.\t4. +5.-6"), (F{3, 4, 5, -6}));
  EXPECT_EQ(Fields("beta.2x.x9.7 build"), (F{0, 2, 0, 7}));
  EXPECT_EQ(Fields("99999999999999999999999.1"), (F{INT64_MAX, 1, 0, 0}));
}

TEST(CompareVersionsTest, TwoMeansTheNewFileIsNewer) {
  EXPECT_EQ(CompareVersions("1.0.0.4", "1.0.0.5"), 2);
  EXPECT_EQ(CompareVersions("1.0.0.4", "1, 0, 0, 5"), 2);  // separator chosen per text
  EXPECT_EQ(CompareVersions("", "0.0.0.1"), 2);            // no version information is 0.0.0.0
  EXPECT_EQ(CompareVersions("1.9.9.9", "2"), 2);
}

TEST(CompareVersionsTest, EqualOrOlderNeverInstalls) {
  EXPECT_EQ(CompareVersions("1.0.0.5", "1, 0, 0, 5"), 0);
  EXPECT_EQ(CompareVersions("2.1", "2.1.0.0"), 0);
  EXPECT_EQ(CompareVersions("", ""), 0);  // an empty script version never replaces a copy
  EXPECT_EQ(CompareVersions("0.0.0.1", ""), 1);
  EXPECT_EQ(CompareVersions("1.0.0.5", "1.0.0.4"), 1);
  EXPECT_EQ(CompareVersions("1.2.0.0", "1.1.9.9"), 1);  // the first differing field decides
}

TEST(AddIniLineToTextTest, AppendsTheSectionWhenThereIsNone) {
  std::string text = AddIniLineToText("", "Rename", "NUL", "C:\\WINDOWS\\SYSTEM\\A.DLL");
  text = AddIniLineToText(text, "Rename", "C:\\WINDOWS\\SYSTEM\\A.DLL", "C:\\TEMP\\~TS1.TMP");
  EXPECT_EQ(text, "\r\n[Rename]\r\nNUL=C:\\WINDOWS\\SYSTEM\\A.DLL\r\nC:\\WINDOWS\\SYSTEM\\A.DLL=C:\\TEMP\\~TS1.TMP");

  EXPECT_EQ(AddIniLineToText("[Other]\r\nx=1\r\n", "Rename", "NUL", "B"),
            "[Other]\r\nx=1\r\n\r\n[Rename]\r\nNUL=B");
}

TEST(AddIniLineToTextTest, LinesGoAtTheEndOfTheSectionBeforeTheNextHeader) {
  const std::string text = "[rename]\r\nNUL=OLD\r\n[Other]\r\nx=1\r\n";
  std::string edited = AddIniLineToText(text, "Rename", "NUL", "NEW");
  edited = AddIniLineToText(edited, "Rename", "NEW", "COPY");
  EXPECT_EQ(edited, "[rename]\r\nNUL=OLD\r\n\r\nNUL=NEW\r\n\r\nNEW=COPY\r\n[Other]\r\nx=1\r\n");
}

TEST(AddIniLineToTextTest, KeysAreNeverMergedAndTheSectionEndsTheFile) {
  const std::string text = "[Rename]\r\nNUL=A";
  EXPECT_EQ(AddIniLineToText(text, "RENAME", "NUL", "A"), "[Rename]\r\nNUL=A\r\nNUL=A");
}

}  // namespace
