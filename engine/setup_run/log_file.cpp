#include "log_file.h"

#include <cstdio>

std::string WithLogLineEnds(const std::string& text) {
  std::string result;
  result.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      result += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result += c;
    }
  }
  return result;
}

bool LogFile::Append(const std::string& text) const {
  if (path_.empty()) return true;
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (!file) return false;
  const std::string line = WithLogLineEnds(text) + "\r\n";
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  return std::fclose(file) == 0 && written;
}

std::string LastLogLine(const std::string& log_text) {
  const std::size_t end = log_text.rfind("\r\n");
  return end == std::string::npos ? log_text : log_text.substr(end + 2);
}
