// Case rules for the engine's single-byte text. Comparisons that ignore case upper-case
// both sides; only the ASCII letters change, so bytes of other code-page characters are
// compared as they stand (the script words, placeholders and file suffixes we compare
// against are all ASCII).
#pragma once

#include <string>
#include <string_view>

std::string UpperCase(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);
