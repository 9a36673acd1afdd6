// bench_attachment PACKAGE ENGINE_SIZE: takes the attachment out of PACKAGE with
// ExtractAttachment (into $TMPDIR) and prints the directory and "peak_kb=K".
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "package.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_attachment PACKAGE ENGINE_SIZE\n");
    return 2;
  }
  std::string directory, error;
  if (!ExtractAttachment(argv[1], std::strtoull(argv[2], nullptr, 10), directory, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%s peak_kb=%ld\n", directory.c_str(), usage.ru_maxrss);
  return 0;
}
