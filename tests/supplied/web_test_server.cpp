// The loopback file server of the web setup tests and benchmark (local_web_server.h, the
// server of `vexabuild serve`) on one directory, its port written to a file.
//
//   web_test_server --root DIR --port-file FILE --log FILE [--faults FILE]
#include <cstdio>
#include <fstream>
#include <string>

#include "local_web_server.h"

int main(int argc, char** argv) {
  std::string root, port_file;
  WebServerSettings settings;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--root") root = argv[i + 1];
    else if (option == "--port-file") port_file = argv[i + 1];
    else if (option == "--log") settings.log_path = argv[i + 1];
    else if (option == "--faults") settings.faults_path = argv[i + 1];
  }
  if (root.empty() || port_file.empty() || settings.log_path.empty()) {
    std::fprintf(stderr, "usage: web_test_server --root DIR --port-file FILE --log FILE [--faults FILE]\n");
    return 2;
  }
  settings.mounts = {{"/", root}};
  std::string error;
  RunLocalWebServer(settings, [&](std::uint16_t port) {
    const std::string temporary = port_file + ".tmp";
    std::ofstream(temporary) << port << "\n";
    std::rename(temporary.c_str(), port_file.c_str());
  }, error);
  std::fprintf(stderr, "web_test_server: %s\n", error.c_str());
  return 1;
}
