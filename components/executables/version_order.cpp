#include "version_order.h"

#include <array>
#include <cstdint>

namespace {

// Numbers are capped: a file's version fields are 16-bit, and no text may overflow us.
constexpr std::uint32_t kNumberCap = 1000000;

std::array<std::uint32_t, 4> VersionNumbers(const std::string& text) {
  std::array<std::uint32_t, 4> numbers{};
  std::size_t field = 0;
  bool in_number = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      std::uint32_t& number = numbers[field];
      number = number >= kNumberCap ? kNumberCap : number * 10 + static_cast<std::uint32_t>(c - '0');
      in_number = true;
    } else if (c == '.' || c == ',') {
      if (++field == numbers.size()) break;
      in_number = false;
    } else if (c != ' ' || in_number) {
      break;
    }
  }
  return numbers;
}

}  // namespace

bool VersionIsHigher(const std::string& a, const std::string& b) { return VersionNumbers(a) > VersionNumbers(b); }

std::string HighestVersion(const std::vector<std::string>& versions) {
  std::string highest;
  for (const std::string& version : versions) {
    if (!version.empty() && (highest.empty() || VersionIsHigher(version, highest))) highest = version;
  }
  return highest;
}
