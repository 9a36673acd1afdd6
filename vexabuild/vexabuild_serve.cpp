#include "vexabuild_serve.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "local_web_server.h"
#include "native_files.h"
#include "path_services.h"
#include "project_settings.h"

namespace {

int Refuse(const std::string& why) {
  std::fprintf(stderr, "vexabuild: %s\n", why.c_str());
  return 1;
}

bool IsLoopbackHost(const std::string& host) { return host == "127.0.0.1" || LowerAscii(host) == "localhost"; }

}  // namespace

bool ParseServedAddress(const std::string& url, ServedAddress& address, std::string& error) {
  const std::string text = TrimBlanks(url);
  const std::string scheme = LowerAscii(text.substr(0, 8));
  if (scheme.rfind("https://", 0) == 0) {
    error = text + " is an https address: the local server speaks http only; build with "
                   "http://127.0.0.1:PORT/ addresses";
    return false;
  }
  if (scheme.rfind("http://", 0) != 0) {
    error = text + " is not an http address";
    return false;
  }
  const std::string rest = text.substr(7);
  const std::size_t slash = rest.find('/');
  const std::string authority = rest.substr(0, slash);
  address.path = slash == std::string::npos ? "/" : rest.substr(slash);
  if (address.path.back() != '/') address.path += '/';
  // A bracketed IPv6 address holds colons of its own; the port follows its "]".
  const std::size_t close = authority.empty() || authority[0] != '[' ? 0 : authority.find(']');
  const std::size_t colon = close == std::string::npos ? std::string::npos : authority.find(':', close);
  address.host = authority.substr(0, colon);
  address.port = 80;
  if (colon != std::string::npos) {
    const std::string digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(digits) == 0 || std::stoi(digits) > 65535) {
      error = text + " names no valid port";
      return false;
    }
    address.port = static_cast<std::uint16_t>(std::stoi(digits));
  }
  if (address.host.empty()) {
    error = text + " names no server";
    return false;
  }
  return true;
}

int ServeProject(const std::string& program_directory, std::uint16_t port) {
  const std::string project = program_directory + kProjectDirectoryName + kDirectorySeparator;
  const std::string files = project + kProjectFilesDirectoryName + kDirectorySeparator;
  const std::string release = project + kReleaseDirectoryName;
  const std::string activex = project + kReleaseActiveXDirectoryName;
  const std::string web_setup = ReadSettingsText(files + "StandAloneExeFilenameNoPath.txt");
  if (web_setup.empty() || !IsRegularNativeFile(release + kDirectorySeparator + web_setup)) {
    return Refuse("no web setup package in " + release + ": build it first with vexabuild build " + program_directory);
  }
  ServedAddress publication, loader;
  std::string error;
  if (!ParseServedAddress(ReadSettingsText(files + "PublicationURL.txt"), publication, error) ||
      !ParseServedAddress(ReadSettingsText(files + "ActiveXUrl.txt"), loader, error)) {
    return Refuse("serve: " + error);
  }
  if (publication.port != loader.port || LowerAscii(publication.host) != LowerAscii(loader.host)) {
    return Refuse("serve: the publication and ActiveX addresses name different servers; build with both on "
                  "http://127.0.0.1:PORT/");
  }
  if (port == 0) port = publication.port;
  WebServerSettings settings;
  settings.port = port;
  settings.mounts = {{publication.path, release}, {loader.path, activex}};
  const std::string html = ReadSettingsText(files + "HtmlFilenameNoPath.txt");
  RunLocalWebServer(settings, [&](std::uint16_t bound) {
    const std::string base = "http://127.0.0.1:" + std::to_string(bound);
    std::printf("Serving the package of %s on %s (Ctrl+C ends):\n  %s%s  %s\n  %s%s  %s\n", program_directory.c_str(),
                base.c_str(), base.c_str(), publication.path.c_str(), release.c_str(), base.c_str(),
                loader.path.c_str(), activex.c_str());
    std::printf("The page: %s%s%s\n", base.c_str(), publication.path.c_str(), html.c_str());
    if (!IsLoopbackHost(publication.host) || bound != publication.port) {
      std::printf("Note: the package downloads from %s:%u, not from this server: build it with "
                  "--publication-url %s%s and --activex-url %s%s to try it here.\n",
                  publication.host.c_str(), static_cast<unsigned>(publication.port), base.c_str(),
                  publication.path.c_str(), base.c_str(), loader.path.c_str());
    }
    std::printf("Run the web setup program as an end user does, on a Windows PC or under Wine:\n"
                "  wine \"%s%c%s\" /S /LOG=websetup.log\n",
                release.c_str(), kDirectorySeparator, web_setup.c_str());
    std::fflush(stdout);
  }, error);
  return Refuse("serve: " + error);
}
