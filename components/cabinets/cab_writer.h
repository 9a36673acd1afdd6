// Writes one MSZIP or LZX cabinet from a list of source files (format notes in
// cab_format.h and lzx_format.h).
//
// The writer examines every source first and plans the folders: files go into one folder
// in list order until the next would pass the folder limit, which then starts a new
// folder. MSZIP: it then streams the sources through 32 KiB blocks that are compressed in
// parallel in batches (see mszip.h) and written in order. LZX: a file that begins once the
// folder holds `lzx_folder_bytes` starts a new folder, and the folders are compressed on
// separate threads (lzx_folder_jobs.h) and written in order. Finally it writes the headers
// in front. The cabinet is written under a temporary name in its own directory and renamed
// only when complete; on error or cancel the temporary file is removed, so no cabinet and
// no stray file is left. A source whose size changes or that vanishes during the build is
// an error, never a truncated member. Memory use depends on the batch size and the number
// of threads, not on the size of the cabinet.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lzx_compressor.h"

struct CabMember {
  std::string source_path;
  std::string name_in_cabinet;
};

enum class CabCompression { kMszip, kLzx };

struct CabWriterOptions {
  CabCompression compression = CabCompression::kMszip;
  // zlib level. With the previous block as dictionary, level 5 makes cabinets about as
  // small as gcab -cz does (bench/run-cab-writer-bench) at about half the cost of level 6;
  // level 4 is 8% larger on small text files.
  int compression_level = 5;
  // 0: one per hardware thread.
  unsigned threads = 0;
  // Blocks per folder before a new folder starts; tests lower it to reach the limit.
  std::uint32_t max_blocks_per_folder = 65535;
  // Blocks read and compressed together.
  std::size_t batch_blocks = 64;
  // 0: non-ASCII names are stored as UTF-8 with the format's flag; otherwise in this
  // single-byte Windows code page (see cab_format.h).
  int name_code_page = 0;
  // LZX: the compressor's settings, and the size from which the next file starts a new
  // folder. Each folder starts with an empty window; at 24 MiB that costs well under 1 %
  // of the cabinet's size, and a cabinet of 50 MB already keeps two cores busy.
  LzxOptions lzx;
  std::uint64_t lzx_folder_bytes = 24u << 20;
};

struct CabProgress {
  std::string current_source;  // the source being read
  std::uint64_t uncompressed_bytes = 0;
  std::uint64_t compressed_bytes = 0;
};

enum class CabWriteOutcome { kDone, kError, kCancelled };

struct CabWriteResult {
  CabWriteOutcome outcome = CabWriteOutcome::kError;
  std::string error_text;  // for kError: what went wrong, naming the file
  std::uint64_t uncompressed_bytes = 0;
  std::uint64_t compressed_bytes = 0;  // the size of the cabinet file
};

// Writes the cabinet `cabinet_path` holding `members`. `progress` is called on the
// calling thread when a new source begins and after every batch; `cancel` is polled
// before every block.
CabWriteResult WriteCabinet(const std::string& cabinet_path, const std::vector<CabMember>& members,
                            const CabWriterOptions& options, const std::function<void(const CabProgress&)>& progress,
                            const std::atomic<bool>& cancel);
