// Narrow text (the ANSI code page, narrow_text.h) to and from the UTF-16 strings of the
// wide Windows functions (Windows build).
#pragma once

#include <string>

#include "narrow_text.h"

inline std::wstring WideText(const std::string& narrow) {
  const std::u16string utf16 = NarrowToUtf16(narrow);
  return std::wstring(utf16.begin(), utf16.end());
}

inline std::string NarrowText(const std::wstring& wide) {
  return Utf16ToNarrow(std::u16string(wide.begin(), wide.end()));
}
