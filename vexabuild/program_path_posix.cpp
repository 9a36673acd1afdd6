#include <unistd.h>

#include <vector>

#include "program_path.h"

std::string RunningProgramDirectory() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
  std::string path(buffer.data(), static_cast<std::size_t>(length));
  return path.substr(0, path.find_last_of('/') + 1);
}
