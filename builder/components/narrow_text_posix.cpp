#include "narrow_text.h"

#include "utf16_text.h"

std::u16string NarrowToUtf16(std::string_view narrow, bool* valid) {
  std::u16string utf16 = Utf8ToUtf16(narrow);
  // Only well-formed UTF-8 survives the round trip unchanged.
  if (valid) *valid = Utf16ToUtf8(utf16) == narrow;
  return utf16;
}

std::string Utf16ToNarrow(std::u16string_view text) { return Utf16ToUtf8(text); }
