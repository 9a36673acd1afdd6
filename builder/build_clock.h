// The release builder's clock: the time every date in a package comes from.
//
// When the environment sets SOURCE_DATE_EPOCH (seconds since 1970 in UTC, decimal digits
// only, the convention of reproducible builds), that instant is the build's time: the
// "Created" lines, the page's time and the stamps of the files the builder writes all come
// from it, and date texts are given in UTC so that two machines write the same text.
// Otherwise the build's time is the moment of asking, in local time.
#pragma once

#include <ctime>
#include <string>

// The fixed instant of SOURCE_DATE_EPOCH, if set and well formed; -1 otherwise.
std::time_t FixedBuildTime();

// The build's time now: the fixed instant, or the current time.
std::time_t BuildTime();

// The calendar fields of `when` in UTC or in local time; false when it has none.
bool CalendarFieldsOf(std::time_t when, bool utc, std::tm& fields);

// The platform's default short date and time text of `when` (in UTC for a fixed build time,
// local time otherwise): the user's locale through GetDateFormat/GetTimeFormat on Windows,
// "%x %X" of the C library's locale elsewhere.
std::string DateTimeText(std::time_t when);

// The file stamp text (YYYYMMDDhhmmss, local time as SetFileStamp takes it) of `when`.
std::string FileStampTextOf(std::time_t when);

// With a fixed build time, gives the file that stamp (files the builder writes are then
// dated alike in every build); nothing otherwise. Errors are ignored: the file's own time
// stays.
void StampWithFixedBuildTime(const std::string& path);
