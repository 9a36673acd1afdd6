// Case rules for the engine's single-byte text. Comparisons that ignore case upper-case
// both sides; only the ASCII letters change, so bytes of other code-page characters are
// compared as they stand (the script words, placeholders and file suffixes we compare
// against are all ASCII).
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

std::string UpperCase(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// `text` without the blanks (spaces only) at its ends.
std::string TrimmedOfBlanks(std::string_view text);

// Splits text into lines the way the engine reads its own files (scripts, appended lines):
// CR ends a line, LF and NUL bytes are dropped wherever they occur, and the text after the
// last CR is a line too, even when empty.
std::vector<std::string> SplitCrLines(std::string_view text);

// The decimal digits at the start of `text` as std::from_chars reads them (no sign, no
// blank; result_out_of_range past 64 bits). One reader for every number the engine side
// takes from text, so that the programs carry its code once.
std::from_chars_result ReadDecimal(std::string_view text, std::uint64_t& value);

// True when `text` is nothing but decimal digits whose number fits 64 bits.
bool IsDecimalNumber(std::string_view text, std::uint64_t& value);

// `value` in hexadecimal, at least `digits` digits with zeros in front, in upper case
// unless asked for lower case.
std::string HexText(std::uint32_t value, std::size_t digits, bool lower_case = false);

// ---- Windows build only (text_win32.cpp) ----

// The engine's single-byte text (the ANSI code page) as UTF-16 for the wide Windows
// functions, and back; a character the code page lacks comes back as '?'. Empty when the
// text is empty or cannot be converted.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);
