// Whole-file text reads and writes of the two components, and the line reader the wizard and
// the release builder share. Text is carried as bytes, unchanged: the wizard's fields hold
// the platform's narrow encoding (the ANSI code page on Windows, UTF-8 natively) and the
// files hold exactly those bytes, so whatever is written reads back the same.
//
// Every read is bounded, since the files may have been edited or damaged by anyone:
// - ReadTextFile keeps at most `max_bytes` bytes from the start of the file;
// - ReadTextFileLines reads at most kMaxLinesFileBytes bytes and kMaxLines lines, keeps at
//   most kMaxLineBytes bytes of each line and drops NUL bytes (no list entry can hold one:
//   a system call would end the name there and reach another file).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

inline constexpr std::size_t kMaxTextFileBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxLinesFileBytes = std::size_t{16} << 20;
inline constexpr std::size_t kMaxLines = 1'000'000;
inline constexpr std::size_t kMaxLineBytes = 32'767;

// The file's content from its start, at most `max_bytes` bytes; empty when the file is
// absent or cannot be read.
std::string ReadTextFile(const std::string& path, std::size_t max_bytes = kMaxTextFileBytes);

// Replaces the file's content with `text`; true when every byte was written and the file
// closed without error.
bool WriteTextFile(const std::string& text, const std::string& path);

// The cabinet-builder component's writer: the file holds exactly `text`.
bool SaveTextFile(const std::string& text, const std::string& path);

// Splits `bytes` into lines as ReadTextFileLines does (without its file-size bound).
std::vector<std::string> SplitTextLines(const std::string& bytes);

// Reads the file into `lines` (index 0 up) and returns the number of lines. A line ends at
// CR LF, the terminator not kept; a trailing CR LF gives no extra, empty line, and a last
// line without one still counts. A lone LF also ends a line (files edited with tools that
// write LF endings); a lone CR is kept as part of its line. A file that cannot be opened
// gives 0 and an empty array.
std::size_t ReadTextFileLines(const std::string& path, std::vector<std::string>& lines);
