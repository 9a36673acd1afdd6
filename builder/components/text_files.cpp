#include "text_files.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

// fopen takes the name in the narrow encoding on both builds (the ANSI code page on Windows).
std::string ReadTextFile(const std::string& path, std::size_t max_bytes) {
  std::string text;
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return text;
  char buffer[65536];
  while (text.size() < max_bytes) {
    const std::size_t wanted = std::min(sizeof buffer, max_bytes - text.size());
    const std::size_t got = std::fread(buffer, 1, wanted, file.get());
    if (got == 0) break;
    text.append(buffer, got);
  }
  return text;
}

bool WriteTextFile(const std::string& text, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

bool SaveTextFile(const std::string& text, const std::string& path) { return WriteTextFile(text, path); }

std::vector<std::string> SplitTextLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool line_open = false;
  for (std::size_t i = 0; i < bytes.size() && lines.size() < kMaxLines; ++i) {
    const char c = bytes[i];
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(std::move(line));
      line.clear();
      line_open = false;
      continue;
    }
    line_open = true;
    // One byte more than kept, so that a CR before the LF is still seen and dropped.
    if (c != '\0' && line.size() <= kMaxLineBytes) line += c;
  }
  if (line_open && lines.size() < kMaxLines) lines.push_back(std::move(line));
  for (std::string& kept : lines) {
    if (kept.size() > kMaxLineBytes) kept.resize(kMaxLineBytes);
  }
  return lines;
}

std::size_t ReadTextFileLines(const std::string& path, std::vector<std::string>& lines) {
  lines = SplitTextLines(ReadTextFile(path, kMaxLinesFileBytes));
  return lines.size();
}
