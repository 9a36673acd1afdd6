// Downloading one file over HTTP or HTTPS through WinINet, resuming where an earlier
// attempt (of this run or of a run that was cancelled or killed) stopped. WinINet takes
// the system's proxy settings (automatic configuration included) and checks certificates
// against the system's store; it reads a body straight into the caller's buffer, in
// blocks as large as asked for.
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
// A file of known size of 8 MiB or more is fetched by up to four connections at once,
// a piece at a time (Range: bytes=<first>-<last>, with If-Range once the version is
// known). The first request asks for a piece alone; only when the server answers it with
// that piece do the others begin, so a server that ignores ranges sends the file once,
// whole, to one connection. While pieces are written, `path` + ".missing" records what is
// still missing (DownloadPlan's text), written before the first byte of a piece and then
// twice a second, so a killed run leaves a file whose record never claims a byte that is
// not on disk. A connection that cannot get an answer while others work leaves the rest
// to them (a server may take only so many connections at a time).
//
// A file without a validator is never resumed. A dropped connection or time-out is
// retried three times with growing pauses, from where it stopped; an attempt that brought
// bytes resets that count (and the pause). Whatever they brought, a file gets at most ten
// failed attempts in one run, fresh starts included: a server that ignores ranges and drops
// every answer early would otherwise keep a silent run going for ever. A body larger than expected stops the download. Cancel is seen
// within one wait for the network; a connection still waiting for a silent server half a
// second later is left to end at its time-out, and what it holds counts as missing.
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
