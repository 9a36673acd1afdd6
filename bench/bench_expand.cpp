// bench_expand CABINET TARGET_DIRECTORY: expands the whole cabinet with ExpandCabFile and
// prints "files=N peak_kb=K". Exit status 1 when the expansion fails.
#include <sys/resource.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cabinet.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_expand CABINET TARGET_DIRECTORY/\n");
    return 2;
  }
  std::vector<std::string> written;
  const bool expanded = ExpandCabFile(argv[1], argv[2], written, "");
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("files=%zu peak_kb=%ld\n", written.size(), usage.ru_maxrss);
  return expanded ? 0 : 1;
}
