// The scheduler of a download: the connections of one file, the pieces they take, their
// retries, the record of what is missing while pieces are written, progress and Cancel.
// The resume record and one request live in files of their own.
#include "http_download.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "download_resume_record_win32.h"
#include "download_state.h"
#include "internet_session_win32.h"
#include "ranged_request_win32.h"

namespace {

// The first pause before a retry; each further one is twice as long.
constexpr unsigned kRetryPauseMs = 1000;
// Pieces shrink towards the end, so that the connections finish close together.
constexpr std::uint64_t kPieceBytes = 4u << 20;
constexpr std::uint64_t kSmallestPieceBytes = 256u << 10;
// How long Cancel waits for the connections to stop before it leaves them behind.
constexpr ULONGLONG kCancelGraceMs = 500;
// Each connection gets at least this much of a file.
constexpr std::uint64_t kBytesPerConnection = 1u << 20;
constexpr int kRetries = 3;
// Failed attempts (drops, time-outs, server errors) one file may have in one run, whatever
// they brought: a server that ignores ranges and drops every answer early would otherwise
// keep a silent run fetching the same first bytes for ever.
constexpr int kMaxFailedAttempts = 10;
// How often the missing ranges of a partial file are written down while it grows.
constexpr ULONGLONG kSaveIntervalMs = 500;

// What the connections and the thread that waits for them share: a connection left behind
// at Cancel keeps the download alive until it ends.
struct SharedDownload {
  SharedDownload(const DownloadRequest& wanted, const WebUrl& url) : download(wanted, url) {}
  Download download;
};

// Under the lock: the size of the next piece to hand out.
std::uint64_t NextPieceBytes(const Download& download) {
  if (!download.parallel) return kWholeFile;
  const std::uint64_t share = download.plan.UnheldBytes() / (2 * kConnections);
  return std::clamp(share, kSmallestPieceBytes, kPieceBytes);
}

// Under the lock: the next range for connection `slot` (none for a file of unknown size,
// which is fetched whole); false when nothing is left for it.
bool TakeNextRange(Download& download, std::size_t slot, bool first_request, ByteRange& range, bool& bounded) {
  if (!download.size_known) return true;
  if (!download.plan.Take(slot, NextPieceBytes(download), range)) {
    if (!first_request || slot != 0) return false;
    // The file is complete already: ask for what follows it, to hear that there is
    // nothing more.
    range = {download.plan.size(), download.plan.size()};
  }
  // Open-ended only where the file on disk is everything before the range.
  bounded = !range.empty() && (download.parallel || download.missing_saved);
  return true;
}

enum class AfterDrop { Retry, LeftToOthers, Ended };

// Under the lock: what a connection does after an attempt that was dropped or timed out.
AfterDrop CountDroppedAttempt(Download& download, bool received, const std::string& reason) {
  if (++download.failed_attempts >= kMaxFailedAttempts) {
    download.End(Attempt::Failed, reason + "; " + std::to_string(kMaxFailedAttempts) + " attempts failed");
    return AfterDrop::Ended;
  }
  if (!received && download.active > 1) {
    // The others carry on with what this one leaves (the server may take only so many
    // connections at a time).
    --download.active;
    download.changed.notify_all();
    return AfterDrop::LeftToOthers;
  }
  if (!download.size_known) download.unknown_size_done = 0;
  return AfterDrop::Retry;
}

// One connection: takes a piece after the other until nothing is left to fetch, retrying
// a dropped connection from where it stopped.
void RunConnection(std::shared_ptr<SharedDownload> shared, std::size_t slot) {
  Download& download = shared->download;
  InternetHandle connection;
  int retries = 0;
  bool first_request = true;
  while (!download.stop) {
    ByteRange range;
    bool bounded = false;
    {
      std::lock_guard<std::mutex> hold(download.lock);
      if (!TakeNextRange(download, slot, first_request, range, bounded)) break;
    }
    first_request = false;
    bool received = false;
    std::string reason;
    const Attempt attempt = FetchRange(download, slot, connection, range, bounded, received, reason);
    {
      std::lock_guard<std::mutex> hold(download.lock);
      if (download.size_known) download.plan.Release(slot);
    }
    if (attempt == Attempt::Complete) {
      retries = 0;
      if (!download.size_known) break;
      continue;
    }
    if (attempt == Attempt::Stopped) break;
    if (attempt == Attempt::Failed || attempt == Attempt::StartOver) {
      std::lock_guard<std::mutex> hold(download.lock);
      download.End(attempt, reason);
      break;
    }
    // Retry, on a new connection.
    connection.reset();
    if (received) retries = 0;
    AfterDrop next = AfterDrop::Retry;
    {
      std::lock_guard<std::mutex> hold(download.lock);
      next = CountDroppedAttempt(download, received, reason);
    }
    if (next == AfterDrop::LeftToOthers) return;
    if (next == AfterDrop::Ended) break;
    if (retries++ == kRetries) {
      std::lock_guard<std::mutex> hold(download.lock);
      download.End(Attempt::Failed, reason);
      break;
    }
    for (unsigned waited = 0; waited < kRetryPauseMs << (retries - 1) && !download.stop; waited += 50) Sleep(50);
  }
  std::lock_guard<std::mutex> hold(download.lock);
  --download.active;
  download.changed.notify_all();
}

// Under the lock: once the server has answered a range request as asked, the other
// connections join the first.
void StartOtherConnections(const std::shared_ptr<SharedDownload>& shared, std::vector<std::thread>& connections) {
  Download& download = shared->download;
  if (!download.ranges_confirmed || !download.parallel || download.others_started || download.stop) return;
  download.others_started = true;
  const std::uint64_t shares = download.plan.MissingBytes() / kBytesPerConnection;
  for (std::size_t slot = 1; slot < kConnections && slot < shares; ++slot) {
    ++download.active;
    connections.emplace_back(RunConnection, shared, slot);
  }
}

// The waiting thread while the connections run: more connections once ranges are
// confirmed, the record of what is missing, progress and Cancel. `hold` is locked on
// entry and on return. True when Cancel was asked for.
bool WatchConnections(const std::shared_ptr<SharedDownload>& shared, std::vector<std::thread>& connections,
                      DownloadObserver& observer, std::unique_lock<std::mutex>& hold) {
  Download& download = shared->download;
  ULONGLONG saved_at = GetTickCount64();
  bool cancelled = false;
  ULONGLONG cancelled_at = 0;
  while (true) {
    StartOtherConnections(shared, connections);
    if (download.missing_saved && download.plan_changed && GetTickCount64() - saved_at >= kSaveIntervalMs) {
      download.SaveMissing();
      saved_at = GetTickCount64();
    }
    const std::uint64_t done = download.size_known ? download.plan.size() - download.plan.MissingBytes()
                                                   : download.unknown_size_done;
    const bool running = download.active > 0;
    hold.unlock();
    observer.Progress(done, download.request.expected_size);
    if (!cancelled && observer.CancelRequested()) {
      cancelled = true;
      cancelled_at = GetTickCount64();
      download.stop = true;
    }
    hold.lock();
    if (!running || (cancelled && GetTickCount64() - cancelled_at >= kCancelGraceMs)) break;
    download.changed.wait_for(hold, std::chrono::milliseconds(50), [&] {
      return download.active == 0 || (download.ranges_confirmed && download.parallel && !download.others_started);
    });
  }
  return cancelled;
}

// Under the lock, once the connections have ended or were left behind: how the attempt
// ended, with what is still missing written down for the next one.
Attempt ConcludeDownload(Download& download, bool cancelled, std::string& reason) {
  if (download.outcome != Attempt::Complete) {
    if (download.missing_saved) download.SaveMissing();
    reason = download.error;
    return download.outcome;
  }
  if (download.size_known && !download.plan.Complete()) {
    if (download.missing_saved) download.SaveMissing();
    if (cancelled) return Attempt::Stopped;
    reason = "the connection was dropped";
    return Attempt::Failed;
  }
  DeleteMissingRecord(download.request.path);
  return cancelled && !download.size_known ? Attempt::Stopped : Attempt::Complete;
}

// One attempt at the whole file: the first connection alone until the server shows that
// it answers ranges, then the others beside it.
Attempt RunDownload(const DownloadRequest& wanted, const WebUrl& url, DownloadObserver& observer,
                    std::string& reason, int& failed_attempts) {
  const auto shared = std::make_shared<SharedDownload>(wanted, url);
  Download& download = shared->download;
  download.failed_attempts = failed_attempts;
  LoadResumeState(download);
  download.file = UniqueHandle(CreateFileA(wanted.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!download.file) {
    reason = "the file " + wanted.path + " cannot be written";
    return Attempt::Failed;
  }
  std::vector<std::thread> connections;
  std::unique_lock<std::mutex> hold(download.lock);
  download.active = 1;
  connections.emplace_back(RunConnection, shared, std::size_t{0});
  const bool cancelled = WatchConnections(shared, connections, observer, hold);
  const bool all_ended = download.active == 0;
  failed_attempts = download.failed_attempts;
  hold.unlock();
  for (std::thread& connection : connections) all_ended ? connection.join() : connection.detach();
  if (all_ended) download.file.reset();
  hold.lock();
  return ConcludeDownload(download, cancelled, reason);
}

}  // namespace

DownloadResult DownloadFile(const DownloadRequest& request, DownloadObserver& observer, std::string& error) {
  error.clear();
  if (!WinInet().loaded() || !Session()) {
    error = "Error. Cannot download " + request.url + ": WinINet is not available.";
    return DownloadResult::Failed;
  }
  WebUrl url;
  std::string reason = "it is no http: or https: address";
  if (ParseWebUrl(request.url, url)) {
    // A server that keeps refusing the range it was asked for gets two fresh starts.
    int failed_attempts = 0;
    for (int starts = 0; starts < 3; ++starts) {
      const Attempt attempt = RunDownload(request, url, observer, reason, failed_attempts);
      if (attempt == Attempt::Complete) return DownloadResult::Complete;
      if (attempt == Attempt::Stopped) return DownloadResult::Cancelled;
      if (attempt != Attempt::StartOver) break;
      DeletePartialDownload(request.path);
      reason = "the server refuses to send the file";
    }
  }
  error = "Error. Cannot download " + request.url + ": " + reason + ".";
  return DownloadResult::Failed;
}
