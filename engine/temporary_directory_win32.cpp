#include <windows.h>

#include <cstring>

#include "paths.h"
#include "run.h"
#include "text.h"
#include "win32_handles.h"

namespace {

bool IsDotDirectory(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Deletes the files of `directory` and finds its first sub-directory. Links to directories
// (junctions, symbolic links) are removed as links here, never entered.
bool ClearFilesAndFindSubDirectory(const std::string& directory, std::string& sub_directory) {
  sub_directory.clear();
  WIN32_FIND_DATAA found;
  const SearchHandle search(FindFirstFileA((directory + "*").c_str(), &found));
  if (!search) return true;
  bool ok = true;
  do {
    if (IsDotDirectory(found.cFileName)) continue;
    const std::string path = directory + found.cFileName;
    const bool is_directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool is_link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (is_directory && !is_link) {
      if (sub_directory.empty()) sub_directory = path + "\\";
      continue;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const BOOL removed = is_directory ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    if (!removed) ok = false;
  } while (ok && FindNextFileA(search.get(), &found));
  return ok;
}

// The full path of `directory` with a trailing "\" when it is one of the engine's own
// temporary directories; empty otherwise.
std::string OwnTemporaryDirectory(const std::string& directory) {
  const std::string temporary = TemporaryPath();
  if (temporary.empty() || directory.empty()) return {};
  // Judge the path as the file system will resolve it, so "..\" cannot lead elsewhere.
  char full[MAX_PATH + 1] = {};
  const DWORD length = GetFullPathNameA(directory.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length > MAX_PATH) return {};
  std::string top(full, length);
  AppendBackslash(top);
  const std::string prefix = temporary + "~ts";
  if (!StartsWithIgnoringCase(directory, prefix) || !StartsWithIgnoringCase(top, prefix)) return {};
  if (top.find('\\', prefix.size()) != top.size() - 1) return {};  // only the "~ts" directory itself
  return top;
}

}  // namespace

bool IsOwnTemporaryDirectory(const std::string& directory) { return !OwnTemporaryDirectory(directory).empty(); }

bool DeleteTemporaryDirectory(const std::string& directory) {
  const std::string top = OwnTemporaryDirectory(directory);
  if (top.empty()) return false;

  // Asked with a trailing "\", the system would describe the link's target instead.
  const std::string top_entry = top.substr(0, top.size() - 1);
  const DWORD attributes = GetFileAttributesA(top_entry.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryA(top_entry.c_str()) != 0;

  std::string current = top;
  for (;;) {
    std::string sub_directory;
    if (!ClearFilesAndFindSubDirectory(current, sub_directory)) return false;
    if (!sub_directory.empty()) {
      current = sub_directory;
      continue;
    }
    SetFileAttributesA(current.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryA(current.c_str())) return false;
    if (current == top) return true;
    current = top;
  }
}
