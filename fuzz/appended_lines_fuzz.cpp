// Appended lines on arbitrary file contents: reading must give exactly the lines after a
// trailer that points inside the file (none otherwise), and writing must keep the base
// file, replace any earlier lines and read back as written.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "package.h"

namespace {

std::string ScratchFile() {
  return "/tmp/vexa_appended_lines_fuzz_" + std::to_string(getpid());
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) std::abort();
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
  std::fclose(file);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchFile();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!WriteAll(path, bytes)) std::abort();

  // The base size the file's trailer names, if it is one we trust.
  std::size_t base = size;
  if (size >= kAppendedLinesTrailerBytes) {
    const std::int64_t n = ParseAppendedLinesTrailer(std::string_view(bytes).substr(size - kAppendedLinesTrailerBytes));
    if (n >= 0 && static_cast<std::uint64_t>(n) <= size - kAppendedLinesTrailerBytes) base = static_cast<std::size_t>(n);
  }
  const bool hasTrailer = base != size;

  std::vector<std::string> lines = {"poison"};
  if (!ReadAppendedLines(path, lines)) std::abort();
  const std::vector<std::string> expected =
      hasTrailer ? SplitAppendedLines(std::string_view(bytes).substr(base)) : std::vector<std::string>{};
  if (lines != expected) std::abort();

  const std::vector<std::string> written = {"Vexa", "", "C:\\Program Files\\Vexa\\"};
  if (!WriteAppendedLines(path, written)) std::abort();
  const std::string after = ReadAll(path);
  if (after != bytes.substr(0, base) + "Vexa\r\n\r\nC:\\Program Files\\Vexa\\\r\n" + AppendedLinesTrailer(base))
    std::abort();
  if (!ReadAppendedLines(path, lines) || lines != written) std::abort();
  std::remove(path.c_str());
  return 0;
}
