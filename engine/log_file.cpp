#include "log_file.h"

#include <cstdio>

bool LogFile::Append(const std::string& text) const {
  if (path_.empty()) return true;
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (!file) return false;
  const std::string line = text + "\r\n";
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  return std::fclose(file) == 0 && written;
}

std::string LastLogLine(const std::string& log_text) {
  const std::size_t end = log_text.rfind("\r\n");
  return end == std::string::npos ? log_text : log_text.substr(end + 2);
}
