// The self-extracting package and the appended-lines format.
//
// Setup.exe is the engine executable followed by Attachment.CAB, byte for byte:
//
//   offset 0 .. E-1   the engine executable as built (E = its exact file size, which the
//                     build compiles into the engine; see engine_size.h)
//   offset E .. end   the attachment, copied out whole; nothing marks or sizes it
//
// The engine never searches its own file for the cabinet: everything from E on is the
// attachment, and bytes after the cabinet's own end (a signature added later) travel along.
//
// Appended lines: text lines appended to an executable behind a trailer.
//
//   bytes 0 .. N-1    the base file
//   from N            data lines, each followed by CR LF
//   last 32 bytes     "CORVANTAORGEXESIZE" + N right-aligned in 14 characters, blank-padded
//
// The trailer is the last line, so nothing follows its final digit. Data lines cannot hold
// CR; LF and NUL bytes in them are dropped on reading.
//
// Where we differ on purpose: the trailer's N is trusted only when it lies inside the file
// (0 <= N <= length - 32); any other value reads as a file without appended lines and is
// replaced, not cut to, when writing; the data read back is bounded by
// kMaxAppendedLinesBytes; and a write that fails (a full disk) is reported, not hidden.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The attachment is copied through one buffer of at most this many bytes.
inline constexpr std::size_t kAttachmentChunkBytes = 1000000;

inline constexpr std::string_view kAppendedLinesMarker = "CORVANTAORGEXESIZE";
inline constexpr std::size_t kAppendedLinesTrailerBytes = 32;
inline constexpr std::size_t kAppendedLinesNumberWidth = 14;
// Uninstall data is a few kilobytes; more than this after N is not ours.
inline constexpr std::uint64_t kMaxAppendedLinesBytes = 16u * 1024u * 1024u;

inline constexpr std::string_view kAttachmentFileName = "Attachment.CAB";

// Copies everything from offset `engine_size` to the end of the file at `own_exe_path` into
// a new temporary directory (see CreateExpansionDirectory) as Attachment.CAB. The engine
// passes EngineFileSize(); the offset is a parameter so that any layout can be tested.
// On success `temporary_directory` ends with the path separator and `error_text` is empty.
// On failure `temporary_directory` is empty, `error_text` holds the message, and no
// directory or partial file is left behind.
bool ExtractAttachment(const std::string& own_exe_path, std::uint64_t engine_size,
                       std::string& temporary_directory, std::string& error_text);

// The same, reading the program through `exe`, a stream on it from its first byte, which
// the call closes; `own_exe_path` only names it in messages. The engine reads its own file
// so, through the handle that holds it for the whole run (held_file.h): the attachment
// comes from the bytes whose signature was checked.
bool ExtractAttachment(std::FILE* exe, const std::string& own_exe_path, std::uint64_t engine_size,
                       std::string& temporary_directory, std::string& error_text);

// Fills `lines` with the lines appended to `path`. A file without a trailer gives true and
// no lines; false only when the file cannot be opened or read.
bool ReadAppendedLines(const std::string& path, std::vector<std::string>& lines);

// The same, and `base_size` receives N of the trailer, or -1 when the file has none (a
// program that knows its own size can tell that the lines start where it ends).
bool ReadAppendedLines(const std::string& path, std::vector<std::string>& lines, std::int64_t& base_size);

// Replaces whatever lines were appended to `path` before by `lines`. False when the file
// cannot be opened for reading and writing, or the write fails.
bool WriteAppendedLines(const std::string& path, const std::vector<std::string>& lines);

// The 32-byte trailer for base size `base_size` (at most 14 digits).
std::string AppendedLinesTrailer(std::uint64_t base_size);

// The base size named by a 32-byte tail of a file, or -1 when the tail is not a trailer.
std::int64_t ParseAppendedLinesTrailer(std::string_view tail);

// Splits the bytes after the base file into lines: CR ends a line, LF and NUL are dropped,
// the text after the last CR is a line too, and that last line (the trailer) is dropped.
std::vector<std::string> SplitAppendedLines(std::string_view bytes);

// Creates `base`, or when that fails the first of base + "1" ... base + "300" that can be
// created, and returns the one made in `directory` (without a trailing separator).
bool CreateFirstFreeDirectory(const std::string& base, std::string& directory);

// --- Platform part (package_win32.cpp / package_posix.cpp) ---

// Creates a fresh private directory for the attachment and returns its path with a
// trailing separator. On Windows: the system temporary path + "~ts" + the unique part
// GetTempFileName picks, else that name followed by 1 ... 300; the file GetTempFileName
// made is deleted in every case. A directory that exists is never used. An elevated
// process makes it for administrators only (administrators_only.h): other processes of
// the user can write the temporary path, but not what the run keeps there.
bool CreateExpansionDirectory(std::string& directory);

// Removes a directory made by CreateExpansionDirectory once it is empty again.
void RemoveExpansionDirectory(const std::string& directory);

// Creates the directory `path` (for administrators only, when the process runs elevated);
// false when it exists already or cannot be made.
bool MakeNewDirectory(const std::string& path);

// Sets the length of an open file (used to cut appended lines away).
bool SetOpenFileLength(std::FILE* file, std::uint64_t length);
