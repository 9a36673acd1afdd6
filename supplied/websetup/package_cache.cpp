#include "package_cache.h"

#include "text.h"

namespace {

constexpr std::string_view kCachedKinds[] = {kScriptsCache, kProgramsCache};

bool IsHexDigits(std::string_view text) {
  for (char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

bool IsCachedCabinetName(std::string_view name) {
  for (std::string_view kind : kCachedKinds) {
    if (name.substr(0, kind.size()) != kind) continue;
    const std::string_view file = name.substr(kind.size());
    return file.size() == kShortSignatureDigits + 4 && EndsWithIgnoringCase(std::string(file), ".cab") &&
           IsHexDigits(file.substr(0, kShortSignatureDigits));
  }
  return false;
}

bool Names(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& listed : names) {
    if (EqualsIgnoringCase(listed, name)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> ReadPackageCacheIndex(std::string_view text) {
  std::vector<std::string> names;
  if (text.size() > kMaxPackageIndexBytes) return names;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string line(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (IsCachedCabinetName(line)) names.push_back(std::move(line));
  }
  return names;
}

std::string PackageCacheIndexText(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + "\r\n";
  return text;
}

std::vector<std::string> CabinetsNoLongerUsed(const std::vector<std::string>& previous,
                                              const std::vector<std::string>& current,
                                              const std::vector<std::vector<std::string>>& others) {
  std::vector<std::string> unused;
  for (const std::string& name : previous) {
    if (Names(current, name) || Names(unused, name)) continue;
    bool elsewhere = false;
    for (const std::vector<std::string>& other : others) elsewhere = elsewhere || Names(other, name);
    if (!elsewhere) unused.push_back(name);
  }
  return unused;
}
