#include "path_services.h"

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithTrailingSeparator(std::string_view path) {
  std::string result(path);
  if (result.empty() || !IsPathSeparator(result.back())) result += kDirectorySeparator;
  return result;
}

static std::size_t LastSeparator(std::string_view path) { return path.find_last_of("\\/"); }

std::string StripExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return std::string(path);
  const std::size_t separator = LastSeparator(path);
  if (separator != std::string_view::npos && separator > dot) return std::string(path);
  return std::string(path.substr(0, dot));
}

std::string PathFileName(std::string_view path) {
  const std::size_t separator = LastSeparator(path);
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string ParentPath(std::string_view path) {
  const std::size_t separator = LastSeparator(path);
  if (separator == std::string_view::npos) return {};
  return std::string(path.substr(0, separator + 1));
}

std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(find, from)) != std::string_view::npos; from = at + find.size()) {
    result.append(text.substr(from, at - from));
    result.append(replacement);
  }
  result.append(text.substr(from));
  return result;
}

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}


std::string UpperAscii(std::string text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (UpperAscii(text[i]) != UpperAscii(prefix[i])) return false;
  }
  return true;
}
