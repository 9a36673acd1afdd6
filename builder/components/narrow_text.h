// Narrow text, the one encoding of every path and text the wizard and the release builder
// hand around: the system's ANSI code page on Windows, UTF-8 natively. This is where it
// meets UTF-16 (wide system calls, version resources, type libraries) and UTF-8 (member
// names stored in a cabinet).
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
