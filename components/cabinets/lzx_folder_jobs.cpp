#include "lzx_folder_jobs.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

namespace {

constexpr std::size_t kReadBytes = 256 * 1024;

}  // namespace

LzxFolderJobs::LzxFolderJobs(std::vector<std::vector<CabSource>> folders, const LzxOptions& options, unsigned threads,
                             const std::atomic<bool>& cancel)
    : options_(options), cancel_(cancel) {
  folders_.resize(folders.size());
  for (std::size_t i = 0; i < folders.size(); ++i) folders_[i].sources = std::move(folders[i]);
  const std::size_t count = std::max<std::size_t>(1, std::min<std::size_t>(threads, folders_.size()));
  try {
    for (std::size_t i = 0; i < count; ++i) workers_.emplace_back(&LzxFolderJobs::Work, this);
  } catch (const std::exception&) {
    if (workers_.empty()) Fail("Cannot start the compression threads");
  }
}

LzxFolderJobs::~LzxFolderJobs() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void LzxFolderJobs::Fail(const std::string& error) {
  {
    std::lock_guard lock(mutex_);
    if (!stopping_) error_ = error;
    stopping_ = true;
  }
  changed_.notify_all();
}

void LzxFolderJobs::Work() {
  // No exception may leave a thread: running out of memory ends the build as an error.
  try {
    for (std::size_t index = next_folder_++; index < folders_.size(); index = next_folder_++) {
      std::string error;
      if (!CompressFolder(index, error)) {
        if (!error.empty()) Fail(error);
        changed_.notify_all();
        return;
      }
    }
  } catch (const std::exception& fault) {
    Fail(std::string("Cabinet build failed: ") + fault.what());
  }
}

bool LzxFolderJobs::CompressFolder(std::size_t index, std::string& error) {
  std::vector<CabSource> sources;
  std::uint64_t left = 0;
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return false;
    sources = folders_[index].sources;
  }
  for (const CabSource& source : sources) left += source.size;
  CabFolderSources reader(std::move(sources), [this, index](const std::string& path) {
    std::lock_guard lock(mutex_);
    folders_[index].opened_sources.push_back(path);
  });
  LzxOptions options = options_;
  options.e8_translation_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kLzxMaxE8TranslationSize));
  LzxCompressor compressor(options);
  std::vector<std::uint8_t> chunk;
  std::vector<LzxFrame> frames;
  while (left > 0) {
    if (cancel_) return false;
    chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(left, kReadBytes)));
    if (!reader.Read(chunk, error)) return false;
    left -= chunk.size();
    compressor.Write(chunk, frames);
    if (!Queue(index, frames)) return false;
  }
  if (!reader.Finish(error)) return false;
  compressor.Finish(frames);
  if (!Queue(index, frames)) return false;
  {
    std::lock_guard lock(mutex_);
    folders_[index].done = true;
  }
  changed_.notify_all();
  return true;
}

bool LzxFolderJobs::Queue(std::size_t index, std::vector<LzxFrame>& frames) {
  {
    std::unique_lock lock(mutex_);
    Folder& folder = folders_[index];
    changed_.wait(lock, [&] { return stopping_ || index == taking_ || folder.queued_bytes < kMaxQueuedBytes; });
    if (stopping_) return false;
    for (LzxFrame& frame : frames) {
      folder.queued_bytes += frame.data.size();
      folder.frames.push_back(std::move(frame));
    }
  }
  frames.clear();
  changed_.notify_all();
  return true;
}

LzxFolderJobs::Take LzxFolderJobs::Next(std::size_t index, LzxFrame& frame, std::string& error) {
  std::unique_lock lock(mutex_);
  if (taking_ != index) {
    taking_ = index;
    changed_.notify_all();
  }
  Folder& folder = folders_[index];
  // Cancelling is a flag of the caller's: look at it now and then.
  while (!stopping_ && !cancel_ && folder.frames.empty() && !folder.done) {
    changed_.wait_for(lock, std::chrono::milliseconds(100));
  }
  if (!folder.frames.empty()) {
    frame = std::move(folder.frames.front());
    folder.frames.pop_front();
    folder.queued_bytes -= frame.data.size();
    return Take::kFrame;
  }
  if (folder.done) return Take::kFolderEnd;
  if (!error_.empty()) {
    error = error_;
    return Take::kFailed;
  }
  return Take::kCancelled;
}

std::vector<std::string> LzxFolderJobs::TakeOpenedSources(std::size_t index) {
  std::lock_guard lock(mutex_);
  return std::exchange(folders_[index].opened_sources, {});
}
