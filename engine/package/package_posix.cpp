// Temporary expansion directories and file lengths on POSIX systems (native build: tests,
// benchmarks). The directory is private to the user (mode 0700), named like the Windows
// one: "~ts" and four hexadecimal digits under $TMPDIR.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "package.h"

bool CreateExpansionDirectory(std::string& directory) {
  directory.clear();
  const char* tmp = std::getenv("TMPDIR");
  std::string base = (tmp && *tmp) ? tmp : "/tmp";
  if (base.back() != '/') base += '/';
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  char unique[8];
  std::snprintf(unique, sizeof unique, "%04X", static_cast<unsigned>((ticks ^ getpid()) & 0xFFFF));
  std::string made;
  if (!CreateFirstFreeDirectory(base + "~ts" + unique, made)) return false;
  directory = made + "/";
  return true;
}

void RemoveExpansionDirectory(const std::string& directory) { rmdir(directory.c_str()); }

bool MakeNewDirectory(const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }

bool SetOpenFileLength(std::FILE* file, std::uint64_t length) {
  return ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
}
