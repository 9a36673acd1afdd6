#include <windows.h>

#include "paths.h"

bool DirectoryIsWritable(std::string_view directory) {
  if (directory.empty()) return false;
  std::string path(directory);
  if (path.back() != '\\') path.push_back('\\');
  char file[MAX_PATH];
  // GetTempFileName creates the file, which is exactly the test we want.
  if (GetTempFileNameA(path.c_str(), "~ts", 0, file) == 0) return false;
  DeleteFileA(file);
  return true;
}

bool CreateDirectoryTree(std::string_view path) {
  std::string full(path);
  if (full.empty() || full.back() != '\\') full.push_back('\\');
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
