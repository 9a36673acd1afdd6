#include "build_clock.h"

#include <cstdlib>
#include <cstring>

#include "file_stamp.h"

std::time_t FixedBuildTime() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text || std::strlen(text) > 12) return -1;
  long long seconds = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return -1;
    seconds = seconds * 10 + (*c - '0');
  }
  return static_cast<std::time_t>(seconds);
}

std::time_t BuildTime() {
  const std::time_t fixed = FixedBuildTime();
  return fixed >= 0 ? fixed : std::time(nullptr);
}

std::string FileStampTextOf(std::time_t when) {
  std::tm local{};
  if (!CalendarFieldsOf(when, false, local)) return {};
  return FormatFileStamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec});
}

void StampWithFixedBuildTime(const std::string& path) {
  const std::time_t fixed = FixedBuildTime();
  if (fixed >= 0) SetFileStamp(path, FileStampTextOf(fixed));
}
