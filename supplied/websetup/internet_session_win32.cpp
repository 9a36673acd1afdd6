#include "internet_session_win32.h"

#include <vector>

#include "system_function.h"

// WinINet comes from the system directory when first needed: nothing is looked for
// beside the program, where a downloads folder may hold anything.
const WinInetApi& WinInet() {
  static const WinInetApi api = [] {
    WinInetApi loaded;
    HMODULE module = LoadSystemLibrary("wininet.dll");
    if (!module) return loaded;
    LookUp(module, "InternetOpenW", loaded.open);
    LookUp(module, "InternetConnectW", loaded.connect);
    LookUp(module, "HttpOpenRequestW", loaded.open_request);
    LookUp(module, "HttpAddRequestHeadersW", loaded.add_headers);
    LookUp(module, "HttpSendRequestW", loaded.send);
    LookUp(module, "HttpQueryInfoW", loaded.query_info);
    LookUp(module, "InternetQueryOptionW", loaded.query_option);
    LookUp(module, "InternetSetOptionW", loaded.set_option);
    LookUp(module, "InternetReadFile", loaded.read);
    LookUp(module, "InternetCloseHandle", loaded.close);
    return loaded;
  }();
  return api;
}

namespace {

bool IsSecureChannelFailure(DWORD code) {
  switch (code) {
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
    case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
      return true;
    default:
      return false;
  }
}

// How many connections the process may keep to one server: more than a download of a
// large file opens at once (WinINet's own default may be as few as two).
constexpr DWORD kConnectionsPerServer = 16;

}  // namespace

// One session for the process: WinINet keeps connections to a server alive across
// requests. The system's proxy settings apply, automatic configuration included.
HINTERNET Session() {
  static const HINTERNET session = [] {
    const WinInetApi& api = WinInet();
    if (!api.loaded()) return HINTERNET{};
    HINTERNET opened = api.open(L"VexaStandAloneWebProg/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!opened) return opened;
    DWORD connections = kConnectionsPerServer;
    api.set_option(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections, sizeof connections);
    api.set_option(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections, sizeof connections);
    // Connecting and sending; each wait for data.
    DWORD connect_ms = 30000, send_ms = 30000, receive_ms = 60000;
    api.set_option(opened, INTERNET_OPTION_CONNECT_TIMEOUT, &connect_ms, sizeof connect_ms);
    api.set_option(opened, INTERNET_OPTION_SEND_TIMEOUT, &send_ms, sizeof send_ms);
    api.set_option(opened, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive_ms, sizeof receive_ms);
    return opened;
  }();
  return session;
}

bool QueryText(HINTERNET request, DWORD what, std::wstring& text) {
  std::vector<wchar_t> buffer(512, L'\0');
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (!WinInet().query_info(request, what, buffer.data(), &size, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0 || size > 8192) return false;
    buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinInet().query_info(request, what, buffer.data(), &size, nullptr)) return false;
  }
  text.assign(buffer.data(), size / sizeof(wchar_t));
  return true;
}

std::string NetworkReason(DWORD code) {
  switch (code) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return "the server's name cannot be found (is the computer connected to the Internet?)";
    case ERROR_INTERNET_CANNOT_CONNECT:
      return "the server cannot be reached";
    case ERROR_INTERNET_TIMEOUT:
    case WSAETIMEDOUT:  // as Wine reports a socket's time-out
      return "the server did not answer in time";
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
    case WSAECONNRESET:
    case WSAECONNABORTED:
      return "the connection was dropped";
    case ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR:
      return "the server sends the download from a secure address to one that is not";
    default:
      if (IsSecureChannelFailure(code))
        return "no secure connection to the server can be made (is its certificate trusted?)";
      return "network error " + std::to_string(code);
  }
}

bool IsLastingFailure(DWORD code) {
  return code == ERROR_INTERNET_NAME_NOT_RESOLVED || code == ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR ||
         IsSecureChannelFailure(code);
}
