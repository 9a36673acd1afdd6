// UTF-8 and UTF-16 for the components: version resources and type libraries store UTF-16,
// cabinets store non-ASCII names as UTF-8, and native narrow text is UTF-8.
#pragma once

#include <string>
#include <string_view>

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// True when the texts are equal with ASCII letters compared without regard to case (keys
// and names inside resources).
bool EqualIgnoringAsciiCase(std::u16string_view left, std::u16string_view right);
