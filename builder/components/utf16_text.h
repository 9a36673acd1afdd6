// Conversions between UTF-8 and UTF-16 for the components (version resources and type
// libraries store UTF-16; the Windows build talks to the wide system functions).
#pragma once

#include <string>
#include <string_view>

namespace vexa::components {

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace vexa::components
