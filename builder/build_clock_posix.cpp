#include <ctime>

#include "build_clock.h"

bool CalendarFieldsOf(std::time_t when, bool utc, std::tm& fields) {
  return (utc ? gmtime_r(&when, &fields) : localtime_r(&when, &fields)) != nullptr;
}

std::string DateTimeText(std::time_t when) {
  std::tm fields{};
  if (!CalendarFieldsOf(when, FixedBuildTime() >= 0, fields)) return {};
  char text[128];
  const std::size_t length = std::strftime(text, sizeof text, "%x %X", &fields);
  return std::string(text, length);
}
