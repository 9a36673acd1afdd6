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

bool DeleteOneFile(const std::string& path);

// Opens an existing file for binary reading.
std::FILE* OpenFileForReading(const std::string& path);

// Creates (or truncates) a file for binary, sequential writing; never through a link.
std::FILE* CreateFileForWriting(const std::string& path);

// A DOS date and time as a cabinet stores them (local time, two-second resolution).
struct DosStamp {
  int year, month, day, hour, minute, second;
};

// Sets `stamp` (local time) as the file's creation and last-write time; false when the
// stamp is not a valid date or the file cannot be opened.
bool SetFileTimesFromDos(const std::string& path, const DosStamp& stamp);

// Sets the read-only, hidden, system and archive bits (0x27) of the file.
bool SetFileAttributeBits(const std::string& path, unsigned bits);
