#include "small_file.h"

#include <cstdio>

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string read(limit + 1, '\0');
  read.resize(std::fread(read.data(), 1, read.size(), file));
  std::fclose(file);
  text = std::move(read);
  return text.size() <= limit;
}

bool WriteSmallFile(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}
