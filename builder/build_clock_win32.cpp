#include <windows.h>

#include <ctime>

#include "build_clock.h"

bool CalendarFieldsOf(std::time_t when, bool utc, std::tm& fields) {
  return (utc ? gmtime_s(&fields, &when) : localtime_s(&fields, &when)) == 0;
}

std::string DateTimeText(std::time_t when) {
  std::tm fields{};
  if (!CalendarFieldsOf(when, FixedBuildTime() >= 0, fields)) return {};
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(fields.tm_year + 1900);
  time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
  time.wDay = static_cast<WORD>(fields.tm_mday);
  time.wHour = static_cast<WORD>(fields.tm_hour);
  time.wMinute = static_cast<WORD>(fields.tm_min);
  time.wSecond = static_cast<WORD>(fields.tm_sec);
  char date_text[96] = {};
  char time_text[96] = {};
  if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date_text, sizeof date_text)) return {};
  if (!GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, time_text, sizeof time_text)) return date_text;
  return std::string(date_text) + " " + time_text;
}
