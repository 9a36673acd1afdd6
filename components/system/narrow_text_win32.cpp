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

bool NarrowToCodePage(std::string_view narrow, int code_page, std::string& bytes) {
  bytes.clear();
  if (!IsPackageCodePage(code_page)) return false;
  bool valid = false;
  const std::u16string utf16 = NarrowToUtf16(narrow, &valid);
  if (!valid || utf16.size() > INT_MAX) return false;
  if (utf16.empty()) return true;
  const std::wstring wide(utf16.begin(), utf16.end());
  const int size = static_cast<int>(wide.size());
  const UINT page = static_cast<UINT>(code_page);
  // No best-fit look-alikes: a character the code page lacks is reported, never replaced.
  BOOL used_default = FALSE;
  const int length =
      WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &used_default);
  if (length <= 0 || used_default) return false;
  bytes.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), length, nullptr, &used_default);
  if (used_default) bytes.clear();
  return !used_default;
}
