#include "file_signature.h"

#include <array>
#include <cstdint>

#include "sha256.h"

namespace {

constexpr std::string_view kPrefix = "sha256-";
constexpr std::size_t kDigestDigits = 64;
constexpr std::size_t kShortDigits = 32;

bool IsDecimal(std::string_view text) {
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::string GetFileSignature(const std::string& path) {
  std::array<std::uint8_t, 32> digest{};
  std::uint64_t size = 0;
  if (!Sha256OfFile(path, digest, size)) return {};
  return std::string(kPrefix) + HexOf(digest) + "-" + std::to_string(size);
}

std::string LongSigToShortSig(const std::string& long_signature) {
  const std::string_view text = long_signature;
  if (text.size() < kPrefix.size() + kDigestDigits + 2 || text.substr(0, kPrefix.size()) != kPrefix) return {};
  const std::string_view digits = text.substr(kPrefix.size(), kDigestDigits);
  const std::string_view rest = text.substr(kPrefix.size() + kDigestDigits);
  if (!IsLowerHex(digits) || rest[0] != '-' || !IsDecimal(rest.substr(1))) return {};
  return std::string(digits.substr(0, kShortDigits));
}

std::string CallFunction(const std::string& function_name, const std::string& argument) {
  if (function_name == "LongSigToShortSig") return LongSigToShortSig(argument);
  return {};
}
