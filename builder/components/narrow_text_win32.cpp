#include <windows.h>

#include <climits>

#include "narrow_text.h"

std::u16string NarrowToUtf16(std::string_view narrow, bool* valid) {
  if (valid) *valid = true;
  if (narrow.empty() || narrow.size() > INT_MAX) return {};
  const int size = static_cast<int>(narrow.size());
  int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(), size, nullptr, 0);
  DWORD flags = MB_ERR_INVALID_CHARS;
  if (length == 0) {
    if (valid) *valid = false;
    flags = 0;
    length = MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, nullptr, 0);
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, flags, narrow.data(), size, wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
}

std::string Utf16ToNarrow(std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const std::wstring wide(text.begin(), text.end());
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  if (length > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}
