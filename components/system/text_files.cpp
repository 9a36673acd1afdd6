#include "text_files.h"

#include "native_files.h"

std::string ReadTextFile(const std::string& path, std::size_t max_bytes) {
  std::string text;
  if (!ReadFileBytes(path, max_bytes, text)) text.clear();
  return text;
}

bool WriteTextFile(const std::string& text, const std::string& path) {
  NativeFile file = OpenNativeFile(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  return std::fclose(file.release()) == 0 && written;
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
