#include "script_location.h"

#include "text.h"
#include "web_url.h"

namespace {

bool IsAbsoluteWebUrl(std::string_view text) {
  return StartsWithIgnoringCase(text, "http://") || StartsWithIgnoringCase(text, "https://");
}

// The page's directory: everything up to its last "/" before any query or fragment.
std::string DirectoryOf(std::string_view url) {
  url = url.substr(0, url.find_first_of("?#"));
  const std::size_t slash = url.rfind('/');
  // "http://host" has no path: its directory is the root.
  if (slash == std::string_view::npos || slash < url.find("//") + 2) return std::string(url) + "/";
  return std::string(url.substr(0, slash + 1));
}

}  // namespace

bool ResolveScriptLocation(std::string_view script_file, std::string_view page_url, ScriptLocation& location,
                           std::string& error) {
  location = ScriptLocation{};
  const std::string name(script_file);
  if (name.empty()) {
    error = "Error. The page names no script file (parameter ScriptFile).";
    return false;
  }
  std::string url;
  if (IsAbsoluteWebUrl(name)) {
    url = name;
  } else {
    // A relative name is one file of the page's directory, never a path of its own.
    if (name.find_first_of("/\\:?#") != std::string::npos || name == "." || name == "..") {
      error = "Error. The script file " + name + " is not a file name of the page's directory.";
      return false;
    }
    if (!IsAbsoluteWebUrl(page_url)) {
      error = "Error. The script file " + name + " cannot be found: the page's address is unknown.";
      return false;
    }
    url = DirectoryOf(page_url) + name;
  }
  WebUrl parsed;
  if (!ParseWebUrl(url, parsed)) {
    error = "Error. The address of the script file is not a valid web address: " + url;
    return false;
  }
  const std::string cabinet = UrlFileName(url);
  if (cabinet.size() < 5 || !EndsWithIgnoringCase(cabinet, ".cab")) {
    error = "Error. The script file " + url + " is not a cabinet (.cab) file.";
    return false;
  }
  location.url = url;
  location.publication_url = DirectoryOf(url);
  location.cabinet_name = cabinet;
  return true;
}
