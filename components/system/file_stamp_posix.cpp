#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "file_stamp.h"

std::string GetFileStamp(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return {};
  std::tm local{};
  if (!localtime_r(&status.st_mtime, &local)) return {};
  return FormatFileStamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec});
}

bool SetFileStamp(const std::string& path, const std::string& stamp) {
  FileStampFields fields;
  if (!ParseFileStamp(stamp, fields)) return false;
  std::tm local{};
  local.tm_year = fields.year - 1900;
  local.tm_mon = fields.month - 1;
  local.tm_mday = fields.day;
  local.tm_hour = fields.hour;
  local.tm_min = fields.minute;
  local.tm_sec = fields.second;
  local.tm_isdst = -1;  // whatever daylight saving time applies on that date
  const std::time_t when = std::mktime(&local);
  if (when == static_cast<std::time_t>(-1)) return false;
  // The access time is left as it is.
  const struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}
