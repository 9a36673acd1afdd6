#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <vector>

#include "http_download.h"
#include "web_url.h"

namespace {

// WinHTTP comes from the system directory when first needed: nothing is looked for
// beside the program, where a downloads folder may hold anything.
struct WinHttpApi {
  HINTERNET(WINAPI* open)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) = nullptr;
  HINTERNET(WINAPI* connect)(HINTERNET, LPCWSTR, INTERNET_PORT, DWORD) = nullptr;
  HINTERNET(WINAPI* open_request)(HINTERNET, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*, DWORD) = nullptr;
  BOOL(WINAPI* add_headers)(HINTERNET, LPCWSTR, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* send)(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD, DWORD, DWORD_PTR) = nullptr;
  BOOL(WINAPI* receive)(HINTERNET, LPVOID) = nullptr;
  BOOL(WINAPI* query_headers)(HINTERNET, DWORD, LPCWSTR, LPVOID, LPDWORD, LPDWORD) = nullptr;
  BOOL(WINAPI* read)(HINTERNET, LPVOID, DWORD, LPDWORD) = nullptr;
  BOOL(WINAPI* close)(HINTERNET) = nullptr;
  BOOL(WINAPI* set_timeouts)(HINTERNET, int, int, int, int) = nullptr;
  bool loaded() const {
    return open && connect && open_request && add_headers && send && receive && query_headers && read && close &&
           set_timeouts;
  }
};

template <typename Function>
void LookUp(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const WinHttpApi& WinHttp() {
  static const WinHttpApi api = [] {
    WinHttpApi loaded;
    HMODULE module = LoadLibraryExA("winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return loaded;
    LookUp(module, "WinHttpOpen", loaded.open);
    LookUp(module, "WinHttpConnect", loaded.connect);
    LookUp(module, "WinHttpOpenRequest", loaded.open_request);
    LookUp(module, "WinHttpAddRequestHeaders", loaded.add_headers);
    LookUp(module, "WinHttpSendRequest", loaded.send);
    LookUp(module, "WinHttpReceiveResponse", loaded.receive);
    LookUp(module, "WinHttpQueryHeaders", loaded.query_headers);
    LookUp(module, "WinHttpReadData", loaded.read);
    LookUp(module, "WinHttpCloseHandle", loaded.close);
    LookUp(module, "WinHttpSetTimeouts", loaded.set_timeouts);
    return loaded;
  }();
  return api;
}

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() {
    if (handle_) WinHttp().close(handle_);
  }
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

// One session for the process: WinHTTP keeps connections to a server alive across
// requests. System proxy settings apply (the automatic ones where Windows has them).
HINTERNET Session() {
  static const HINTERNET session = [] {
    const WinHttpApi& api = WinHttp();
    if (!api.loaded()) return HINTERNET{};
    constexpr DWORD kAutomaticProxy = 4;  // WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, Windows 8.1 and later
    HINTERNET opened = api.open(L"VexaStandAloneWebProg/1.0", kAutomaticProxy, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0);
    if (!opened)
      opened = api.open(L"VexaStandAloneWebProg/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                        WINHTTP_NO_PROXY_BYPASS, 0);
    // Name resolution, connection, sending and each wait for data.
    if (opened) api.set_timeouts(opened, 30000, 30000, 30000, 60000);
    return opened;
  }();
  return session;
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
  return wide;  // URLs are plain ASCII by the time they get here
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return narrow;
}

DownloadTotals totals;
unsigned retry_pause_ms = 1000;

std::string ValidatorPath(const std::string& path) { return path + ".validator"; }

std::string ReadSmallFile(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return text;
  char buffer[512];
  text.assign(buffer, std::fread(buffer, 1, sizeof buffer, file));
  std::fclose(file);
  return text;
}

bool WriteSmallFile(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

std::uint64_t FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool QueryText(HINTERNET request, DWORD what, std::wstring& text) {
  DWORD size = 0;
  WinHttp().query_headers(request, what, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                          WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0 || size > 8192) return false;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttp().query_headers(request, what, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &size,
                               WINHTTP_NO_HEADER_INDEX))
    return false;
  text.assign(buffer.data(), size / sizeof(wchar_t));
  return true;
}

// "bytes <first>-<last>/<total>"
bool ParseContentRange(const std::wstring& text, std::uint64_t& first, std::uint64_t& total) {
  unsigned long long a = 0, b = 0, t = 0;
  if (std::swscanf(text.c_str(), L"bytes %llu-%llu/%llu", &a, &b, &t) != 3 || b < a || t <= b) return false;
  first = a;
  total = t;
  return true;
}

std::string NetworkReason(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return "the server's name cannot be found (is the computer connected to the Internet?)";
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return "the server cannot be reached";
    case ERROR_WINHTTP_TIMEOUT:
      return "the server did not answer in time";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return "the connection was dropped";
    case ERROR_WINHTTP_SECURE_FAILURE:
      return "the server's certificate is not trusted";
    default:
      return "network error " + std::to_string(code);
  }
}

enum class Attempt { Complete, Cancelled, Retry, StartOver, Failed };

struct Transfer {
  const DownloadRequest& request;
  DownloadObserver& observer;
  std::string& error;
  bool received_bytes = false;
};

// Writes the response body at `offset` of the file. Retry when the connection broke.
Attempt ReceiveBody(Transfer& transfer, HINTERNET request, HANDLE file, std::uint64_t offset, std::uint64_t total) {
  const WinHttpApi& api = WinHttp();
  const std::uint64_t limit = total ? total : transfer.request.max_size;
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) {
    transfer.error = "the file " + transfer.request.path + " cannot be written";
    return Attempt::Failed;
  }
  std::vector<char> buffer(1 << 20);
  std::uint64_t done = offset;
  transfer.observer.Progress(done, total);
  while (true) {
    if (transfer.observer.CancelRequested()) return Attempt::Cancelled;
    DWORD read = 0;
    if (!api.read(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
      transfer.error = NetworkReason(GetLastError());
      return Attempt::Retry;
    }
    if (read == 0) break;
    if (read > limit - done) {
      transfer.error = total ? "the server sends more bytes than the file has" : "the file is too large";
      return Attempt::Failed;
    }
    DWORD written = 0;
    if (!WriteFile(file, buffer.data(), read, &written, nullptr) || written != read) {
      transfer.error = "the file " + transfer.request.path + " cannot be written (is the disk full?)";
      return Attempt::Failed;
    }
    done += read;
    totals.bytes_received += read;
    transfer.received_bytes = true;
    transfer.observer.Progress(done, total);
  }
  if (total && done < total) {
    transfer.error = "the connection was dropped";
    return Attempt::Retry;
  }
  return Attempt::Complete;
}

Attempt TryOnce(Transfer& transfer) {
  const WinHttpApi& api = WinHttp();
  const DownloadRequest& wanted = transfer.request;
  WebUrl url;
  if (!ParseWebUrl(wanted.url, url)) {
    transfer.error = "it is no http: or https: address";
    return Attempt::Failed;
  }
  const std::uint64_t expected = wanted.expected_size;
  const std::string validator = ReadSmallFile(ValidatorPath(wanted.path));
  std::uint64_t have = expected ? FileLength(wanted.path) : 0;
  if (have > expected || validator.empty()) have = 0;

  InternetHandle connection(api.connect(Session(), Wide(url.host).c_str(), url.port, 0));
  if (!connection) {
    transfer.error = NetworkReason(GetLastError());
    return Attempt::Retry;
  }
  InternetHandle request(api.open_request(connection.get(), L"GET", Wide(url.path).c_str(), nullptr,
                                          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                          url.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request) {
    transfer.error = NetworkReason(GetLastError());
    return Attempt::Failed;
  }
  if (have > 0) {
    const std::wstring headers =
        L"Range: bytes=" + std::to_wstring(have) + L"-\r\nIf-Range: " + Wide(validator) + L"\r\n";
    api.add_headers(request.get(), headers.c_str(), static_cast<DWORD>(-1), WINHTTP_ADDREQ_FLAG_ADD);
  }
  ++totals.requests;
  if (!api.send(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !api.receive(request.get(), nullptr)) {
    transfer.error = NetworkReason(GetLastError());
    return Attempt::Retry;
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!api.query_headers(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                         WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    transfer.error = NetworkReason(GetLastError());
    return Attempt::Retry;
  }
  if (status == 416) {
    if (have > 0 && have == expected) return Attempt::Complete;
    DeletePartialDownload(wanted.path);
    return Attempt::StartOver;
  }
  std::uint64_t offset = 0;
  if (status == 206) {
    std::wstring range;
    std::uint64_t first = 0, total = 0;
    if (have == 0 || !QueryText(request.get(), WINHTTP_QUERY_CONTENT_RANGE, range) ||
        !ParseContentRange(range, first, total) || first != have || total != expected) {
      DeletePartialDownload(wanted.path);
      return Attempt::StartOver;
    }
    offset = have;
  } else if (status == 200) {
    // A fresh start: remember what identifies this version of the file.
    std::wstring etag, modified;
    std::string fresh;
    if (QueryText(request.get(), WINHTTP_QUERY_ETAG, etag) && etag.rfind(L"W/", 0) != 0) {
      fresh = Narrow(etag);
    } else if (QueryText(request.get(), WINHTTP_QUERY_LAST_MODIFIED, modified)) {
      fresh = Narrow(modified);
    }
    DeleteFileA(ValidatorPath(wanted.path).c_str());
    if (expected && !fresh.empty()) WriteSmallFile(ValidatorPath(wanted.path), fresh);
  } else {
    std::wstring reason;
    QueryText(request.get(), WINHTTP_QUERY_STATUS_TEXT, reason);
    transfer.error = "the server answers " + std::to_string(status) + (reason.empty() ? "" : " " + Narrow(reason));
    return status >= 500 ? Attempt::Retry : Attempt::Failed;
  }
  HANDLE file = CreateFileA(wanted.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    transfer.error = "the file " + wanted.path + " cannot be written";
    return Attempt::Failed;
  }
  const Attempt result = ReceiveBody(transfer, request.get(), file, offset, expected);
  CloseHandle(file);
  return result;
}

}  // namespace

void DeletePartialDownload(const std::string& path) {
  DeleteFileA(path.c_str());
  DeleteFileA(ValidatorPath(path).c_str());
}

const DownloadTotals& DownloadCounts() { return totals; }

void SetRetryPause(unsigned milliseconds) { retry_pause_ms = milliseconds; }

DownloadResult DownloadFile(const DownloadRequest& request, DownloadObserver& observer, std::string& error) {
  error.clear();
  if (!WinHttp().loaded() || !Session()) {
    error = "Error. Cannot download " + request.url + ": WinHTTP is not available.";
    return DownloadResult::Failed;
  }
  if (!request.expected_size) DeletePartialDownload(request.path);
  constexpr int kRetries = 3;
  int retries = 0;
  int starts_over = 0;
  std::string reason;
  while (true) {
    Transfer transfer{request, observer, reason};
    const Attempt attempt = TryOnce(transfer);
    switch (attempt) {
      case Attempt::Complete:
        return DownloadResult::Complete;
      case Attempt::Cancelled:
        return DownloadResult::Cancelled;
      case Attempt::StartOver:
        // A server that keeps refusing the range it was asked for gets one fresh start.
        if (++starts_over > 2) {
          reason = "the server refuses to send the file";
          break;
        }
        continue;
      case Attempt::Retry:
        if (transfer.received_bytes) retries = 0;
        if (retries++ < kRetries) {
          for (unsigned waited = 0; waited < retry_pause_ms << (retries - 1); waited += 50) {
            if (observer.CancelRequested()) return DownloadResult::Cancelled;
            Sleep(50);
          }
          continue;
        }
        break;
      case Attempt::Failed:
        break;
    }
    error = "Error. Cannot download " + request.url + ": " + reason + ".";
    return DownloadResult::Failed;
  }
}
