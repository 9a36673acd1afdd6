// Path and text services of the cabinet-builder component. Paths are byte strings in the
// platform's narrow encoding (the ANSI code page on Windows, UTF-8 natively); both "\" and
// "/" separate components on either build, so a name holding a backslash is not supported
// natively.
#pragma once

#include <string>
#include <string_view>

// The separator that directory paths made by the wizard end in.
#ifdef _WIN32
inline constexpr char kDirectorySeparator = '\\';
#else
inline constexpr char kDirectorySeparator = '/';
#endif

bool IsPathSeparator(char c);

// `path` with kDirectorySeparator appended unless it already ends in a separator.
std::string WithTrailingSeparator(std::string_view path);

// The path or name without its last extension and its dot ("a\b.c.txt" -> "a\b.c"). A dot
// inside a directory name is not an extension ("a.b\c" stays as it is).
std::string StripExtension(std::string_view path);

// The last component: the text after the last separator, the whole text when there is none.
std::string PathFileName(std::string_view path);

// The path without its last component; the separator before it is kept ("C:\a\b" -> "C:\a\").
// A path without a separator gives an empty text.
std::string ParentPath(std::string_view path);

// `text` with every occurrence of `find` replaced, scanning left to right; an empty `find`
// leaves the text unchanged.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement);

// Blanks (the space character only) removed from both ends.
std::string TrimBlanks(std::string_view text);

// ASCII letters upper-cased; every other byte as it is, so that text in any single-byte code
// page or in UTF-8 keeps its other characters. Comparisons that ignore case upper-case both
// sides with these.
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string UpperAscii(std::string text);
// The same for lower case (the wizard's lists hold lower-cased paths).
std::string LowerAscii(std::string text);

// True when `text` begins with `prefix`, ASCII letters compared without regard to case.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// True when a file or directory of that path exists.
bool PathExists(const std::string& path);
