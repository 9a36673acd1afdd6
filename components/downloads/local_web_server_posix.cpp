// The loopback file server (see local_web_server.h): one thread per connection, each
// request read whole (at most 64 KiB of headers), files sent with sendfile.
#include "local_web_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<WebServerMount> mounts;
std::string log_path;
std::string faults_path;
std::mutex log_mutex;
std::mutex faults_mutex;

struct Faults {
  bool ignore_ranges = false;
  long long drop_at = -1;
  std::string drop_key;
  int status = 0;
  long long rate = 0;
  long long stall_at = -1;
};

Faults FaultsFor(const std::string& path) {
  Faults faults;
  if (faults_path.empty()) return faults;
  std::ifstream file(faults_path);
  std::string line;
  std::lock_guard<std::mutex> lock(faults_mutex);
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string word, target;
    words >> word;
    if (word == "ignore-ranges") {
      faults.ignore_ranges = true;
      continue;
    }
    words >> target;
    if (target != path) continue;
    long long value = 0;
    words >> value;
    if (word == "drop" && faults.drop_at < 0) {
      faults.drop_at = value;
      faults.drop_key = line;
    } else if (word == "drop-always" && faults.drop_at < 0) {
      faults.drop_at = value;
    } else if (word == "status") {
      faults.status = static_cast<int>(value);
    } else if (word == "rate") {
      faults.rate = value;
    } else if (word == "stall") {
      faults.stall_at = value;
    }
  }
  return faults;
}

void MarkDropUsed(const std::string& used) {
  std::lock_guard<std::mutex> lock(faults_mutex);
  std::ifstream in(faults_path);
  std::string text, line;
  bool marked = false;
  while (std::getline(in, line)) {
    if (!marked && line == used) {
      line = "dropped" + line.substr(4);
      marked = true;
    }
    text += line + "\n";
  }
  in.close();
  std::ofstream(faults_path, std::ios::trunc) << text;
}

void Log(const std::string& line) {
  if (log_path.empty()) return;
  std::lock_guard<std::mutex> lock(log_mutex);
  std::FILE* file = std::fopen(log_path.c_str(), "a");
  if (!file) return;
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}

bool SendAll(int socket, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string HttpDate(std::time_t when) {
  char text[64];
  std::tm parts{};
  gmtime_r(&when, &parts);
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
  return text;
}

std::string Header(const std::string& headers, const std::string& name) {
  std::istringstream lines(headers);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon != name.size()) continue;
    if (strncasecmp(line.c_str(), name.c_str(), name.size()) != 0) continue;
    std::size_t start = colon + 1;
    while (start < line.size() && line[start] == ' ') ++start;
    return line.substr(start);
  }
  return {};
}

// A silent server: waits until the client closes the connection, at most two minutes.
void WaitUntilTheClientGoes(int socket) {
  const auto given_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  char byte;
  while (std::chrono::steady_clock::now() < given_up) {
    pollfd watched{socket, POLLIN, 0};
    if (poll(&watched, 1, 200) != 0 && recv(socket, &byte, 1, MSG_DONTWAIT) <= 0) return;
  }
}

// Sends [offset, end) of the file; false when the connection is to be closed.
bool SendBody(int socket, int fd, long long offset, long long end, const Faults& faults, long long& sent) {
  const auto started = std::chrono::steady_clock::now();
  while (offset < end) {
    long long chunk = std::min<long long>(end - offset, 1 << 20);
    if (faults.stall_at >= offset && faults.stall_at < end) {
      if (offset == faults.stall_at) {
        WaitUntilTheClientGoes(socket);
        return false;
      }
      chunk = std::min(chunk, faults.stall_at - offset);
    }
    if (faults.rate > 0) chunk = std::min<long long>(chunk, std::max<long long>(faults.rate / 20, 1));
    if (faults.drop_at >= 0) {
      if (offset >= faults.drop_at) return false;
      chunk = std::min(chunk, faults.drop_at - offset);
    }
    off_t position = offset;
    const ssize_t n = sendfile(socket, fd, &position, static_cast<std::size_t>(chunk));
    if (n <= 0) return false;
    offset += n;
    sent += n;
    if (faults.rate > 0) {
      const auto due = started + std::chrono::milliseconds(sent * 1000 / faults.rate);
      std::this_thread::sleep_until(due);
    }
  }
  return !(faults.drop_at >= 0 && offset >= faults.drop_at);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(const std::string& text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

bool SafePath(const std::string& path) {
  return !path.empty() && path[0] == '/' && path.find("..") == std::string::npos &&
         path.find('\\') == std::string::npos && path.find('\0') == std::string::npos;
}

// The file a decoded request path names: below the mount with the longest matching URL
// path; empty when none.
std::string FileOfPath(const std::string& path) {
  const WebServerMount* best = nullptr;
  for (const WebServerMount& mount : mounts) {
    if (path.compare(0, mount.url_path.size(), mount.url_path) != 0) continue;
    if (!best || mount.url_path.size() > best->url_path.size()) best = &mount;
  }
  if (!best) return {};
  return best->directory + "/" + path.substr(best->url_path.size());
}

// A file's validators: its ETag (size and modification time) and Last-Modified date.
struct Validators {
  std::string etag;
  std::string modified;
  std::string Headers() const {
    return "ETag: " + etag + "\r\nLast-Modified: " + modified + "\r\nAccept-Ranges: bytes\r\n";
  }
};

Validators ValidatorsOf(const struct stat& info) {
  char etag[80];
  std::snprintf(etag, sizeof etag, "\"%llx-%llx\"", static_cast<unsigned long long>(info.st_size),
                static_cast<unsigned long long>(info.st_mtim.tv_sec) * 1000000000ull +
                    static_cast<unsigned long long>(info.st_mtim.tv_nsec));
  return {etag, HttpDate(info.st_mtime)};
}

enum class RangeAnswer { kWhole, kPartial, kUnsatisfiable };

// What a Range header asks of a file of `size` bytes; [first, last] is what to send.
RangeAnswer ReadRange(const std::string& range, long long size, long long& first, long long& last) {
  first = 0;
  last = size - 1;
  long long a = -1, b = -1;
  if (std::sscanf(range.c_str(), "bytes=%lld-%lld", &a, &b) < 1 || a < 0) return RangeAnswer::kWhole;
  if (a >= size) return RangeAnswer::kUnsatisfiable;
  first = a;
  if (b >= a && b < size) last = b;
  return RangeAnswer::kPartial;
}

// Opens a regular file for reading; -1 when it is missing or not a regular file.
int OpenRegularFile(const std::string& path, struct stat& info) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

// Answers one request; false when the connection is to be closed.
bool Answer(int socket, const std::string& method, const std::string& target, const std::string& headers) {
  std::string path = target.substr(0, target.find('?'));
  Faults faults = FaultsFor(path);
  const std::string range = Header(headers, "Range");
  const std::string if_range = Header(headers, "If-Range");
  long long sent = 0;
  int status = 200;
  auto log_line = [&] {
    Log(method + " " + path + " range=" + (range.empty() ? "-" : range) + " if-range=" +
        (if_range.empty() ? "-" : if_range) + " status=" + std::to_string(status) + " sent=" + std::to_string(sent));
  };
  auto plain = [&](int code, const std::string& reason, const std::string& extra = {}) {
    status = code;
    const bool ok = SendAll(socket, "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\n" + extra +
                                        "Content-Length: 0\r\n\r\n");
    log_line();
    return ok;
  };
  if (faults.status) return plain(faults.status, "Injected");
  const std::string decoded = PercentDecoded(path);
  const std::string file_path = SafePath(decoded) ? FileOfPath(decoded) : std::string();
  struct stat info{};
  const int fd = file_path.empty() ? -1 : OpenRegularFile(file_path, info);
  if (fd < 0) return plain(404, "Not Found");
  const long long size = info.st_size;
  const Validators validators = ValidatorsOf(info);
  const bool range_applies = !range.empty() && !faults.ignore_ranges &&
                             (if_range.empty() || if_range == validators.etag || if_range == validators.modified);
  long long first = 0, last = size - 1;
  const RangeAnswer answer = range_applies ? ReadRange(range, size, first, last) : RangeAnswer::kWhole;
  if (answer == RangeAnswer::kUnsatisfiable) {
    close(fd);
    return plain(416, "Range Not Satisfiable", validators.Headers() + "Content-Range: bytes */" + std::to_string(size) + "\r\n");
  }
  // A drop belongs to the answer whose body holds its offset: a range that begins past it
  // (as a parallel download may ask for first) neither stops there nor uses a one-time drop.
  if (faults.drop_at > last || faults.drop_at < first) faults.drop_at = -1;
  const bool partial = answer == RangeAnswer::kPartial;
  status = partial ? 206 : 200;
  std::string head = "HTTP/1.1 " + std::string(partial ? "206 Partial Content" : "200 OK") + "\r\n" + validators.Headers() +
                     "Content-Type: application/octet-stream\r\nContent-Length: " + std::to_string(last - first + 1) +
                     "\r\n";
  if (partial)
    head += "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size) + "\r\n";
  head += "\r\n";
  bool keep = SendAll(socket, head);
  if (keep && method == "GET") {
    keep = SendBody(socket, fd, first, last + 1, faults, sent);
    if (!keep && faults.drop_at >= 0 && !faults.drop_key.empty()) MarkDropUsed(faults.drop_key);
  }
  close(fd);
  log_line();
  return keep;
}

void Serve(int socket) {
  const int one = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::string buffer;
  char chunk[8192];
  while (true) {
    std::size_t end;
    while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (buffer.size() > 65536) {
        close(socket);
        return;
      }
      const ssize_t n = recv(socket, chunk, sizeof chunk, 0);
      if (n <= 0) {
        close(socket);
        return;
      }
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
    const std::string request = buffer.substr(0, end + 2);
    buffer.erase(0, end + 4);
    std::istringstream line(request.substr(0, request.find("\r\n")));
    std::string method, target, version;
    line >> method >> target >> version;
    const std::string headers = request.substr(request.find("\r\n") + 2);
    if ((method != "GET" && method != "HEAD") ||
        !Answer(socket, method, target, headers) || strcasecmp(Header(headers, "Connection").c_str(), "close") == 0)
      break;
  }
  shutdown(socket, SHUT_WR);
  close(socket);
}

}  // namespace

bool RunLocalWebServer(const WebServerSettings& settings, const std::function<void(std::uint16_t)>& listening,
                       std::string& error) {
  mounts = settings.mounts;
  log_path = settings.log_path;
  faults_path = settings.faults_path;
  // A client that goes away mid-file must not end the server (sendfile has no MSG_NOSIGNAL).
  signal(SIGPIPE, SIG_IGN);
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  if (listener >= 0) setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(settings.port);
  socklen_t length = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 64) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(settings.port) + ": " + std::strerror(errno);
    if (listener >= 0) close(listener);
    return false;
  }
  listening(ntohs(address.sin_port));
  while (true) {
    const int client = accept(listener, nullptr, nullptr);
    if (client < 0) continue;
    std::thread(Serve, client).detach();
  }
}
