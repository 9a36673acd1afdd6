#include "web_url.h"

#include "text.h"

bool ParseWebUrl(std::string_view text, WebUrl& url) {
  url = WebUrl{};
  if (text.empty() || text.size() > kMaxUrlLength) return false;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= ' ' || c >= 0x7F || c == '\\') return false;
  }
  std::string_view rest;
  if (StartsWithIgnoringCase(text, "https://")) {
    url.secure = true;
    url.port = 443;
    rest = text.substr(8);
  } else if (StartsWithIgnoringCase(text, "http://")) {
    url.port = 80;
    rest = text.substr(7);
  } else {
    return false;
  }
  const std::size_t slash = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, slash);
  url.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  if (!url.path.empty() && url.path[0] != '/') url.path.insert(0, "/");
  const std::size_t hash = url.path.find('#');
  if (hash != std::string::npos) url.path.erase(hash);
  if (authority.empty() || authority.find('@') != std::string_view::npos) return false;
  // A bracketed IPv6 address holds colons of its own; the port follows its "]".
  const std::size_t close = authority[0] == '[' ? authority.find(']') : 0;
  if (close == std::string_view::npos) return false;
  const std::size_t colon = authority.find(':', close);
  if (colon != std::string_view::npos) {
    const std::string_view digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    std::uint64_t port = 0;
    if (!IsDecimalNumber(digits, port) || port == 0 || port > 65535) return false;
    url.port = static_cast<std::uint16_t>(port);
    authority = authority.substr(0, colon);
  }
  if (authority.empty()) return false;
  url.host = std::string(authority);
  return true;
}

std::string JoinUrl(std::string_view directory, std::string_view name) {
  std::string joined(directory);
  if (joined.empty() || joined.back() != '/') joined.push_back('/');
  return joined + std::string(name);
}

std::string UrlFileName(std::string_view url) {
  const std::size_t query = url.find_first_of("?#");
  url = url.substr(0, query);
  const std::size_t slash = url.rfind('/');
  return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      decoded.push_back(text[i]);
    }
  }
  return decoded;
}
