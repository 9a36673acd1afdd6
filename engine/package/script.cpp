#include "script.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

#include "paths.h"
#include "text.h"
#include "unique_file.h"

namespace {

constexpr char kQuote = '"';

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const std::string* LineAt(const ScriptLines& lines, std::size_t index) {
  return index < lines.size() ? &lines[index] : nullptr;
}

}  // namespace

ScriptLines SplitScriptText(std::string_view text) { return SplitCrLines(text); }

namespace {

// The limit that `text` would break as script lines, or "" when it keeps them all.
std::string BrokenLineLimit(std::string_view text) {
  std::size_t line_count = 1;
  std::size_t line_bytes = 0;
  for (char c : text) {
    if (c == '\r') {
      if (++line_count > kMaxScriptLines) return "it has more than " + std::to_string(kMaxScriptLines) + " lines";
      line_bytes = 0;
    } else if (c != '\n' && c != '\0' && ++line_bytes > kMaxScriptLineBytes) {
      return "a line is longer than " + std::to_string(kMaxScriptLineBytes) + " bytes";
    }
  }
  return {};
}

}  // namespace

bool LoadScript(const std::string& path, ScriptLines& lines, std::string* too_large) {
  lines.clear();
  if (too_large) too_large->clear();
  // The C runtime's fopen shares the file with other readers and writers.
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;

  std::string text;
  char buffer[64 * 1024];
  for (;;) {
    std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
    if (got == 0) break;
    if (text.size() + got > kMaxScriptBytes) {
      if (too_large) *too_large = "it is larger than " + std::to_string(kMaxScriptBytes) + " bytes";
      return false;
    }
    text.append(buffer, got);
  }
  if (std::ferror(file.get())) return false;
  if (std::string limit = BrokenLineLimit(text); !limit.empty()) {
    if (too_large) *too_large = std::move(limit);
    return false;
  }

  lines = SplitScriptText(text);
  return true;
}

std::string CommandWord(const ScriptLines& lines, std::size_t index) {
  const std::string* line = LineAt(lines, index);
  if (!line) return {};
  auto begin = std::find_if_not(line->begin(), line->end(), IsWhiteSpace);
  auto end = std::find_if(begin, line->end(),
                          [](char c) { return c == ' ' || c == '\t' || c == kQuote; });
  return UpperCase(std::string_view(line->data() + (begin - line->begin()),
                                    static_cast<std::size_t>(end - begin)));
}

std::string ScriptArgument(const ScriptLines& lines, std::size_t index, int n) {
  const std::string* line = LineAt(lines, index);
  if (!line || n < 1) return {};
  // Walk to the (2n-1)-th quote; the argument runs to the next one.
  std::size_t open = std::string::npos;
  std::size_t from = 0;
  for (int quote = 1; quote <= 2 * n - 1; ++quote) {
    open = line->find(kQuote, from);
    if (open == std::string::npos) return {};
    from = open + 1;
  }
  std::size_t close = line->find(kQuote, from);
  if (close == std::string::npos) return {};
  return line->substr(open + 1, close - open - 1);
}

std::vector<std::string> ScriptArguments(const ScriptLines& lines, std::size_t index) {
  std::vector<std::string> arguments;
  const std::string* line = LineAt(lines, index);
  if (!line) return arguments;
  std::size_t open = line->find(kQuote);
  while (open != std::string::npos) {
    const std::size_t close = line->find(kQuote, open + 1);
    if (close == std::string::npos) break;
    arguments.push_back(line->substr(open + 1, close - open - 1));
    open = line->find(kQuote, close + 1);
  }
  return arguments;
}

int ArgumentCount(const ScriptLines& lines, std::size_t index) {
  const std::string* line = LineAt(lines, index);
  if (!line) return 0;
  auto quotes = std::count(line->begin(), line->end(), kQuote);
  return static_cast<int>(std::min<std::ptrdiff_t>(quotes / 2, std::numeric_limits<int>::max()));
}

std::string ScriptSetting(const ScriptLines& lines, std::string_view name) {
  const std::string word = "SET" + UpperCase(name);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (CommandWord(lines, i) == word) return ScriptArgument(lines, i, 1);
  }
  return {};
}

std::int64_t ScriptNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The digits up to the first other character, held at the ends of the range.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  text.remove_prefix(i);
  std::uint64_t magnitude = 0;
  if (ReadDecimal(text, magnitude).ec == std::errc::result_out_of_range) {
    return negative ? kMin : kMax;
  }
  if (negative) return magnitude > static_cast<std::uint64_t>(kMax) ? kMin : -static_cast<std::int64_t>(magnitude);
  return magnitude > static_cast<std::uint64_t>(kMax) ? kMax : static_cast<std::int64_t>(magnitude);
}

bool ProductSubDirectoryName(std::string_view value, std::string& name) {
  std::string path(value);
  AppendBackslash(path);
  path.pop_back();
  std::size_t slash = path.find_last_of("\\/");
  name = (slash == std::string::npos ? path : path.substr(slash + 1)) + "\\";
  // "C:\" and "<ProgramFilesDir>\" name a root, "\" alone an empty component.
  const bool names_root = name.size() >= 2 && (name.ends_with(">\\") || name.ends_with(":\\"));
  return !names_root && name != "\\";
}

bool TextAfterPlaceholder(std::string_view value, std::string_view placeholder, std::string& rest) {
  if (!StartsWithIgnoringCase(value, placeholder)) return false;
  std::string_view after = value.substr(placeholder.size());
  if (!after.empty() && after.front() == '\\') after.remove_prefix(1);
  rest.assign(after);
  return true;
}
