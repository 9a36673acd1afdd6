// Compresses the folders of an LZX cabinet on separate threads. Each folder is an
// independent LZX stream, so workers take folders in order, each reading its own sources;
// the writer takes the frames folder by folder, in order, while later folders are still
// being compressed. A worker whose folder is not yet being taken stops once it holds
// kMaxQueuedBytes of compressed frames, so memory stays bounded whatever the folders' sizes;
// the folder being taken never waits, so the writer always makes progress.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cab_folder_sources.h"
#include "lzx_compressor.h"

class LzxFolderJobs {
 public:
  enum class Take { kFrame, kFolderEnd, kFailed, kCancelled };

  // Starts `threads` workers (at least one) on `folders`, each a list of sources.
  LzxFolderJobs(std::vector<std::vector<CabSource>> folders, const LzxOptions& options, unsigned threads,
                const std::atomic<bool>& cancel);
  // Stops the workers and waits for them.
  ~LzxFolderJobs();
  LzxFolderJobs(const LzxFolderJobs&) = delete;
  LzxFolderJobs& operator=(const LzxFolderJobs&) = delete;

  // Waits for the next frame of `folder`; folders must be taken in order. kFailed fills
  // `error`.
  Take Next(std::size_t folder, LzxFrame& frame, std::string& error);

  // The sources of `folder` opened since the last call, in order, for progress reports.
  std::vector<std::string> TakeOpenedSources(std::size_t folder);

 private:
  static constexpr std::size_t kMaxQueuedBytes = 32u << 20;
  struct Folder {
    std::vector<CabSource> sources;
    std::deque<LzxFrame> frames;
    std::size_t queued_bytes = 0;
    bool done = false;
    std::vector<std::string> opened_sources;
  };

  void Work();
  bool CompressFolder(std::size_t index, std::string& error);
  // Hands `frames` to the writer; false when the jobs are stopping.
  bool Queue(std::size_t index, std::vector<LzxFrame>& frames);
  void Fail(const std::string& error);

  LzxOptions options_;
  const std::atomic<bool>& cancel_;
  std::atomic<std::size_t> next_folder_{0};
  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  std::vector<Folder> folders_;
  std::size_t taking_ = 0;  // the folder the writer takes frames of
  bool stopping_ = false;
  std::string error_;
  std::vector<std::thread> workers_;
};
