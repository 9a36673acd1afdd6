// File stamps of the cabinet-builder component: a file's last-write date and time in local
// time as 14 digits, YYYYMMDDhhmmss (year 4 digits, then month, day, hour, minute, second,
// 2 digits each, zero-padded, no separators).
#pragma once

#include <string>

struct FileStampFields {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

std::string FormatFileStamp(const FileStampFields& fields);

// False unless `stamp` is exactly 14 digits naming a real date (year 1601 to 9999, month,
// day within its month, hour below 24, minute and second below 60).
bool ParseFileStamp(const std::string& stamp, FileStampFields& fields);

// The stamp of the file's last-write time; empty when the file cannot be read.
std::string GetFileStamp(const std::string& path);

// Sets the file's last-write time to `stamp`; false for a malformed stamp or a file whose
// time cannot be set.
bool SetFileStamp(const std::string& path, const std::string& stamp);
