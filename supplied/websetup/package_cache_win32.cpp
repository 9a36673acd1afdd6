#include <windows.h>

#include <cstdio>

#include "package_cache.h"
#include "text.h"

bool ReadPackageCacheIndexFile(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  // Never an index that is a link or junction: it may name another package's file.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string text(kMaxPackageIndexBytes + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  if (text.size() > kMaxPackageIndexBytes) return false;
  names = ReadPackageCacheIndex(text);
  return true;
}

std::vector<std::vector<std::string>> OtherPackageIndexes(const std::string& directory, const std::string& skipped) {
  std::vector<std::vector<std::string>> indexes;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((directory + "*.txt").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return indexes;
  do {
    if (EqualsIgnoringCase(found.cFileName, skipped)) continue;
    std::vector<std::string> names;
    if (ReadPackageCacheIndexFile(directory + found.cFileName, names)) indexes.push_back(std::move(names));
  } while (indexes.size() < kMaxPackageIndexes && FindNextFileA(search, &found));
  FindClose(search);
  return indexes;
}
