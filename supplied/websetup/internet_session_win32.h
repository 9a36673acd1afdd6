// The WinINet functions this program uses, loaded from the system directory; the
// handles they give; the process's one session; and what their error codes mean to the
// user.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "text.h"  // Wide and Narrow, for WinInet's UTF-16 texts

struct WinInetApi {
  HINTERNET(WINAPI* open)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) = nullptr;
  HINTERNET(WINAPI* connect)(HINTERNET, LPCWSTR, INTERNET_PORT, LPCWSTR, LPCWSTR, DWORD, DWORD, DWORD_PTR) = nullptr;
  HINTERNET(WINAPI* open_request)(HINTERNET, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*, DWORD, DWORD_PTR) = nullptr;
  BOOL(WINAPI* add_headers)(HINTERNET, LPCWSTR, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* send)(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD) = nullptr;
  BOOL(WINAPI* query_info)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD) = nullptr;
  BOOL(WINAPI* query_option)(HINTERNET, DWORD, LPVOID, LPDWORD) = nullptr;
  BOOL(WINAPI* set_option)(HINTERNET, DWORD, LPVOID, DWORD) = nullptr;
  BOOL(WINAPI* read)(HINTERNET, LPVOID, DWORD, LPDWORD) = nullptr;
  BOOL(WINAPI* close)(HINTERNET) = nullptr;
  bool loaded() const {
    return open && connect && open_request && add_headers && send && query_info && query_option && set_option &&
           read && close;
  }
};

// The functions, loaded on first use; loaded() is false where WinINet is missing.
const WinInetApi& WinInet();

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() { reset(); }
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(HINTERNET handle = nullptr) {
    if (handle_) WinInet().close(handle_);
    handle_ = handle;
  }

 private:
  HINTERNET handle_;
};

// The process's session (null when it cannot be opened): the system's proxy settings,
// time-outs, room for a download's connections to one server.
HINTERNET Session();

// A response header's text; false when the response has none (or an absurdly long one).
bool QueryText(HINTERNET request, DWORD what, std::wstring& text);

// For "Error. Cannot download <URL>: <reason>."
std::string NetworkReason(DWORD code);
// Failures that the same request a second later would meet again: a name that is not
// found, a secure download redirected to plain HTTP, and every TLS failure.
bool IsLastingFailure(DWORD code);
