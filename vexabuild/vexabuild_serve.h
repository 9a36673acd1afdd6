// `vexabuild serve PROGRAM_DIR [--port N]`: the built package of a project published on
// this machine, so that the whole road can be tried before publishing (README, "Try it
// before you publish").
#pragma once

#include <cstdint>
#include <string>

// Where an address of the project points: its host, port (80 when it names none) and path
// (ending with "/"); false for an address that is not http:// with a host.
struct ServedAddress {
  std::string host;
  std::uint16_t port = 80;
  std::string path;
};
bool ParseServedAddress(const std::string& url, ServedAddress& address, std::string& error);

// Serves the Release directory at the path of the publication address and ReleaseActiveX at
// the path of the ActiveX address, on 127.0.0.1 at `port` (0: the port of the publication
// address), after printing where and what to run; returns only when it cannot serve, with
// the exit status (1).
int ServeProject(const std::string& program_directory, std::uint16_t port);
