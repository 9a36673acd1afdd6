// File-system calls of the components. Paths are narrow text (narrow_text.h): the POSIX
// build passes them to the system as they are; the Windows build converts them from the
// ANSI code page to UTF-16 and calls the wide functions, which is what the "A" functions
// would do.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

// What the cabinet keeps of a source file: its size, its last-write date and time as DOS
// date and time in local time, and the read-only, hidden, system and archive bits.
struct SourceFileFacts {
  std::uint64_t size = 0;
  std::uint16_t dos_date = 0;
  std::uint16_t dos_time = 0;
  std::uint16_t attributes = 0;
};

inline constexpr std::uint16_t kAttributeReadOnly = 0x01;
inline constexpr std::uint16_t kAttributeHidden = 0x02;
inline constexpr std::uint16_t kAttributeSystem = 0x04;
inline constexpr std::uint16_t kAttributeArchive = 0x20;

// False when `path` is not a regular file that can be examined. On POSIX only the
// read-only bit has a counterpart (no write permission for the owner); hidden and system
// are never set, archive always is, as on a file freshly written under Windows.
bool ReadSourceFileFacts(const std::string& path, SourceFileFacts& facts);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using NativeFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen with a narrow path; an empty pointer on failure.
NativeFile OpenNativeFile(const std::string& path, const char* mode);

// Moves `from` onto `to`, replacing a file already there.
bool ReplaceNativeFile(const std::string& from, const std::string& to);

// Deletes a file; true when it is gone afterwards.
bool RemoveNativeFile(const std::string& path);

// True when `path` names a regular file.
bool IsRegularNativeFile(const std::string& path);

// The last-write time of a file in UTC.
bool LastWriteTimeUtc(const std::string& path, std::tm& utc);

// A std::filesystem path from narrow text, and back.
std::filesystem::path NativePath(const std::string& narrow);
std::string NarrowTextOf(const std::filesystem::path& path);

// The file's bytes from its start, at most `max_bytes`; false when it cannot be opened or
// a read fails. `complete`, when given, tells whether the end of the file was reached.
bool ReadFileBytes(const std::string& path, std::size_t max_bytes, std::string& bytes, bool* complete = nullptr);

// Seeks an open file to an absolute 64-bit offset.
bool SeekNativeFile(std::FILE* file, std::uint64_t offset);
