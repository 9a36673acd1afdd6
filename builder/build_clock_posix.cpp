#include <ctime>

#include "build_clock.h"

std::string DateTimeText(std::time_t when) {
  std::tm fields{};
  const bool utc = FixedBuildTime() >= 0;
  if (!(utc ? gmtime_r(&when, &fields) : localtime_r(&when, &fields))) return {};
  char text[128];
  const std::size_t length = std::strftime(text, sizeof text, "%x %X", &fields);
  return std::string(text, length);
}
