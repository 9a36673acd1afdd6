#include <cstdlib>
#include <string>

#include "cache_directories.h"

std::string CacheBaseDirectoryOfPlatform() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && cache[0] == '/') return std::string(cache) + "/corvanta/";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.cache/corvanta/";
  return {};
}

bool SeedsLoaderCache() { return false; }

std::string NativeDirectoryText(const std::string& directory) {
  std::string text = directory;
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}
