// Cabinet expansion on arbitrary bytes. Whatever the cabinet holds, nothing may appear
// outside the target directory: after each run the watched tree may hold only the input
// cabinet and the target's own subtree.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cabinet.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
  fs::path watched, outer, cabinet, target;
  Scratch() {
    watched = fs::temp_directory_path() / ("vexa_cabinet_fuzz_" + std::to_string(getpid()));
    outer = watched / "outer";
    cabinet = outer / "in.cab";
    target = outer / "t" / "deeper";
    fs::remove_all(watched);
    fs::create_directories(outer);
  }
};

const Scratch& TheScratch() {
  static const Scratch scratch;
  return scratch;
}

void CheckNothingOutside(const Scratch& scratch) {
  const std::string allowedTree = (scratch.outer / "t").string();
  for (const auto& entry : fs::recursive_directory_iterator(scratch.watched)) {
    const std::string path = entry.path().string();
    if (path == scratch.outer.string() || path == scratch.cabinet.string()) continue;
    if (path.compare(0, allowedTree.size(), allowedTree) == 0) continue;
    std::fprintf(stderr, "written outside the target: %s\n", path.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Scratch& scratch = TheScratch();
  fs::remove_all(scratch.outer / "t");
  {
    std::FILE* file = std::fopen(scratch.cabinet.string().c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  std::vector<std::string> written;
  const bool expanded = ExpandCabFile(scratch.cabinet.string(), scratch.target.string() + "/", written, "");
  CheckNothingOutside(scratch);
  if (expanded) {
    for (const std::string& path : written) {
      if (path.compare(0, scratch.target.string().size(), scratch.target.string()) != 0) std::abort();
    }
  }
  ExtractFileFromCab(scratch.cabinet.string(), scratch.target.string() + "/", "A.TXT");
  CheckNothingOutside(scratch);
  return 0;
}
