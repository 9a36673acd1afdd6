#include "native_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

bool ReadSourceFileFacts(const std::string& path, SourceFileFacts& facts) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  facts.size = static_cast<std::uint64_t>(status.st_size);
  std::tm local {};
  const std::time_t modified = status.st_mtime;
  if (!localtime_r(&modified, &local)) return false;
  // DOS dates start in 1980; earlier times are stored as 1 January 1980.
  if (local.tm_year < 80) local = std::tm{0, 0, 0, 1, 0, 80, 0, 0, 0, 0, nullptr};
  if (local.tm_year > 207) local = std::tm{58, 59, 23, 31, 11, 207, 0, 0, 0, 0, nullptr};
  facts.dos_date = static_cast<std::uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  facts.dos_time = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  facts.attributes = kAttributeArchive;
  if ((status.st_mode & S_IWUSR) == 0) facts.attributes |= kAttributeReadOnly;
  return true;
}

NativeFile OpenNativeFile(const std::string& path, const char* mode) {
  return NativeFile(std::fopen(path.c_str(), mode));
}

bool ReplaceNativeFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveNativeFile(const std::string& path) {
  struct stat status {};
  return unlink(path.c_str()) == 0 || lstat(path.c_str(), &status) != 0;
}

bool IsRegularNativeFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool LastWriteTimeUtc(const std::string& path, std::tm& utc) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  const std::time_t modified = status.st_mtime;
  return gmtime_r(&modified, &utc) != nullptr;
}

bool SeekNativeFile(std::FILE* file, std::uint64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::filesystem::path NativePath(const std::string& narrow) { return std::filesystem::path(narrow); }

std::string NarrowTextOf(const std::filesystem::path& path) { return path.string(); }
