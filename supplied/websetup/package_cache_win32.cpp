#include <windows.h>

#include "package_cache.h"
#include "small_file.h"
#include "text.h"
#include "win32_handles.h"

bool ReadPackageCacheIndexFile(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  // Never an index that is a link or junction: it may name another package's file.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return false;
  std::string text;
  if (!ReadSmallFile(path, kMaxPackageIndexBytes, text)) return false;
  names = ReadPackageCacheIndex(text);
  return true;
}

std::vector<std::vector<std::string>> OtherPackageIndexes(const std::string& directory, const std::string& skipped) {
  std::vector<std::vector<std::string>> indexes;
  WIN32_FIND_DATAA found;
  const SearchHandle search(FindFirstFileA((directory + "*.txt").c_str(), &found));
  if (!search) return indexes;
  do {
    if (EqualsIgnoringCase(found.cFileName, skipped)) continue;
    std::vector<std::string> names;
    if (ReadPackageCacheIndexFile(directory + found.cFileName, names)) indexes.push_back(std::move(names));
  } while (indexes.size() < kMaxPackageIndexes && FindNextFileA(search.get(), &found));
  return indexes;
}
