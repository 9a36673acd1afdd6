// The file-system calls of cabinet expansion (cabinet_win32.cpp / cabinet_posix.cpp).
// Paths are given as the expansion forms them; the POSIX twin reads "\" as "/".
#pragma once

#include <cstdio>
#include <string>

enum class PathKind { Missing, File, Directory, Link, Other };

// What is at `path`, without following a link or reparse point at its end.
PathKind QueryPathKind(const std::string& path);

// Creates one directory; false when it exists or cannot be made.
bool MakeDirectory(const std::string& path);

// Opens an existing file for binary reading.
std::FILE* OpenFileForReading(const std::string& path);

// Creates a file for binary, sequential writing, never through a link. A file or link
// already at `path` is deleted first; when it cannot be deleted (read-only, in use), or a
// directory is in the way, the creation fails. The common case, nothing there yet, costs
// a single call.
std::FILE* CreateFileForWriting(const std::string& path);

// A DOS date and time as a cabinet stores them (local time, two-second resolution).
struct DosStamp {
  int year, month, day, hour, minute, second;
};

// Gives a file made by CreateFileForWriting, through its open handle, `stamp` (local time)
// as creation and last-write time and the read-only, hidden, system and archive bits of
// `attributes` (0x27), then closes it. An invalid stamp leaves the times alone; failures
// to set times or bits are ignored. False when the data could not all be written.
bool FinishWrittenFile(std::FILE* file, const DosStamp& stamp, unsigned attributes);
