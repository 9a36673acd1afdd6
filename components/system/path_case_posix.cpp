#include <sys/stat.h>

#include <vector>

#include "directory_listing.h"
#include "path_case.h"
#include "path_services.h"

namespace {

bool Exists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

// The entry of `directory` (ending in "/") spelled like `name` but for case; empty when none.
std::string MatchInDirectory(const std::string& directory, const std::string& name) {
  if (Exists(directory + name)) return name;
  std::vector<DirectoryEntry> entries;
  if (!ListDirectory(directory.empty() ? "./" : directory, entries)) return {};
  const std::string wanted = UpperAscii(name);
  std::string best;
  for (const DirectoryEntry& entry : entries) {
    if (UpperAscii(entry.name) == wanted && (best.empty() || entry.name < best)) best = entry.name;
  }
  return best;
}

}  // namespace

std::string ResolvePathCase(const std::string& path) {
  if (path.empty() || Exists(path)) return path;
  std::string resolved;
  std::size_t at = 0;
  while (at < path.size() && IsPathSeparator(path[at])) {
    resolved = "/";
    ++at;
  }
  while (at < path.size()) {
    std::size_t end = at;
    while (end < path.size() && !IsPathSeparator(path[end])) ++end;
    const std::string name = path.substr(at, end - at);
    if (!name.empty()) {
      const std::string found = name == "." || name == ".." ? name : MatchInDirectory(resolved, name);
      if (found.empty()) return path;
      resolved += found;
      if (end < path.size()) resolved += '/';
    }
    at = end + 1;
  }
  return resolved;
}
