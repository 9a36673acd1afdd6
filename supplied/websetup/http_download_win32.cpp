#include "http_download.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "decimal_size.h"
#include "download_plan.h"
#include "internet_session_win32.h"
#include "small_file.h"
#include "web_url.h"
#include "win32_handles.h"

namespace {

DownloadTotals totals;
std::mutex totals_lock;
// The first pause before a retry; each further one is twice as long.
constexpr unsigned kRetryPauseMs = 1000;

std::string ValidatorPath(const std::string& path) { return path + ".validator"; }
std::string MissingPath(const std::string& path) { return path + ".missing"; }

// A validator goes into a request header: printable ASCII of a sensible length, or none.
bool IsUsableValidator(const std::string& text) {
  if (text.empty() || text.size() > 256) return false;
  for (char c : text) {
    if (c < ' ' || c > '~') return false;
  }
  return true;
}

// The whole of a small file of ours; empty when it is missing or larger than `max_bytes`.
std::string ReadWholeSmallFile(const std::string& path, std::size_t max_bytes) {
  std::string text;
  if (!ReadSmallFile(path, max_bytes, text)) text.clear();
  return text;
}

std::string ReadValidator(const std::string& path) {
  std::string text = ReadWholeSmallFile(path, 512);
  return IsUsableValidator(text) ? text : std::string();
}

// Replaces `path` as a whole: a run killed meanwhile leaves the old text or the new one.
bool ReplaceSmallFile(const std::string& path, const std::string& text) {
  const std::string fresh = path + ".new";
  return WriteSmallFile(fresh, text) && MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::uint64_t FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// "bytes <first>-<last>/<total>"
bool ParseContentRange(const std::wstring& text, std::uint64_t& first, std::uint64_t& last, std::uint64_t& total) {
  constexpr std::string_view kUnit = "bytes ";
  const std::string line = Narrow(text);
  std::string_view rest = line;
  if (!rest.starts_with(kUnit)) return false;
  rest.remove_prefix(kUnit.size());
  const std::size_t dash = rest.find('-');
  const std::size_t slash = rest.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return false;
  std::uint64_t a = 0, b = 0, t = 0;
  if (!ParseDecimalSize(rest.substr(0, dash), a) || !ParseDecimalSize(rest.substr(dash + 1, slash - dash - 1), b) ||
      !ParseDecimalSize(rest.substr(slash + 1), t) || b < a || t <= b)
    return false;
  first = a;
  last = b;
  total = t;
  return true;
}

// How a download is shared out. A file of known size from kParallelMinimumBytes up is
// fetched a piece at a time by up to kConnections connections, once the server has
// answered the first range request with the range asked for; smaller files, and every
// file of a server that ignores ranges, by one connection from start to end. Pieces
// shrink towards the end, so that the connections finish close together.
constexpr std::uint64_t kParallelMinimumBytes = 8u << 20;
constexpr std::uint64_t kPieceBytes = 4u << 20;
constexpr std::uint64_t kSmallestPieceBytes = 256u << 10;
constexpr std::size_t kConnections = 4;
// A body's first read asks for kFirstReadBytes; later ones for between kSmallestReadBytes
// and kReadBytes, so that a read takes about kReadWaitMs.
constexpr DWORD kReadBytes = 1024 * 1024;
constexpr DWORD kFirstReadBytes = 64 * 1024;
constexpr DWORD kSmallestReadBytes = 16 * 1024;
constexpr ULONGLONG kReadWaitMs = 100;
// How long Cancel waits for the connections to stop before it leaves them behind.
constexpr ULONGLONG kCancelGraceMs = 500;
// Each connection gets at least this much of a file.
constexpr std::uint64_t kBytesPerConnection = 1u << 20;
constexpr std::uint64_t kWholeFile = ~std::uint64_t{0};
constexpr int kRetries = 3;
// Failed attempts (drops, time-outs, server errors) one file may have in one run, whatever
// they brought: a server that ignores ranges and drops every answer early would otherwise
// keep a silent run fetching the same first bytes for ever.
constexpr int kMaxFailedAttempts = 10;
// How often the missing ranges of a partial file are written down while it grows.
constexpr ULONGLONG kSaveIntervalMs = 500;
constexpr std::size_t kMaxMissingFileBytes = 64 + kMaxMissingRanges * 48;

enum class Attempt { Complete, Stopped, Retry, StartOver, Failed };

// One file's download, shared by its connections and the thread that waits for them. A
// connection stuck in a wait for a silent server when Cancel comes is left to end on its
// own (at the receive time-out), so the download outlives the call that began it.
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
  // Under the lock.
  void SaveMissing() {
    if (!size_known || validator.empty()) return;
    if (ReplaceSmallFile(MissingPath(request.path), plan.Text())) missing_saved = true;
    plan_changed = false;
  }
};

bool WriteAt(HANDLE file, std::uint64_t offset, const char* data, DWORD size) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(offset);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD written = 0;
  return WriteFile(file, data, size, &written, &where) && written == size;
}

bool CutFileAt(HANDLE file, std::uint64_t length) {
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(length);
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// What identifies this version of the file: a strong ETag, else the Last-Modified date.
std::string ResponseValidator(HINTERNET request) {
  std::wstring etag, modified;
  std::string found;
  if (QueryText(request, HTTP_QUERY_ETAG, etag) && etag.rfind(L"W/", 0) != 0) {
    found = Narrow(etag);
  } else if (QueryText(request, HTTP_QUERY_LAST_MODIFIED, modified)) {
    found = Narrow(modified);
  }
  return IsUsableValidator(found) ? found : std::string();
}

// One request for `range` — up to its end when `bounded`, else to the end of the file —
// and its body, written where it belongs in the file.
Attempt Fetch(Download& download, std::size_t slot, InternetHandle& connection, ByteRange range, bool bounded,
              bool& received, std::string& reason) {
  const WinInetApi& api = WinInet();
  const DownloadRequest& wanted = download.request;
  const std::string& path = wanted.path;
  if (!connection) {
    connection.reset(api.connect(Session(), Wide(download.url.host).c_str(), download.url.port, nullptr, nullptr,
                                 INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
      reason = NetworkReason(GetLastError());
      return Attempt::Retry;
    }
  }
  // Never from or into the cache, never a window of WinINet's own (a proxy that asks
  // for the user's sign-in still gets it, as WinINet gives it without asking).
  constexpr DWORD kFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                           INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  InternetHandle request(api.open_request(connection.get(), L"GET", Wide(download.url.path).c_str(), nullptr,
                                          nullptr, nullptr, kFlags | (download.url.secure ? INTERNET_FLAG_SECURE : 0),
                                          0));
  if (!request) {
    reason = NetworkReason(GetLastError());
    return Attempt::Failed;
  }
  std::string validator;
  {
    std::lock_guard<std::mutex> hold(download.lock);
    validator = download.validator;
  }
  if (range.first > 0 || bounded) {
    const std::string span = std::to_string(range.first) + "-" + (bounded ? std::to_string(range.end - 1) : "");
    std::wstring headers = L"Range: bytes=" + Wide(span) + L"\r\n";
    if (!validator.empty()) headers += L"If-Range: " + Wide(validator) + L"\r\n";
    api.add_headers(request.get(), headers.c_str(), static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD);
  }
  {
    std::lock_guard<std::mutex> hold(totals_lock);
    ++totals.requests;
  }
  if (!api.send(request.get(), nullptr, 0, nullptr, 0)) {
    const DWORD code = GetLastError();
    reason = NetworkReason(code);
    return IsLastingFailure(code) ? Attempt::Failed : Attempt::Retry;
  }
  if (download.url.secure) {
    // Where redirects have led: a secure download stays secure.
    std::vector<wchar_t> where(kMaxUrlLength + 1, L'\0');
    DWORD where_size = static_cast<DWORD>(where.size() * sizeof(wchar_t));
    if (!api.query_option(request.get(), INTERNET_OPTION_URL, where.data(), &where_size) ||
        _wcsnicmp(where.data(), L"https:", 6) != 0) {
      reason = NetworkReason(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR);
      return Attempt::Failed;
    }
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!api.query_info(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    reason = NetworkReason(GetLastError());
    return Attempt::Retry;
  }
  const std::uint64_t file_size = wanted.expected_size;
  // Where the body goes and how long it must be; for a file of unknown size, its limit.
  std::uint64_t offset = range.first;
  std::uint64_t length = 0;
  bool cut = false;
  if (status == 416) {
    // Asked for what follows a complete file: there is nothing more.
    if (download.size_known && range.first == file_size) return Attempt::Complete;
    reason = "the server refuses to send the file";
    return Attempt::StartOver;
  }
  if (status == 206) {
    std::wstring answer;
    std::uint64_t first = 0, last = 0, total = 0;
    if (!download.size_known || !QueryText(request.get(), HTTP_QUERY_CONTENT_RANGE, answer) ||
        !ParseContentRange(answer, first, last, total) || first != range.first || total != file_size ||
        (bounded ? last >= range.end : last != file_size - 1)) {
      reason = "the server refuses to send the file";
      return Attempt::StartOver;
    }
    length = last + 1 - first;
    cut = !bounded;
    std::lock_guard<std::mutex> hold(download.lock);
    if (download.validator.empty()) {
      // The first answer of a fresh start names the version the pieces must all be of.
      download.validator = ResponseValidator(request.get());
      if (!download.validator.empty()) WriteSmallFile(ValidatorPath(path), download.validator);
    }
    // Written down before the first byte of a piece, so that a killed run never takes
    // the file's length for what it has.
    if (bounded && !download.missing_saved) download.SaveMissing();
    if (download.parallel && !download.ranges_confirmed) {
      download.ranges_confirmed = true;
      download.changed.notify_all();
    }
  } else if (status == 200) {
    std::lock_guard<std::mutex> hold(download.lock);
    if (download.others_started) {
      reason = "the file changed on the server while it was downloaded";
      return Attempt::StartOver;
    }
    // The whole file follows (the server ignores ranges, or the file changed): from its
    // first byte, by this connection alone.
    download.parallel = false;
    download.missing_saved = false;
    DeleteFileA(MissingPath(path).c_str());
    DeleteFileA(ValidatorPath(path).c_str());
    download.validator.clear();
    if (download.size_known) {
      download.plan.Reset();
      download.plan.Take(slot, kWholeFile, range);
      download.validator = ResponseValidator(request.get());
      if (!download.validator.empty()) WriteSmallFile(ValidatorPath(path), download.validator);
    }
    download.unknown_size_done = 0;
    offset = 0;
    length = download.size_known ? file_size : wanted.max_size;
    cut = true;
  } else {
    std::wstring text;
    QueryText(request.get(), HTTP_QUERY_STATUS_TEXT, text);
    reason = "the server answers " + std::to_string(status) + (text.empty() ? "" : " " + Narrow(text));
    return status >= 500 ? Attempt::Retry : Attempt::Failed;
  }

  const std::string write_error = "the file " + path + " cannot be written (is the disk full?)";
  // A body that runs from here to the end of the file replaces whatever followed.
  if (cut && !CutFileAt(download.file.get(), offset)) {
    reason = write_error;
    return Attempt::Failed;
  }
  // A read waits until its size has arrived or the body ends. Reads grow while they come
  // back at once and shrink when they wait long: a fast line is read in large blocks, and
  // on a slow one the progress moves and Cancel is seen within about kReadWaitMs.
  std::vector<char> buffer(kReadBytes);
  DWORD ask = kFirstReadBytes;
  std::uint64_t written = 0;
  while (true) {
    if (download.stop) return Attempt::Stopped;
    DWORD read = 0;
    const ULONGLONG started = GetTickCount64();
    if (!api.read(request.get(), buffer.data(), ask, &read)) {
      reason = NetworkReason(GetLastError());
      return Attempt::Retry;
    }
    const ULONGLONG took = GetTickCount64() - started;
    if (read == 0) break;
    if (read > length - written) {
      reason = download.size_known ? "the server sends more bytes than the file has" : "the file is too large";
      return Attempt::Failed;
    }
    if (!WriteAt(download.file.get(), offset + written, buffer.data(), read)) {
      reason = write_error;
      return Attempt::Failed;
    }
    written += read;
    received = true;
    {
      std::lock_guard<std::mutex> hold(download.lock);
      if (download.size_known) {
        download.plan.Advance(slot, read);
      } else {
        download.unknown_size_done += read;
      }
      download.plan_changed = true;
    }
    {
      std::lock_guard<std::mutex> hold(totals_lock);
      totals.bytes_received += read;
    }
    if (took < kReadWaitMs / 4 && ask < kReadBytes) {
      ask *= 2;
    } else if (took > kReadWaitMs && ask > kSmallestReadBytes) {
      ask /= 2;
    }
  }
  if (download.size_known && written < length) {
    reason = "the connection was dropped";
    return Attempt::Retry;
  }
  return Attempt::Complete;
}

// Under the lock: the size of the next piece to hand out.
std::uint64_t NextPieceBytes(const Download& download) {
  if (!download.parallel) return kWholeFile;
  const std::uint64_t share = download.plan.UnheldBytes() / (2 * kConnections);
  return std::clamp(share, kSmallestPieceBytes, kPieceBytes);
}

// One connection: takes a piece after the other until nothing is left to fetch, retrying
// a dropped connection from where it stopped.
void RunConnection(std::shared_ptr<Download> shared, std::size_t slot) {
  Download& download = *shared;
  InternetHandle connection;
  int retries = 0;
  bool first_request = true;
  while (!download.stop) {
    ByteRange range;
    bool bounded = false;
    {
      std::lock_guard<std::mutex> hold(download.lock);
      if (download.size_known) {
        if (!download.plan.Take(slot, NextPieceBytes(download), range)) {
          if (!first_request || slot != 0) break;
          // The file is complete already: ask for what follows it, to hear that there is
          // nothing more.
          range = {download.plan.size(), download.plan.size()};
        }
        // Open-ended only where the file on disk is everything before the range.
        bounded = !range.empty() && (download.parallel || download.missing_saved);
      }
    }
    first_request = false;
    bool received = false;
    std::string reason;
    const Attempt attempt = Fetch(download, slot, connection, range, bounded, received, reason);
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
    {
      std::lock_guard<std::mutex> hold(download.lock);
      if (++download.failed_attempts >= kMaxFailedAttempts) {
        download.End(Attempt::Failed, reason + "; " + std::to_string(kMaxFailedAttempts) + " attempts failed");
        break;
      }
      if (!received && download.active > 1) {
        // The others carry on with what this one leaves (the server may take only so many
        // connections at a time).
        --download.active;
        download.changed.notify_all();
        return;
      }
      if (!download.size_known) download.unknown_size_done = 0;
    }
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

// What of the file an earlier attempt left: its validator and what is still missing. A
// partial file without a validator, or whose missing ranges cannot be read, starts over.
void LoadResumeState(Download& download) {
  const std::string& path = download.request.path;
  if (!download.size_known) {
    DeletePartialDownload(path);
    return;
  }
  download.validator = ReadValidator(ValidatorPath(path));
  bool usable = !download.validator.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (usable) {
    if (GetFileAttributesA(MissingPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
      usable = download.plan.Load(ReadWholeSmallFile(MissingPath(path), kMaxMissingFileBytes));
      download.missing_saved = usable;
    } else {
      const std::uint64_t length = FileLength(path);
      usable = length <= download.plan.size();
      if (usable) download.plan.MarkPrefixPresent(length);
    }
  }
  if (!usable) {
    download.validator.clear();
    download.missing_saved = false;
    download.plan.Reset();
    DeletePartialDownload(path);
  }
}

// One attempt at the whole file: the first connection alone until the server shows that
// it answers ranges, then the others beside it.
Attempt RunDownload(const DownloadRequest& wanted, const WebUrl& url, DownloadObserver& observer,
                    std::string& reason, int& failed_attempts) {
  const auto shared = std::make_shared<Download>(wanted, url);
  Download& download = *shared;
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
  connections.emplace_back(RunConnection, shared, 0);
  ULONGLONG saved_at = GetTickCount64();
  bool cancelled = false;
  ULONGLONG cancelled_at = 0;
  while (true) {
    if (download.ranges_confirmed && download.parallel && !download.others_started && !download.stop) {
      download.others_started = true;
      const std::uint64_t shares = download.plan.MissingBytes() / kBytesPerConnection;
      for (std::size_t slot = 1; slot < kConnections && slot < shares; ++slot) {
        ++download.active;
        connections.emplace_back(RunConnection, shared, slot);
      }
    }
    if (download.missing_saved && download.plan_changed && GetTickCount64() - saved_at >= kSaveIntervalMs) {
      download.SaveMissing();
      saved_at = GetTickCount64();
    }
    const std::uint64_t done = download.size_known ? download.plan.size() - download.plan.MissingBytes()
                                                   : download.unknown_size_done;
    const bool running = download.active > 0;
    hold.unlock();
    observer.Progress(done, wanted.expected_size);
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
  const bool all_ended = download.active == 0;
  failed_attempts = download.failed_attempts;
  hold.unlock();
  for (std::thread& connection : connections) all_ended ? connection.join() : connection.detach();
  if (all_ended) download.file.reset();
  hold.lock();
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
  DeleteFileA(MissingPath(wanted.path).c_str());
  return cancelled && !download.size_known ? Attempt::Stopped : Attempt::Complete;
}

}  // namespace

void DeletePartialDownload(const std::string& path) {
  DeleteFileA(path.c_str());
  DeleteFileA(ValidatorPath(path).c_str());
  DeleteFileA(MissingPath(path).c_str());
}

const DownloadTotals& DownloadCounts() { return totals; }

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
