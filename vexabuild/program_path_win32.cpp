#include <windows.h>

#include "program_path.h"
#include "wide_text_win32.h"

std::string RunningProgramDirectory() {
  wchar_t path[32768] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(sizeof path / sizeof path[0]));
  if (length == 0 || length >= sizeof path / sizeof path[0]) return {};
  std::string narrow = NarrowText(std::wstring(path, length));
  return narrow.substr(0, narrow.find_last_of("\\/") + 1);
}
