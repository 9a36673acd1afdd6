// link_tool delete-temp DIRECTORY      DeleteTemporaryDirectory(DIRECTORY)
// link_tool expand CABINET DIRECTORY   ExpandCabFile(CABINET, DIRECTORY, list, "")
// Prints "true" or "false", so that a shell test can make links from the Linux side (which
// a Windows program under Wine cannot) and then watch the engine meet them.
#include <cstdio>
#include <string>
#include <vector>

#include "cabinet.h"
#include "temporary_directory.h"

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  bool result = false;
  if (verb == "delete-temp" && argc == 3) {
    result = DeleteTemporaryDirectory(argv[2]);
  } else if (verb == "expand" && argc == 4) {
    std::vector<std::string> written;
    result = ExpandCabFile(argv[2], argv[3], written, "");
  } else {
    std::fprintf(stderr, "usage: link_tool delete-temp DIRECTORY | expand CABINET DIRECTORY\n");
    return 2;
  }
  std::printf("%s\n", result ? "true" : "false");
  return 0;
}
