// A loopback HTTP/1.1 file server: `vexabuild serve` publishes a package on this machine
// with it, and the web setup tests serve their sites with it. GET and HEAD of the files
// below the mounted directories, with ETag and Last-Modified validators, byte ranges
// (Range, If-Range, 206 and 416) and keep-alive, as the web servers a package is published
// on answer. Only 127.0.0.1 is listened on.
//
// A request path is percent-decoded, then served from the mount whose URL path is its
// longest prefix; a path holding "..", "\" or a NUL byte, or under no mount, is 404.
//
// With a log file every request appends one line when its answer is done:
//
//   GET /Prog1.cab range=bytes=1000- if-range="..." status=206 sent=4000
//
// (sent: body bytes written). For the tests, a faults file is read again for every
// request; its lines:
//
//   drop PATH OFFSET        once: close the connection when the body of PATH reaches the
//                           file offset OFFSET; the server then rewrites the line as
//                           "dropped PATH OFFSET", so writing the file anew arms it again
//   drop-always PATH OFFSET every answer of PATH: close the connection when its body
//                           reaches the file offset OFFSET (a server that never finishes)
//                           (both only touch an answer whose body holds OFFSET: a range
//                           that begins past it or ends before it is sent whole)
//   ignore-ranges           answer every request with the whole file (200)
//   status PATH CODE        answer requests of PATH with CODE and no body
//   rate PATH BYTES         send PATH at most BYTES bytes a second
//   stall PATH OFFSET       every answer of PATH whose body reaches the file offset OFFSET
//                           stops sending there and keeps the connection open, silent,
//                           until the client goes (or two minutes pass)
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct WebServerMount {
  std::string url_path;   // begins and ends with "/"
  std::string directory;  // a directory of this machine
};

struct WebServerSettings {
  std::vector<WebServerMount> mounts;
  std::uint16_t port = 0;  // 0: a free port
  std::string log_path;
  std::string faults_path;
};

// Listens on 127.0.0.1 and calls `listening` with the port once connections are accepted,
// then serves until the process ends. False, with `error`, when it cannot listen (or on a
// system where the server is not available).
bool RunLocalWebServer(const WebServerSettings& settings, const std::function<void(std::uint16_t)>& listening,
                       std::string& error);
