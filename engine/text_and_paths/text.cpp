#include "text.h"

#include <algorithm>

namespace {

char UpperChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), UpperChar);
  return upper;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return UpperChar(x) == UpperChar(y); });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string TrimmedOfBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::vector<std::string> SplitCrLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r') {
      lines.emplace_back();
    } else if (c != '\n' && c != '\0') {
      lines.back().push_back(c);
    }
  }
  return lines;
}

std::string HexText(std::uint32_t value, std::size_t digits, bool lower_case) {
  const char* const kDigits = lower_case ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value > 0);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  return text;
}

std::from_chars_result ReadDecimal(std::string_view text, std::uint64_t& value) {
  return std::from_chars(text.data(), text.data() + text.size(), value);
}

bool IsDecimalNumber(std::string_view text, std::uint64_t& value) {
  const auto [stop, error] = ReadDecimal(text, value);
  return error == std::errc() && stop == text.data() + text.size();
}
