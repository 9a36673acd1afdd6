// Downloading one file over HTTP or HTTPS through WinHTTP, resuming where an earlier
// attempt (of this run or of a run that was cancelled or killed) stopped.
//
// The bytes go into `path` as they arrive; beside it, `path` + ".validator" keeps the
// server's ETag (or, without a strong ETag, its Last-Modified date) from the response
// that began the file. A later attempt asks only for the rest:
//
//   Range: bytes=<bytes on disk>-      If-Range: <validator>
//
//   206  the rest follows and is appended (its Content-Range must start at our length
//        and give the expected total)
//   200  the server ignores ranges, or the file changed (If-Range failed): start over
//   416  our file is already complete when it has the expected size; otherwise start over
//
// A file without a validator is never resumed. A dropped connection or time-out is
// retried three times with growing pauses, from where it stopped; an attempt that brought
// bytes resets the count. A body larger than expected stops the download.
#pragma once

#include <cstdint>
#include <string>

// What the download reports while it runs, and how it learns about Cancel.
class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;
  virtual void Progress(std::uint64_t done, std::uint64_t total) = 0;
  virtual bool CancelRequested() = 0;
};

enum class DownloadResult { Complete, Cancelled, Failed };

struct DownloadRequest {
  std::string url;
  std::string path;
  // The size the signature gives; 0 when unknown (the file is then fetched whole, never
  // resumed, and may be at most `max_size`).
  std::uint64_t expected_size = 0;
  std::uint64_t max_size = 0;
};

// Counts of what the transfers of this process did, for the log.
struct DownloadTotals {
  std::uint64_t requests = 0;
  std::uint64_t bytes_received = 0;
};

DownloadResult DownloadFile(const DownloadRequest& request, DownloadObserver& observer, std::string& error);

const DownloadTotals& DownloadCounts();

// Deletes a partial download and its validator.
void DeletePartialDownload(const std::string& path);

// Pauses between retries, in milliseconds (tests shorten them).
void SetRetryPause(unsigned milliseconds);
