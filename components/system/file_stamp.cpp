#include "file_stamp.h"

#include <charconv>
#include <cstdio>

std::string FormatFileStamp(const FileStampFields& fields) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", fields.year, fields.month, fields.day,
                fields.hour, fields.minute, fields.second);
  return text;
}

static int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ParseFileStamp(const std::string& stamp, FileStampFields& fields) {
  if (stamp.size() != 14) return false;
  for (char c : stamp) {
    if (c < '0' || c > '9') return false;
  }
  auto number = [&](std::size_t at, std::size_t digits) {
    int value = 0;
    std::from_chars(stamp.data() + at, stamp.data() + at + digits, value);
    return value;
  };
  FileStampFields parsed{number(0, 4), number(4, 2), number(6, 2), number(8, 2), number(10, 2), number(12, 2)};
  if (parsed.year < 1601 || parsed.month < 1 || parsed.month > 12) return false;
  if (parsed.day < 1 || parsed.day > DaysInMonth(parsed.year, parsed.month)) return false;
  if (parsed.hour > 23 || parsed.minute > 59 || parsed.second > 59) return false;
  fields = parsed;
  return true;
}
