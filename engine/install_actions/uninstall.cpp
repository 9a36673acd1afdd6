#include "uninstall.h"

#include <limits>

#include "command_line.h"
#include "paths.h"
#include "text.h"

namespace {

// A component Windows would read as something other than its text: a trailing dot or blank
// is stripped by the file system ("..." or ".. " could then climb), and ":" names a drive
// or a stream.
bool IsAmbiguousComponent(std::string_view component) {
  if (component.find(':') != std::string_view::npos) return true;
  return component != ".." && (component.back() == '.' || component.back() == ' ');
}

// A server or share name: no dots alone, nothing Windows would read differently.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name != "?" && !IsAmbiguousComponent(name);
}

// Splits off the root of a "\"-separated absolute path: "C:" or "\\server\share". False
// for relative, drive-relative, rooted-without-drive and device paths.
bool SplitRoot(std::string_view path, std::string& root, std::string_view& rest) {
  const auto is_letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() >= 3 && is_letter(path[0]) && path[1] == ':' && path[2] == '\\') {
    root.assign(path.substr(0, 2));
    rest = path.substr(3);
    return true;
  }
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return false;
  const std::size_t server_end = path.find('\\', 2);
  if (server_end == std::string_view::npos || server_end == 2) return false;
  std::size_t share_end = path.find('\\', server_end + 1);
  if (share_end == std::string_view::npos) share_end = path.size();
  // Also refuses the device prefixes "\\?\" and "\\.\", and a share named "..".
  if (!IsPlainName(path.substr(2, server_end - 2)) ||
      !IsPlainName(path.substr(server_end + 1, share_end - server_end - 1)))
    return false;
  root.assign(path.substr(0, share_end));
  rest = share_end < path.size() ? path.substr(share_end + 1) : std::string_view();
  return true;
}

}  // namespace

std::vector<std::string> UninstallDataLines(std::vector<std::string> existing, const std::string& product_name,
                                            const std::string& product_directory,
                                            const std::string& program_group_directory,
                                            const std::vector<std::string>& installed_files,
                                            const std::string& web_package) {
  if (existing.size() < 3) existing.resize(3);
  existing[0] = product_name;
  existing[1] = product_directory;
  existing[2] = program_group_directory;
  existing.insert(existing.end(), installed_files.begin(), installed_files.end());
  if (!web_package.empty()) existing.push_back(std::string(kWebPackageLinePrefix) + web_package);
  return existing;
}

bool IsWebPackageLine(std::string_view line) {
  return StartsWithIgnoringCase(line, kWebPackageLinePrefix);
}

std::string WebPackageOfUninstallData(const std::vector<std::string>& lines) {
  if (lines.size() <= 3 || !IsWebPackageLine(lines.back())) return {};
  const std::string key = lines.back().substr(kWebPackageLinePrefix.size());
  return IsWebPackageKey(key) ? key : std::string();
}

std::string UninstallCommand(const std::string& path) {
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string NormalizedPath(std::string_view path) {
  std::string slashed(path);
  for (char& c : slashed) {
    if (c == '/') c = '\\';
  }
  std::string root;
  std::string_view rest;
  if (!SplitRoot(slashed, root, rest)) return {};

  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view component = rest.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    if (IsAmbiguousComponent(component)) return {};
    if (component == "..") {
      if (components.empty()) return {};
      components.pop_back();
      continue;
    }
    components.push_back(component);
  }
  std::string result = root;
  if (components.empty()) return result + "\\";
  for (const std::string_view component : components) {
    result += '\\';
    result += component;
  }
  return result;
}

bool PathIsBelow(std::string_view path, std::string_view directory) {
  const std::string normal_path = NormalizedPath(path);
  const std::string normal_directory = NormalizedPath(directory);
  if (normal_path.empty() || normal_directory.empty()) return false;
  const std::string prefix = WithBackslash(normal_directory);
  return normal_path.size() > prefix.size() && StartsWithIgnoringCase(normal_path, prefix);
}

bool IsBelowRoot(std::string_view directory) {
  const std::string normal = NormalizedPath(directory);
  std::string root;
  std::string_view rest;
  return !normal.empty() && SplitRoot(WithBackslash(normal), root, rest) && !rest.empty();
}

std::vector<std::string> DirectoriesToRemove(std::string_view file, const std::vector<std::string>& roots) {
  std::string deepest;
  for (const std::string& root : roots) {
    if (!IsBelowRoot(root) || !PathIsBelow(file, root)) continue;
    const std::string normal_root = NormalizedPath(root);
    if (normal_root.size() > deepest.size()) deepest = normal_root;
  }
  std::vector<std::string> directories;
  if (deepest.empty()) return directories;
  std::string current = NormalizedPath(file);
  for (;;) {
    current.resize(current.find_last_of('\\'));
    directories.push_back(current);
    if (EqualsIgnoringCase(current, deepest)) break;
  }
  return directories;
}

std::uint32_t EstimatedSizeKb(std::uint64_t bytes) {
  const std::uint64_t kb = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  return kb > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                        : static_cast<std::uint32_t>(kb);
}
