// One file's download, shared by its connections and the thread that waits for them.
//
// A file of known size from kParallelMinimumBytes up is fetched a piece at a time by up to
// kConnections connections, once the server has answered the first range request with the
// range asked for; smaller files, and every file of a server that ignores ranges, by one
// connection from start to end. A connection stuck in a wait for a silent server when
// Cancel comes is left to end on its own (at the receive time-out), so the download
// outlives the call that began it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "download_plan.h"
#include "http_download.h"
#include "web_url.h"
#include "win32_handles.h"

inline constexpr std::uint64_t kParallelMinimumBytes = 8u << 20;
inline constexpr std::size_t kConnections = 4;
// A piece that runs to the end of the file.
inline constexpr std::uint64_t kWholeFile = ~std::uint64_t{0};

enum class Attempt { Complete, Stopped, Retry, StartOver, Failed };

struct Download {
  Download(const DownloadRequest& wanted, const WebUrl& address)
      : request(wanted),
        url(address),
        size_known(wanted.expected_size != 0),
        plan(wanted.expected_size, kConnections),
        parallel(size_known && wanted.expected_size >= kParallelMinimumBytes) {}

  const DownloadRequest request;
  const WebUrl url;
  const bool size_known;
  UniqueHandle file;
  std::atomic<bool> stop{false};  // Cancel, or a connection decided the outcome

  std::mutex lock;  // guards what follows
  std::condition_variable changed;
  DownloadPlan plan;
  bool parallel;                 // cleared when the server sends the file whole
  bool ranges_confirmed = false; // the server answered a range request as asked
  bool others_started = false;
  std::size_t active = 0;        // connections running
  std::string validator;         // of the version of the file on disk; empty: none
  bool missing_saved = false;    // the partial file's missing ranges are written down
  bool plan_changed = false;
  std::uint64_t unknown_size_done = 0;
  int failed_attempts = 0;       // of this file in this run, carried over fresh starts
  Attempt outcome = Attempt::Complete;  // Failed or StartOver once a connection decided so
  std::string error;

  // Under the lock: the first connection to fail decides, and the others stop.
  void End(Attempt why, const std::string& reason) {
    if (outcome == Attempt::Complete) {
      outcome = why;
      error = reason;
    }
    stop = true;
  }
  // Under the lock: writes down what is still missing (download_resume_record_win32.cpp).
  void SaveMissing();
};
