// engine_expand_oracle CABINET DIRECTORY
// Expands a cabinet with the setup engine's ExpandCabFile (libmspack), as a separate
// program: the builder's tests use the engine as an independent reader of the builder's
// cabinets without sharing any code with it. Exit status 0 when the expansion succeeded.
#include <cstdio>
#include <string>
#include <vector>

#include "cabinet.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: engine_expand_oracle CABINET DIRECTORY\n");
    return 2;
  }
  std::string target = argv[2];
  if (target.empty() || (target.back() != '/' && target.back() != '\\')) target += '/';
  std::vector<std::string> written;
  return ExpandCabFile(argv[1], target, written, "") ? 0 : 1;
}
