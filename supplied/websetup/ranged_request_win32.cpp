#include "ranged_request_win32.h"

#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "decimal_size.h"
#include "download_resume_record_win32.h"

namespace {

DownloadTotals totals;
std::mutex totals_lock;

// A body's first read asks for kFirstReadBytes; later ones for between kSmallestReadBytes
// and kReadBytes, so that a read takes about kReadWaitMs.
constexpr DWORD kReadBytes = 1024 * 1024;
constexpr DWORD kFirstReadBytes = 64 * 1024;
constexpr DWORD kSmallestReadBytes = 16 * 1024;
constexpr ULONGLONG kReadWaitMs = 100;

// Where the body goes and how long it must be; for a file of unknown size, its limit.
struct BodyPlace {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool cut = false;  // the body runs to the end of the file and replaces whatever followed
};

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

// The request on `connection` (opened first when it is none), with its range headers.
bool OpenRequest(Download& download, InternetHandle& connection, ByteRange range, bool bounded,
                 InternetHandle& request, Attempt& failure, std::string& reason) {
  const WinInetApi& api = WinInet();
  if (!connection) {
    connection.reset(api.connect(Session(), Wide(download.url.host).c_str(), download.url.port, nullptr, nullptr,
                                 INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
      reason = NetworkReason(GetLastError());
      failure = Attempt::Retry;
      return false;
    }
  }
  // Never from or into the cache, never a window of WinINet's own (a proxy that asks
  // for the user's sign-in still gets it, as WinINet gives it without asking).
  constexpr DWORD kFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                           INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  request.reset(api.open_request(connection.get(), L"GET", Wide(download.url.path).c_str(), nullptr, nullptr,
                                 nullptr, kFlags | (download.url.secure ? INTERNET_FLAG_SECURE : 0), 0));
  if (!request) {
    reason = NetworkReason(GetLastError());
    failure = Attempt::Failed;
    return false;
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
  return true;
}

// Sends the request and reads the answer's status code.
bool SendRequest(const Download& download, HINTERNET request, DWORD& status, Attempt& failure, std::string& reason) {
  const WinInetApi& api = WinInet();
  {
    std::lock_guard<std::mutex> hold(totals_lock);
    ++totals.requests;
  }
  if (!api.send(request, nullptr, 0, nullptr, 0)) {
    const DWORD code = GetLastError();
    reason = NetworkReason(code);
    failure = IsLastingFailure(code) ? Attempt::Failed : Attempt::Retry;
    return false;
  }
  if (download.url.secure) {
    // Where redirects have led: a secure download stays secure.
    std::vector<wchar_t> where(kMaxUrlLength + 1, L'\0');
    DWORD where_size = static_cast<DWORD>(where.size() * sizeof(wchar_t));
    if (!api.query_option(request, INTERNET_OPTION_URL, where.data(), &where_size) ||
        _wcsnicmp(where.data(), L"https:", 6) != 0) {
      reason = NetworkReason(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR);
      failure = Attempt::Failed;
      return false;
    }
  }
  DWORD size = sizeof status;
  if (!api.query_info(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    reason = NetworkReason(GetLastError());
    failure = Attempt::Retry;
    return false;
  }
  return true;
}

// 206: the range asked for follows, of the version the validator names.
bool TakePartialAnswer(Download& download, HINTERNET request, ByteRange range, bool bounded, BodyPlace& place,
                       std::string& reason) {
  const std::uint64_t file_size = download.request.expected_size;
  std::wstring answer;
  std::uint64_t first = 0, last = 0, total = 0;
  if (!download.size_known || !QueryText(request, HTTP_QUERY_CONTENT_RANGE, answer) ||
      !ParseContentRange(answer, first, last, total) || first != range.first || total != file_size ||
      (bounded ? last >= range.end : last != file_size - 1)) {
    reason = "the server refuses to send the file";
    return false;
  }
  place.length = last + 1 - first;
  place.cut = !bounded;
  std::lock_guard<std::mutex> hold(download.lock);
  if (download.validator.empty()) {
    // The first answer of a fresh start names the version the pieces must all be of.
    download.validator = ResponseValidator(request);
    if (!download.validator.empty()) WriteValidatorRecord(download.request.path, download.validator);
  }
  // Written down before the first byte of a piece, so that a killed run never takes
  // the file's length for what it has.
  if (bounded && !download.missing_saved) download.SaveMissing();
  if (download.parallel && !download.ranges_confirmed) {
    download.ranges_confirmed = true;
    download.changed.notify_all();
  }
  return true;
}

// 200: the whole file follows (the server ignores ranges, or the file changed), from its
// first byte, by this connection alone.
bool TakeWholeAnswer(Download& download, std::size_t slot, HINTERNET request, ByteRange range, BodyPlace& place,
                     std::string& reason) {
  const std::string& path = download.request.path;
  std::lock_guard<std::mutex> hold(download.lock);
  if (download.others_started) {
    reason = "the file changed on the server while it was downloaded";
    return false;
  }
  download.parallel = false;
  download.missing_saved = false;
  DeleteResumeRecord(path);
  download.validator.clear();
  if (download.size_known) {
    download.plan.Reset();
    download.plan.Take(slot, kWholeFile, range);
    download.validator = ResponseValidator(request);
    if (!download.validator.empty()) WriteValidatorRecord(path, download.validator);
  }
  download.unknown_size_done = 0;
  place.offset = 0;
  place.length = download.size_known ? download.request.expected_size : download.request.max_size;
  place.cut = true;
  return true;
}

// Under the lock: `read` more bytes of the body are on disk.
void RecordReceived(Download& download, std::size_t slot, DWORD read) {
  if (download.size_known) {
    download.plan.Advance(slot, read);
  } else {
    download.unknown_size_done += read;
  }
  download.plan_changed = true;
}

// The body, read until it ends and written at its place. A read waits until its size has
// arrived or the body ends. Reads grow while they come back at once and shrink when they
// wait long: a fast line is read in large blocks, and on a slow one the progress moves and
// Cancel is seen within about kReadWaitMs.
Attempt ReceiveBody(Download& download, std::size_t slot, HINTERNET request, const BodyPlace& place, bool& received,
                    std::string& reason) {
  const std::string write_error = "the file " + download.request.path + " cannot be written (is the disk full?)";
  if (place.cut && !CutFileAt(download.file.get(), place.offset)) {
    reason = write_error;
    return Attempt::Failed;
  }
  std::vector<char> buffer(kReadBytes);
  DWORD ask = kFirstReadBytes;
  std::uint64_t written = 0;
  while (true) {
    if (download.stop) return Attempt::Stopped;
    DWORD read = 0;
    const ULONGLONG started = GetTickCount64();
    if (!WinInet().read(request, buffer.data(), ask, &read)) {
      reason = NetworkReason(GetLastError());
      return Attempt::Retry;
    }
    const ULONGLONG took = GetTickCount64() - started;
    if (read == 0) break;
    if (read > place.length - written) {
      reason = download.size_known ? "the server sends more bytes than the file has" : "the file is too large";
      return Attempt::Failed;
    }
    if (!WriteAt(download.file.get(), place.offset + written, buffer.data(), read)) {
      reason = write_error;
      return Attempt::Failed;
    }
    written += read;
    received = true;
    {
      std::lock_guard<std::mutex> hold(download.lock);
      RecordReceived(download, slot, read);
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
  if (download.size_known && written < place.length) {
    reason = "the connection was dropped";
    return Attempt::Retry;
  }
  return Attempt::Complete;
}

}  // namespace

const DownloadTotals& DownloadCounts() { return totals; }

Attempt FetchRange(Download& download, std::size_t slot, InternetHandle& connection, ByteRange range, bool bounded,
                   bool& received, std::string& reason) {
  InternetHandle request;
  DWORD status = 0;
  Attempt failure = Attempt::Failed;
  if (!OpenRequest(download, connection, range, bounded, request, failure, reason) ||
      !SendRequest(download, request.get(), status, failure, reason)) {
    return failure;
  }
  BodyPlace place{range.first, 0, false};
  if (status == 416) {
    // Asked for what follows a complete file: there is nothing more.
    if (download.size_known && range.first == download.request.expected_size) return Attempt::Complete;
    reason = "the server refuses to send the file";
    return Attempt::StartOver;
  }
  if (status == 206) {
    if (!TakePartialAnswer(download, request.get(), range, bounded, place, reason)) return Attempt::StartOver;
  } else if (status == 200) {
    if (!TakeWholeAnswer(download, slot, request.get(), range, place, reason)) return Attempt::StartOver;
  } else {
    std::wstring text;
    QueryText(request.get(), HTTP_QUERY_STATUS_TEXT, text);
    reason = "the server answers " + std::to_string(status) + (text.empty() ? "" : " " + Narrow(text));
    return status >= 500 ? Attempt::Retry : Attempt::Failed;
  }
  return ReceiveBody(download, slot, request.get(), place, received, reason);
}
