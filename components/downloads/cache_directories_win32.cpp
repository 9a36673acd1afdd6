#include <windows.h>
#include <shlobj.h>

#include <string>

#include "cache_directories.h"
#include "wide_text_win32.h"

std::string CacheBaseDirectoryOfPlatform() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return {};
  }
  return NarrowText(path) + "\\Corvanta\\";
}

bool SeedsLoaderCache() { return true; }

std::string NativeDirectoryText(const std::string& directory) { return directory; }
