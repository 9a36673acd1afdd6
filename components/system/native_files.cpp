#include "native_files.h"

#include <algorithm>

bool ReadFileBytes(const std::string& path, std::size_t max_bytes, std::string& bytes, bool* complete) {
  bytes.clear();
  if (complete) *complete = false;
  // Only a regular file: a pipe or device named by a damaged list would block or never end.
  if (!IsRegularNativeFile(path)) return false;
  NativeFile file = OpenNativeFile(path, "rb");
  if (!file) return false;
  char buffer[65536];
  while (bytes.size() < max_bytes) {
    const std::size_t wanted = std::min(sizeof buffer, max_bytes - bytes.size());
    const std::size_t got = std::fread(buffer, 1, wanted, file.get());
    bytes.append(buffer, got);
    if (got < wanted) {
      if (std::ferror(file.get())) return false;
      if (complete) *complete = true;
      return true;
    }
  }
  if (complete) *complete = std::fgetc(file.get()) == EOF && !std::ferror(file.get());
  return true;
}
