#include "cab_writer.h"

#include <algorithm>
#include <random>
#include <span>
#include <thread>

#include "cab_folder_sources.h"
#include "cab_format.h"
#include "lzx_folder_jobs.h"
#include "mszip.h"
#include "native_files.h"

namespace {

constexpr std::uint64_t kMaxCabinetSize = 0xFFFFFFFFull;

struct PlannedFile {
  const CabMember* member = nullptr;
  std::string stored_name;
  bool name_is_utf8 = false;
  SourceFileFacts facts;
  std::uint16_t folder = 0;
  std::uint32_t offset_in_folder = 0;
};

struct PlannedFolder {
  std::uint64_t uncompressed_bytes = 0;
  std::uint32_t data_offset = 0;
  std::uint16_t block_count = 0;
  std::uint16_t compression_type = kCabCompressionMszip;
};

struct Plan {
  std::vector<PlannedFile> files;
  std::vector<PlannedFolder> folders;
  std::size_t header_size = 0;
};

CabWriteResult Failure(std::string text) {
  CabWriteResult result;
  result.error_text = std::move(text);
  return result;
}

bool MakePlan(const std::vector<CabMember>& members, const CabWriterOptions& options, Plan& plan,
              std::string& error) {
  if (members.empty()) {
    error = "No files to put into the cabinet";
    return false;
  }
  if (members.size() > kCabMaxFiles) {
    error = "Too many files for one cabinet: " + std::to_string(members.size()) + " (at most 65535)";
    return false;
  }
  const std::uint64_t folder_capacity = std::uint64_t{options.max_blocks_per_folder} * kMszipBlockSize;
  const bool lzx = options.compression == CabCompression::kLzx;
  const std::uint16_t compression_type = lzx ? LzxCompressionType(options.lzx.window_bits) : kCabCompressionMszip;
  plan.files.reserve(members.size());
  plan.folders.push_back({});
  plan.folders.back().compression_type = compression_type;
  std::size_t names_size = 0;
  for (const CabMember& member : members) {
    PlannedFile file;
    file.member = &member;
    if (!StoredCabName(member.name_in_cabinet, file.stored_name, file.name_is_utf8, options.name_code_page)) {
      error = "Invalid name inside the cabinet: " + member.name_in_cabinet;
      if (options.name_code_page != 0) error += " (code page " + std::to_string(options.name_code_page) + ")";
      return false;
    }
    if (!ReadSourceFileFacts(member.source_path, file.facts)) {
      error = "Cannot read file: " + member.source_path;
      return false;
    }
    if (file.facts.size > folder_capacity) {
      error = "File too large for a cabinet: " + member.source_path;
      return false;
    }
    const std::uint64_t folder_bytes = plan.folders.back().uncompressed_bytes;
    if (folder_bytes + file.facts.size > folder_capacity || (lzx && folder_bytes >= options.lzx_folder_bytes)) {
      if (plan.folders.size() == kCabMaxFolders) {
        error = "Too much data for one cabinet";
        return false;
      }
      plan.folders.push_back({});
      plan.folders.back().compression_type = compression_type;
    }
    PlannedFolder& folder = plan.folders.back();
    file.folder = static_cast<std::uint16_t>(plan.folders.size() - 1);
    file.offset_in_folder = static_cast<std::uint32_t>(folder.uncompressed_bytes);
    folder.uncompressed_bytes += file.facts.size;
    names_size += file.stored_name.size() + 1;
    plan.files.push_back(std::move(file));
  }
  plan.header_size = kCabHeaderSize + kCabFolderSize * plan.folders.size() + kCabFileFixedSize * plan.files.size() + names_size;
  return true;
}

std::vector<std::uint8_t> HeaderBytes(const Plan& plan, std::uint32_t cabinet_size) {
  ByteWriter out;
  out.Text("MSCF");
  out.U32(0);
  out.U32(cabinet_size);
  out.U32(0);
  out.U32(static_cast<std::uint32_t>(kCabHeaderSize + kCabFolderSize * plan.folders.size()));
  out.U32(0);
  out.U8(3);
  out.U8(1);
  out.U16(static_cast<std::uint16_t>(plan.folders.size()));
  out.U16(static_cast<std::uint16_t>(plan.files.size()));
  out.U16(0);  // flags: no reserve, no previous or next cabinet
  out.U16(0);  // set id
  out.U16(0);  // index in the set
  for (const PlannedFolder& folder : plan.folders) {
    out.U32(folder.data_offset);
    out.U16(folder.block_count);
    out.U16(folder.compression_type);
  }
  for (const PlannedFile& file : plan.files) {
    out.U32(static_cast<std::uint32_t>(file.facts.size));
    out.U32(file.offset_in_folder);
    out.U16(file.folder);
    out.U16(file.facts.dos_date);
    out.U16(file.facts.dos_time);
    out.U16(static_cast<std::uint16_t>(file.facts.attributes | (file.name_is_utf8 ? kCabAttributeNameIsUtf8 : 0)));
    out.Text(file.stored_name);
    out.U8(0);
  }
  return out.bytes();
}

std::string TemporaryNameBeside(const std::string& cabinet_path) {
  std::random_device device;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string suffix = ".~";
  for (int i = 0; i < 4; ++i) {
    const unsigned value = device();
    suffix += kHex[value & 15];
    suffix += kHex[(value >> 4) & 15];
  }
  return cabinet_path + suffix + ".tmp";
}

// A batch: the uncompressed bytes of up to `batch_blocks` consecutive blocks of one
// folder, preceded by the last block of the batch before it in the same folder (the
// dictionary of the first block), and the compressed blocks made from them.
struct Batch {
  std::vector<std::uint8_t> data;  // [dictionary][block 0][block 1]...
  std::size_t dictionary_size = 0;
  std::vector<std::size_t> block_sizes;
  std::vector<std::vector<std::uint8_t>> compressed;

  std::span<const std::uint8_t> Block(std::size_t index) const {
    return std::span(data).subspan(dictionary_size + index * kMszipBlockSize, block_sizes[index]);
  }
  std::span<const std::uint8_t> DictionaryOf(std::size_t index) const {
    if (index == 0) return std::span(data).first(dictionary_size);
    return std::span(data).subspan(dictionary_size + (index - 1) * kMszipBlockSize, kMszipBlockSize);
  }
};

class BlockCompressors {
 public:
  BlockCompressors(unsigned threads, int level) {
    for (unsigned i = 0; i < threads; ++i) compressors_.push_back(std::make_unique<MszipCompressor>(level));
  }

  // Compresses every block of the batch, the calling thread taking part; false when zlib
  // failed or `cancel` was seen.
  bool CompressAll(Batch& batch, const std::atomic<bool>& cancel) {
    const std::size_t count = batch.block_sizes.size();
    batch.compressed.resize(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&](MszipCompressor& compressor) {
      for (std::size_t i = next++; i < count; i = next++) {
        if (failed || cancel) return;
        if (!compressor.Compress(batch.DictionaryOf(i), batch.Block(i), batch.compressed[i])) failed = true;
      }
    };
    const std::size_t helpers = std::min<std::size_t>(compressors_.size() - 1, count > 0 ? count - 1 : 0);
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(work, std::ref(*compressors_[t + 1]));
    work(*compressors_[0]);
    for (std::thread& thread : threads) thread.join();
    return !failed && !cancel;
  }

 private:
  std::vector<std::unique_ptr<MszipCompressor>> compressors_;
};

class CabinetStream {
 public:
  CabinetStream(const Plan& plan, const CabWriterOptions& options, const std::function<void(const CabProgress&)>& progress,
                const std::atomic<bool>& cancel)
      : plan_(plan), options_(options), progress_(progress), cancel_(cancel),
        threads_(options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency())) {
    sources_.resize(plan.folders.size());
    for (const PlannedFile& file : plan.files) sources_[file.folder].push_back({file.member->source_path, file.facts.size});
  }

  // Writes every folder's data blocks to `out`, which stands after the headers; fills in
  // the folders' offsets and block counts.
  CabWriteOutcome Write(std::FILE* out, std::vector<PlannedFolder>& folders, std::string& error) {
    written_ = plan_.header_size;
    if (options_.compression == CabCompression::kLzx) return WriteLzx(out, folders, error);
    BlockCompressors compressors(threads_, options_.compression_level);
    for (std::size_t f = 0; f < folders.size(); ++f) {
      folders[f].data_offset = static_cast<std::uint32_t>(written_);
      std::uint64_t left = folders[f].uncompressed_bytes;
      CabFolderSources sources(std::move(sources_[f]), [this](const std::string& path) {
        current_source_ = path;
        Report();
      });
      Batch batch;
      std::vector<std::uint8_t> carried;  // the last block of the previous batch
      while (left > 0) {
        if (cancel_) return CabWriteOutcome::kCancelled;
        const std::size_t blocks = static_cast<std::size_t>(
            std::min<std::uint64_t>(options_.batch_blocks, (left + kMszipBlockSize - 1) / kMszipBlockSize));
        const std::size_t bytes = static_cast<std::size_t>(std::min<std::uint64_t>(left, blocks * kMszipBlockSize));
        batch.dictionary_size = carried.size();
        batch.data.resize(carried.size() + bytes);
        std::copy(carried.begin(), carried.end(), batch.data.begin());
        if (!sources.Read(std::span(batch.data).subspan(carried.size()), error)) return CabWriteOutcome::kError;
        batch.block_sizes.assign(blocks, kMszipBlockSize);
        batch.block_sizes.back() = bytes - (blocks - 1) * kMszipBlockSize;
        if (!compressors.CompressAll(batch, cancel_)) {
          if (cancel_) return CabWriteOutcome::kCancelled;
          error = "Compression failed";
          return CabWriteOutcome::kError;
        }
        for (std::size_t i = 0; i < blocks; ++i) {
          if (!WriteBlock(out, batch.compressed[i], static_cast<std::uint16_t>(batch.block_sizes[i]), error)) {
            return CabWriteOutcome::kError;
          }
        }
        folders[f].block_count = static_cast<std::uint16_t>(folders[f].block_count + blocks);
        left -= bytes;
        const auto last = batch.Block(blocks - 1);
        carried.assign(last.begin(), last.end());
        uncompressed_ += bytes;
        Report();
      }
      if (!sources.Finish(error)) return CabWriteOutcome::kError;
    }
    return CabWriteOutcome::kDone;
  }

  std::uint64_t written() const { return written_; }
  std::uint64_t uncompressed() const { return uncompressed_; }

 private:
  static constexpr std::size_t kFramesPerReport = 64;

  CabWriteOutcome WriteLzx(std::FILE* out, std::vector<PlannedFolder>& folders, std::string& error) {
    LzxFolderJobs jobs(std::move(sources_), options_.lzx, threads_, cancel_);
    LzxFrame frame;
    for (std::size_t f = 0; f < folders.size(); ++f) {
      folders[f].data_offset = static_cast<std::uint32_t>(written_);
      for (;;) {
        const LzxFolderJobs::Take take = jobs.Next(f, frame, error);
        if (take == LzxFolderJobs::Take::kFolderEnd) break;
        if (take == LzxFolderJobs::Take::kCancelled) return CabWriteOutcome::kCancelled;
        if (take == LzxFolderJobs::Take::kFailed) return CabWriteOutcome::kError;
        if (folders[f].block_count == kCabMaxBlocksPerFolder) {
          error = "Internal error: folder sizes disagree";
          return CabWriteOutcome::kError;
        }
        if (!WriteBlock(out, frame.data, frame.uncompressed_size, error)) return CabWriteOutcome::kError;
        ++folders[f].block_count;
        uncompressed_ += frame.uncompressed_size;
        ReportOpenedSources(jobs, f, folders[f].block_count % kFramesPerReport == 0);
      }
      ReportOpenedSources(jobs, f, true);
    }
    return cancel_ ? CabWriteOutcome::kCancelled : CabWriteOutcome::kDone;
  }

  void Report() {
    if (progress_) progress_({current_source_, uncompressed_, written_});
  }

  // A report for each source the folder's worker opened since the last one, as the MSZIP
  // path reports each source as it begins; at least one when `always`.
  void ReportOpenedSources(LzxFolderJobs& jobs, std::size_t folder, bool always) {
    const std::vector<std::string> opened = jobs.TakeOpenedSources(folder);
    for (const std::string& path : opened) {
      current_source_ = path;
      Report();
    }
    if (opened.empty() && always) Report();
  }

  bool WriteBlock(std::FILE* out, const std::vector<std::uint8_t>& block, std::uint16_t uncompressed_size,
                  std::string& error) {
    if (written_ + kCabDataHeaderSize + block.size() > kMaxCabinetSize) {
      error = "The cabinet would pass 4 GiB";
      return false;
    }
    ByteWriter header;
    header.U32(CabDataChecksum(block, uncompressed_size));
    header.U16(static_cast<std::uint16_t>(block.size()));
    header.U16(uncompressed_size);
    if (std::fwrite(header.bytes().data(), 1, header.bytes().size(), out) != header.bytes().size() ||
        std::fwrite(block.data(), 1, block.size(), out) != block.size()) {
      error = "Cannot write the cabinet file";
      return false;
    }
    written_ += kCabDataHeaderSize + block.size();
    return true;
  }

  const Plan& plan_;
  const CabWriterOptions& options_;
  const std::function<void(const CabProgress&)>& progress_;
  const std::atomic<bool>& cancel_;
  unsigned threads_;
  std::vector<std::vector<CabSource>> sources_;  // each folder's, handed on when it is written
  std::string current_source_;
  std::uint64_t written_ = 0;
  std::uint64_t uncompressed_ = 0;
};

}  // namespace

CabWriteResult WriteCabinet(const std::string& cabinet_path, const std::vector<CabMember>& members,
                            const CabWriterOptions& options, const std::function<void(const CabProgress&)>& progress,
                            const std::atomic<bool>& cancel) {
  if (options.max_blocks_per_folder == 0 || options.max_blocks_per_folder > kCabMaxBlocksPerFolder ||
      options.batch_blocks == 0 || options.lzx.window_bits < kLzxMinWindowBits ||
      options.lzx.window_bits > kLzxMaxWindowBits) {
    return Failure("Invalid cabinet writer options");
  }
  Plan plan;
  std::string error;
  if (!MakePlan(members, options, plan, error)) return Failure(error);

  const std::string temporary = TemporaryNameBeside(cabinet_path);
  NativeFile out = OpenNativeFile(temporary, "wb");
  if (!out) return Failure("Cannot create the cabinet file: " + cabinet_path);
  auto discard = [&](CabWriteResult result) {
    out.reset();
    RemoveNativeFile(temporary);
    return result;
  };

  // Room for the headers, written last when every offset is known.
  const std::vector<std::uint8_t> placeholder(plan.header_size, 0);
  if (std::fwrite(placeholder.data(), 1, placeholder.size(), out.get()) != placeholder.size()) {
    return discard(Failure("Cannot write the cabinet file: " + cabinet_path));
  }
  CabinetStream stream(plan, options, progress, cancel);
  const CabWriteOutcome outcome = stream.Write(out.get(), plan.folders, error);
  if (outcome == CabWriteOutcome::kCancelled) {
    CabWriteResult cancelled;
    cancelled.outcome = CabWriteOutcome::kCancelled;
    return discard(cancelled);
  }
  if (outcome == CabWriteOutcome::kError) return discard(Failure(error));

  const std::vector<std::uint8_t> header = HeaderBytes(plan, static_cast<std::uint32_t>(stream.written()));
  if (!SeekNativeFile(out.get(), 0) || std::fwrite(header.data(), 1, header.size(), out.get()) != header.size() ||
      std::fflush(out.get()) != 0) {
    return discard(Failure("Cannot write the cabinet file: " + cabinet_path));
  }
  if (std::fclose(out.release()) != 0) return discard(Failure("Cannot write the cabinet file: " + cabinet_path));
  if (cancel) {
    CabWriteResult cancelled;
    cancelled.outcome = CabWriteOutcome::kCancelled;
    return discard(cancelled);
  }
  if (!ReplaceNativeFile(temporary, cabinet_path)) return discard(Failure("Cannot create the cabinet file: " + cabinet_path));

  CabWriteResult result;
  result.outcome = CabWriteOutcome::kDone;
  result.uncompressed_bytes = stream.uncompressed();
  result.compressed_bytes = stream.written();
  return result;
}
