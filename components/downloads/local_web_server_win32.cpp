#include "local_web_server.h"

bool RunLocalWebServer(const WebServerSettings&, const std::function<void(std::uint16_t)>&, std::string& error) {
  error = "the local web server is part of the Linux build of vexabuild";
  return false;
}
