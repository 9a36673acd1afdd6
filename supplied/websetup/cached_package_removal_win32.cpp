// Removing an uninstalled product's package from a web setup cache (package_cache.h). The
// uninstall program does it elevated, in caches a user may write to: nothing is deleted
// through a link or junction.
#include <windows.h>

#include "command_line.h"
#include "package_cache.h"
#include "paths.h"
#include "text.h"
#include "win32_handles.h"

namespace {

bool IsLinkOrJunction(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// True when `directory` or any directory above it (below its root) is a link or junction.
// The uninstall program deletes here elevated, and the user's cache lies in his profile: a
// junction planted there must not carry a deletion elsewhere.
bool LinkOnTheWay(const std::string& directory) {
  const std::string full = WithBackslash(directory);
  // The first backslash follows the root ("C:\"): start at the second one.
  for (std::size_t backslash = full.find('\\', full.find('\\') + 1); backslash != std::string::npos;
       backslash = full.find('\\', backslash + 1)) {
    if (IsLinkOrJunction(GetFileAttributesA(full.substr(0, backslash).c_str()))) return true;
  }
  return false;
}

// The path of the file open as `handle`, as the file system resolves it, without the
// "\\?\" prefix; empty when unknown.
std::string FinalPath(HANDLE handle) {
  char buffer[2 * MAX_PATH] = {};
  const DWORD length = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= sizeof buffer) return {};
  std::string path(buffer, length);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\" + path.substr(7);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

// Deletes the cache-relative `name` below `cache`, through the handle of the file opened at
// that path and only when that file's own path is the one named: a junction swapped into
// the path after any check of it shows in the opened file's path and deletes nothing.
bool DeleteFromCache(const std::string& cache, const std::string& name) {
  const std::string path = cache + name;
  const UniqueHandle file(CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return false;
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return EqualsIgnoringCase(FinalPath(file.get()), path) &&
         SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

std::vector<std::string> RemoveCachedPackage(const std::string& cache, const std::string& key) {
  std::vector<std::string> removed;
  if (cache.empty() || !IsWebPackageKey(key)) return removed;
  const std::string directory = cache + kPackagesCache;
  const std::string index_name = key + ".txt";
  std::vector<std::string> names;
  if (LinkOnTheWay(directory) || LinkOnTheWay(cache + kScriptsCache) || LinkOnTheWay(cache + kProgramsCache))
    return removed;
  if (!ReadPackageCacheIndexFile(directory + index_name, names) || names.empty()) return removed;
  // A name is "<kind>\<digits>.cab" (package_cache.h): it stays in its kind's directory.
  bool all_gone = true;
  for (const std::string& name : CabinetsNoLongerUsed(names, {}, OtherPackageIndexes(directory, index_name))) {
    if (DeleteFromCache(cache, name)) removed.push_back(cache + name);
    else if (GetFileAttributesA((cache + name).c_str()) != INVALID_FILE_ATTRIBUTES) all_gone = false;
  }
  // An index whose cabinets could not all go stays, so that the package's next run still
  // knows them.
  if (all_gone && DeleteFromCache(cache, kPackagesCache + index_name)) removed.push_back(directory + index_name);
  return removed;
}
