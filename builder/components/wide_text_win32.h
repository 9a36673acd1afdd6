// UTF-8 text to and from the UTF-16 strings of the wide Windows functions (Windows build).
#pragma once

#include <string>

#include "utf16_text.h"

namespace vexa::components {

inline std::wstring WideText(const std::string& utf8) {
  const std::u16string utf16 = Utf8ToUtf16(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

inline std::string Utf8Text(const std::wstring& wide) { return Utf16ToUtf8(std::u16string(wide.begin(), wide.end())); }

}  // namespace vexa::components
