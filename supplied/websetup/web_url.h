// The addresses a web setup downloads from. Only http: and https: URLs are taken, with a
// host and no user name, password, blanks or control characters in them; a file name
// taken from a script is joined to a directory URL, never used as a path of its own, and
// a name taken from a URL is percent-decoded before it is checked and used.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct WebUrl {
  bool secure = false;
  std::string host;
  std::uint16_t port = 0;
  std::string path;  // from the "/" after the host, query included; "/" when none
};

inline constexpr std::size_t kMaxUrlLength = 2048;

// False for anything but a well-formed http: or https: URL of at most kMaxUrlLength characters.
bool ParseWebUrl(std::string_view text, WebUrl& url);

// `directory` followed by `name`, with one "/" between them.
std::string JoinUrl(std::string_view directory, std::string_view name);

// The last path component of a URL (before any query), as the file is called.
std::string UrlFileName(std::string_view url);

// `text` with every "%" and two hexadecimal digits replaced by the byte they give (the
// release builder percent-encodes the characters a URL cannot carry as they are); a "%"
// without two digits after it is kept.
std::string PercentDecoded(std::string_view text);
