#include "small_file.h"

#include <cstdio>

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  text.resize(limit + 1);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  return text.size() <= limit;
}

bool WriteSmallFile(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}
