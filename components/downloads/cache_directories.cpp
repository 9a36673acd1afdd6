#include "cache_directories.h"

#include <system_error>

#include "native_files.h"

// Where the platform keeps the base.
std::string CacheBaseDirectoryOfPlatform();

std::string GetCacheBaseDirectory() { return CacheBaseDirectoryOfPlatform(); }

bool ResetCacheDirectory(const std::string& directory) {
  namespace fs = std::filesystem;
  const std::string base = GetCacheBaseDirectory();
  if (base.empty() || directory.empty()) return false;
  const fs::path root = (NativePath(base) / kCacheFilesDirectoryName).lexically_normal();
  const fs::path target = NativePath(NativeDirectoryText(directory)).lexically_normal();
  // Inside the root: the target's components start with the root's, and nothing climbs.
  const fs::path inside = target.lexically_relative(root);
  if (inside.empty() || *inside.begin() == ".." || inside.is_absolute()) return false;
  for (const fs::path& part : inside) {
    if (part == "..") return false;
  }
  std::error_code error;
  fs::create_directories(target, error);
  const fs::file_status status = fs::symlink_status(target, error);
  if (error || !fs::is_directory(status)) return false;
  bool emptied = true;
  for (fs::directory_iterator it(target, error), end; !error && it != end; it.increment(error)) {
    std::error_code entry_error;
    const fs::file_status entry = it->symlink_status(entry_error);
    if (entry_error || fs::is_directory(entry)) continue;
    if (!RemoveNativeFile(NarrowTextOf(it->path()))) emptied = false;
  }
  return !error && emptied;
}
