#include <windows.h>

#include <cstring>

#include "directory_listing.h"

bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
    const DWORD attributes = found.dwFileAttributes;
    DirectoryEntryKind kind = DirectoryEntryKind::File;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      // Junctions, symbolic links and mount points are all reparse points.
      kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? DirectoryEntryKind::DirectoryLink
                                                         : DirectoryEntryKind::Directory;
    } else if (attributes & FILE_ATTRIBUTE_DEVICE) {
      continue;
    }
    entries.push_back({found.cFileName, kind});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}
