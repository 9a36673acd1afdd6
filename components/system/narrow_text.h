// Narrow text, the one encoding of every path and text the wizard and the release builder
// hand around: the system's ANSI code page on Windows, UTF-8 natively. This is where it
// meets UTF-16 (wide system calls, version resources, type libraries), UTF-8 (member
// names stored in a cabinet) and the single-byte Windows code page a package is written
// in (the engine reads every text with the end user's system code page, whichever system
// built the package).
#pragma once

#include <string>
#include <string_view>

// The UTF-16 form of `narrow`. Bytes that are not valid in the narrow encoding become
// U+FFFD (natively) or the system's replacement (Windows); `valid`, when given, tells
// whether there were none.
std::u16string NarrowToUtf16(std::string_view narrow, bool* valid = nullptr);

// The narrow form of `text`; a character the narrow encoding cannot hold becomes "?" on
// Windows (natively every character can be held).
std::string Utf16ToNarrow(std::u16string_view text);

// The single-byte Windows code pages a package may be written in: 874 and 1250 to 1258.
inline constexpr int kDefaultPackageCodePage = 1252;
bool IsPackageCodePage(int code_page);

// The name a page declares for the code page ("windows-1252").
std::string CodePageCharsetName(int code_page);

// The bytes of `narrow` in the package code page `code_page`; false when `narrow` holds a
// character that code page cannot hold (nothing is replaced by a look-alike) or bytes that
// are not valid narrow text.
bool NarrowToCodePage(std::string_view narrow, int code_page, std::string& bytes);
