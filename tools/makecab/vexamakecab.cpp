// vexamakecab [--reserve N] [--folder-blocks N] [--threads N] [--level N] [--compression mszip|lzx]
//             [--window BITS] [--chain N] [--nice N] [--block-frames N]
//             [--folder-bytes N] CABINET DIRECTORY
// Packs every regular file below DIRECTORY (sorted, stored under its relative path with
// "\" between folders) into CABINET with the release builder's cabinet writer, through the
// same worker thread and event queue the wizard uses. Prints the final event; exit status
// 0 done, 1 error, 2 usage, 3 cancelled.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cab_builder.h"
#include "native_files.h"

namespace {

namespace fs = std::filesystem;

struct Outcome : MakeCabEvents {
  int status = -1;
  void MakeCabProgress(const std::string&, const std::string&, std::uint64_t, std::uint64_t) override {}
  void MakeCabDone(const std::string& cabinet, std::uint64_t uncompressed, std::uint64_t compressed) override {
    std::printf("MakeCabDone %s %llu %llu\n", cabinet.c_str(), static_cast<unsigned long long>(uncompressed),
                static_cast<unsigned long long>(compressed));
    status = 0;
  }
  void MakeCabError(const std::string& cabinet) override {
    std::printf("MakeCabError %s\n", cabinet.c_str());
    status = 1;
  }
  void MakeCabCancel(const std::string& cabinet) override {
    std::printf("MakeCabCancel %s\n", cabinet.c_str());
    status = 3;
  }
};

}  // namespace

int main(int argc, char** argv) {
  CabWriterOptions options;
  int reserve = 0;
  int i = 1;
  for (; i + 1 < argc && std::string(argv[i]).rfind("--", 0) == 0; i += 2) {
    const std::string option = argv[i];
    const long value = std::atol(argv[i + 1]);
    if (option == "--reserve") reserve = static_cast<int>(value);
    else if (option == "--folder-blocks") options.max_blocks_per_folder = static_cast<std::uint32_t>(value);
    else if (option == "--threads") options.threads = static_cast<unsigned>(value);
    else if (option == "--level") options.compression_level = static_cast<int>(value);
    else if (option == "--window") options.lzx.window_bits = static_cast<unsigned>(value);
    else if (option == "--chain") options.lzx.max_chain = static_cast<unsigned>(value);
    else if (option == "--nice") options.lzx.nice_length = static_cast<unsigned>(value);
    else if (option == "--block-frames") options.lzx.block_frames = static_cast<unsigned>(value);
    else if (option == "--folder-bytes") options.lzx_folder_bytes = static_cast<std::uint64_t>(value);
    else if (option == "--compression" && std::string(argv[i + 1]) == "lzx") options.compression = CabCompression::kLzx;
    else if (option == "--compression" && std::string(argv[i + 1]) == "mszip") options.compression = CabCompression::kMszip;
    else break;
  }
  if (argc - i != 2) {
    std::fprintf(stderr, "usage: vexamakecab [--reserve N] [--folder-blocks N] [--threads N] [--level N] "
                 "[--compression mszip|lzx] [--window BITS] [--chain N] [--nice N] [--block-frames N] "
                 "[--folder-bytes N] CABINET DIRECTORY\n");
    return 2;
  }
  const std::string cabinet = argv[i];
  const fs::path root = fs::path(reinterpret_cast<const char8_t*>(argv[i + 1]));
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error)) files.push_back(it->path());
  }
  if (error) {
    std::fprintf(stderr, "vexamakecab: cannot list %s\n", argv[i + 1]);
    return 1;
  }
  std::sort(files.begin(), files.end());
  CabBuilder builder;
  builder.SetWriterOptions(options);
  builder.ClearCabFiles();
  for (const fs::path& file : files) {
    std::string name = NarrowTextOf(file.lexically_relative(root));
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    builder.AddFileToCab(NarrowTextOf(file), name);
  }
  if (!builder.MakeCab(cabinet, reserve)) {
    std::fprintf(stderr, "vexamakecab: the build did not start\n");
    return 1;
  }
  Outcome outcome;
  while (outcome.status < 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    builder.ProcessMakeCabEvents(outcome);
  }
  if (outcome.status == 1) std::fprintf(stderr, "vexamakecab: %s\n", builder.LastMakeCabError().c_str());
  return outcome.status;
}
