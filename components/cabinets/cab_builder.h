// The cabinet operations of the cabinet-builder component: a file list, a build on a
// worker thread, and the build's events delivered on the caller's thread.
//
// MakeCab starts a worker that writes the cabinet (cab_writer.h) and queues events:
// MakeCabProgress any number of times, then exactly one of MakeCabDone, MakeCabError or
// MakeCabCancel. Nothing is delivered from the worker: the caller receives the queued
// events, in order, when it calls ProcessMakeCabEvents (what the wizard does whenever it
// lets its window process events). In the Windows build a window handle given to the
// constructor also receives a posted message whenever new events wait, so that a message
// loop wakes up.
//
// The certificate reserve: a cabinet that reserves room for a signature in its header is
// refused by today's signing tools, which make their own room in a plain cabinet. A
// non-zero reserve therefore asks for a signable cabinet, and a plain cabinet is exactly
// that; no reserve area is written.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cab_writer.h"

// What the wizard implements to receive the events.
class MakeCabEvents {
 public:
  virtual ~MakeCabEvents() = default;
  virtual void MakeCabProgress(const std::string& CabFilename, const std::string& CurrentFileInCab,
                               std::uint64_t NumUncompressedBytes, std::uint64_t NumCompressedBytes) = 0;
  virtual void MakeCabDone(const std::string& CabFilename, std::uint64_t NumUncompressedBytes,
                           std::uint64_t NumCompressedBytes) = 0;
  virtual void MakeCabError(const std::string& CabFilename) = 0;
  virtual void MakeCabCancel(const std::string& CabFilename) = 0;
};

class CabBuilder {
 public:
  // `wake_window` (an HWND in the Windows build, ignored elsewhere) receives `wake_message`
  // posted whenever events start to wait.
  explicit CabBuilder(void* wake_window = nullptr, unsigned wake_message = 0);
  // Cancels a running build and waits for its worker.
  ~CabBuilder();
  CabBuilder(const CabBuilder&) = delete;
  CabBuilder& operator=(const CabBuilder&) = delete;

  void ClearCabFiles();
  void AddFileToCab(const std::string& source_path, const std::string& name_in_cabinet);
  // True when the build has started: false while another build runs, for a negative
  // reserve, or for an empty file list.
  bool MakeCab(const std::string& cabinet_path, std::int32_t certificate_reserve);
  void CancelMakeCab();

  // Hands every queued event to `events`, on the calling thread, in the order queued;
  // returns how many were delivered.
  std::size_t ProcessMakeCabEvents(MakeCabEvents& events);

  // Waits until events are queued or `milliseconds` have passed; true when events wait.
  // A waiting caller thereby sleeps no longer than the build needs.
  bool WaitForEvents(int milliseconds);

  // The text of the last build's error, for a face that shows more than the event says.
  std::string LastMakeCabError() const;

  // For tests and benchmarks: writer options of the next builds.
  void SetWriterOptions(const CabWriterOptions& options) { options_ = options; }
  // The code page names are stored in by the next builds (see cab_format.h).
  void SetNameCodePage(int code_page) { options_.name_code_page = code_page; }

 private:
  enum class Kind { kProgress, kDone, kError, kCancel };
  struct Event {
    Kind kind;
    std::string cabinet;
    std::string current_file;
    std::uint64_t uncompressed = 0;
    std::uint64_t compressed = 0;
  };

  void Build(std::string cabinet_path, std::vector<CabMember> members, CabWriterOptions options);
  void Queue(Event event);
  void JoinFinishedWorker();

  void* wake_window_;
  unsigned wake_message_;
  std::vector<CabMember> members_;
  CabWriterOptions options_;
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> running_{false};
  bool delivering_ = false;  // caller's thread only

  mutable std::mutex mutex_;  // guards everything below
  std::deque<Event> queue_;
  std::string last_error_;
  std::condition_variable queued_;
};

// Posts `message` to `window` (Windows build); nothing elsewhere.
void WakeWindow(void* window, unsigned message);
