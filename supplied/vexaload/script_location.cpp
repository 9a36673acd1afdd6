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

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string SiteOf(const WebUrl& url) {
  const std::uint16_t own_port = url.secure ? 443 : 80;
  return std::string(url.secure ? "https://" : "http://") + LowerCase(url.host) +
         (url.port == own_port ? "" : ":" + std::to_string(url.port));
}

bool SameOrigin(const WebUrl& a, const WebUrl& b) {
  return a.secure == b.secure && a.port == b.port && EqualsIgnoringCase(a.host, b.host);
}

// What an untrusted page may have the loader fetch: nothing unless the host knows the
// page as an https: page; then only its own origin. The page's address is checked before
// the parameter is joined to it.
bool PageMayInstall(std::string_view page_url, WebUrl& page, std::string& error) {
  if (!ParseWebUrl(page_url, page)) {
    error = "Error. Nothing was downloaded: the address of the page is unknown, and the loader installs only "
            "from the site of the page that names it.";
    return false;
  }
  if (!page.secure) {
    error = "Error. Nothing was downloaded: the page " + std::string(page_url) +
            " is not a secure (https:) page; the loader installs only for https: pages.";
    return false;
  }
  return true;
}

}  // namespace

bool ResolveScriptLocation(std::string_view script_file, std::string_view page_url, bool for_untrusted_page,
                           ScriptLocation& location, std::string& error) {
  location = ScriptLocation{};
  const std::string name(script_file);
  if (name.empty()) {
    error = "Error. The page names no script file (parameter ScriptFile).";
    return false;
  }
  WebUrl page;
  if (for_untrusted_page && !PageMayInstall(page_url, page, error)) return false;
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
  if (for_untrusted_page && !SameOrigin(parsed, page)) {
    error = "Error. Nothing was downloaded: the script file " + url + " is not on the site of the page, " +
            SiteOf(page) + ".";
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
  location.site = SiteOf(parsed);
  return true;
}
