#include "build_clock.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "file_stamp.h"

std::time_t FixedBuildTime() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text || std::strlen(text) > 12) return -1;
  // Unsigned, so that a sign is refused like any other character.
  std::uint64_t seconds = 0;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, seconds);
  if (error != std::errc() || stop != end) return -1;
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
