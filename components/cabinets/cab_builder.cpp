#include "cab_builder.h"

#include <chrono>

CabBuilder::CabBuilder(void* wake_window, unsigned wake_message)
    : wake_window_(wake_window), wake_message_(wake_message) {}

CabBuilder::~CabBuilder() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

void CabBuilder::ClearCabFiles() { members_.clear(); }

void CabBuilder::AddFileToCab(const std::string& source_path, const std::string& name_in_cabinet) {
  members_.push_back({source_path, name_in_cabinet});
}

void CabBuilder::JoinFinishedWorker() {
  if (!running_ && worker_.joinable()) worker_.join();
}


bool CabBuilder::MakeCab(const std::string& cabinet_path, std::int32_t certificate_reserve) {
  JoinFinishedWorker();
  if (running_ || certificate_reserve < 0 || members_.empty() || cabinet_path.empty()) {
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    last_error_.clear();
  }
  cancel_ = false;
  running_ = true;
  try {
    worker_ = std::thread(&CabBuilder::Build, this, cabinet_path, members_, options_);
  } catch (const std::exception&) {
    running_ = false;
    return false;
  }
  return true;
}

void CabBuilder::CancelMakeCab() {
  if (running_) cancel_ = true;
}

void CabBuilder::Build(std::string cabinet_path, std::vector<CabMember> members, CabWriterOptions options) {
  // Exceptions (memory, threads) must not leave the worker: they end the build as an error.
  CabWriteResult result;
  try {
    result = WriteCabinet(
        cabinet_path, members, options,
        [this, &cabinet_path](const CabProgress& progress) {
          Queue({Kind::kProgress, cabinet_path, progress.current_source, progress.uncompressed_bytes, progress.compressed_bytes});
        },
        cancel_);
  } catch (const std::exception& fault) {
    result = {};
    result.error_text = std::string("Cabinet build failed: ") + fault.what();
  }
  // The build counts as finished before its final event is seen, so that a MakeCab called
  // from that event's handler starts the next build (it only waits for this thread to end).
  running_ = false;
  switch (result.outcome) {
    case CabWriteOutcome::kDone:
      Queue({Kind::kDone, cabinet_path, {}, result.uncompressed_bytes, result.compressed_bytes});
      break;
    case CabWriteOutcome::kCancelled:
      Queue({Kind::kCancel, cabinet_path, {}, 0, 0});
      break;
    case CabWriteOutcome::kError: {
      {
        std::lock_guard lock(mutex_);
        last_error_ = result.error_text;
      }
      Queue({Kind::kError, cabinet_path, {}, 0, 0});
      break;
    }
  }
}

void CabBuilder::Queue(Event event) {
  bool first_waiting = false;
  {
    std::lock_guard lock(mutex_);
    first_waiting = queue_.empty();
    queue_.push_back(std::move(event));
  }
  queued_.notify_all();
  if (first_waiting && wake_window_) WakeWindow(wake_window_, wake_message_);
}

std::size_t CabBuilder::ProcessMakeCabEvents(MakeCabEvents& events) {
  // A handler that processes events again must not overtake the events still to come.
  if (delivering_) return 0;
  delivering_ = true;
  std::deque<Event> taken;
  {
    std::lock_guard lock(mutex_);
    taken.swap(queue_);
  }
  for (const Event& event : taken) {
    switch (event.kind) {
      case Kind::kProgress:
        events.MakeCabProgress(event.cabinet, event.current_file, event.uncompressed, event.compressed);
        break;
      case Kind::kDone:
        events.MakeCabDone(event.cabinet, event.uncompressed, event.compressed);
        break;
      case Kind::kError:
        events.MakeCabError(event.cabinet);
        break;
      case Kind::kCancel:
        events.MakeCabCancel(event.cabinet);
        break;
    }
  }
  delivering_ = false;
  JoinFinishedWorker();
  return taken.size();
}

bool CabBuilder::WaitForEvents(int milliseconds) {
  std::unique_lock lock(mutex_);
  return queued_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !queue_.empty(); });
}

std::string CabBuilder::LastMakeCabError() const {
  std::lock_guard lock(mutex_);
  return last_error_;
}
