#include <windows.h>

#include "paths.h"
#include "text.h"

namespace {

std::string DirectoryFrom(UINT(WINAPI* query)(LPSTR, UINT)) {
  char directory[kPathBuffer] = {};
  const UINT length = query(directory, kPathBuffer);
  return length > 0 && length < kPathBuffer ? std::string(directory, length) : std::string();
}

}  // namespace

std::string SystemDirectory() { return DirectoryFrom(GetSystemDirectoryA); }

std::string WindowsDirectory() { return DirectoryFrom(GetWindowsDirectoryA); }

std::string TemporaryPath() {
  char path[kPathBuffer] = {};
  const DWORD length = GetTempPathA(kPathBuffer, path);
  if (length == 0 || length >= kPathBuffer) return {};
  std::string result(path, length);
  AppendBackslash(result);
  return result;
}

bool DirectoryIsWritable(std::string_view directory) {
  if (directory.empty()) return false;
  std::string path(directory);
  AppendBackslash(path);
  char file[MAX_PATH];
  // GetTempFileName creates the file, which is exactly the test we want.
  if (GetTempFileNameA(path.c_str(), "~ts", 0, file) == 0) return false;
  DeleteFileA(file);
  return true;
}

bool CreateDirectoryTree(std::string_view path) {
  std::string full(path);
  AppendBackslash(full);
  bool result = false;
  // The first backslash follows the root ("C:\"): start at the second one.
  std::size_t backslash = full.find('\\');
  while (backslash != std::string::npos) {
    backslash = full.find('\\', backslash + 1);
    if (backslash == std::string::npos) break;
    const std::string prefix = full.substr(0, backslash);
    result = DirectoryIsWritable(prefix) || CreateDirectoryA(prefix.c_str(), nullptr) != 0;
    if (!result) break;
  }
  return result;
}

std::string OwnExePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && path.find_last_of('\\') < dot) path.resize(dot);
  return UpperCase(path + ".EXE");
}
