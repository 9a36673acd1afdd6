// The LZX compressor's round trip: arbitrary bytes (the first byte picks the window size)
// go into a one-file LZX cabinet made by the cabinet writer, and the setup engine's
// expansion (libmspack, an independent decoder) must give back exactly those bytes.
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cab_writer.h"
#include "cabinet.h"
#include "native_files.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
  fs::path root, source, cabinet, target;
  Scratch() {
    root = fs::temp_directory_path() / ("vexa_lzx_round_trip_fuzz_" + std::to_string(getpid()));
    source = root / "data.bin";
    cabinet = root / "data.cab";
    target = root / "out";
    fs::remove_all(root);
    fs::create_directories(root);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch;
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  {
    NativeFile file = OpenNativeFile(scratch.source.string(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) std::abort();
  }
  CabWriterOptions options;
  options.compression = CabCompression::kLzx;
  options.lzx.window_bits = kLzxMinWindowBits + data[0] % (kLzxMaxWindowBits - kLzxMinWindowBits + 1);
  options.threads = 1;
  const std::atomic<bool> cancel{false};
  const CabWriteResult made =
      WriteCabinet(scratch.cabinet.string(), {{scratch.source.string(), "data.bin"}}, options, {}, cancel);
  if (made.outcome != CabWriteOutcome::kDone) std::abort();
  fs::remove_all(scratch.target);
  std::vector<std::string> written;
  if (!ExpandCabFile(scratch.cabinet.string(), scratch.target.string() + "/", written, "")) std::abort();
  std::string back;
  if (!ReadFileBytes((scratch.target / "data.bin").string(), bytes.size() + 1, back) || back != bytes) std::abort();
  return 0;
}
