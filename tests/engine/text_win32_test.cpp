#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "text.h"

// The engine's text is in the system's ANSI code page: Windows-1252 in the test prefix, as
// on Western European Windows.
TEST(WideTextTest, CodePageTextConvertsBothWaysByTheSystemsCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
  EXPECT_EQ(Wide("C:\\Caf\xE9 \xDC" "ber\\A.DLL"), L"C:\\Caf\u00E9 \u00DCber\\A.DLL");
  EXPECT_EQ(Narrow(L"C:\\Caf\u00E9 \u00DCber\\A.DLL"), "C:\\Caf\xE9 \xDC" "ber\\A.DLL");
  EXPECT_EQ(Narrow(L"\u4E2D.txt"), "?.txt");
}

TEST(WideTextTest, EmptyStaysEmptyAndLongTextIsNeverCut) {
  EXPECT_EQ(Wide(""), L"");
  EXPECT_EQ(Narrow(L""), "");
  const std::string long_text(40000, 'a');
  EXPECT_EQ(Wide(long_text), std::wstring(40000, L'a'));
  EXPECT_EQ(Narrow(std::wstring(40000, L'a')), long_text);
  // A NUL inside the text is converted like any other character, not taken for its end.
  EXPECT_EQ(Wide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}
