#include "test_files.h"

#include <cstdio>
#include <fstream>

std::string ReadBytes(const std::filesystem::path& path) {
  std::string bytes;
  if (std::FILE* file = std::fopen(path.string().c_str(), "rb")) {
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
    std::fclose(file);
  }
  return bytes;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
