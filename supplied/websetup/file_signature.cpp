#include "file_signature.h"

#include "decimal_size.h"

namespace {

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool ParseLongSignature(std::string_view text, FileSignature& signature) {
  constexpr std::string_view kPrefix = "sha256-";
  if (text.substr(0, kPrefix.size()) != kPrefix) return false;
  text.remove_prefix(kPrefix.size());
  if (text.size() < 66 || text[64] != '-') return false;
  for (std::size_t i = 0; i < 64; ++i) {
    if (!IsLowerHex(text[i])) return false;
  }
  std::uint64_t size = 0;
  if (!ParseDecimalSize(text.substr(65), size) || size > kMaxDownloadBytes) return false;
  signature.sha256 = std::string(text.substr(0, 64));
  signature.size = size;
  return true;
}

bool IsShortSignature(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text) {
    if (!IsLowerHex(LowerCase(c))) return false;
  }
  return true;
}

bool DigestHasShortSignature(std::string_view digest, std::string_view short_signature) {
  if (!IsShortSignature(short_signature) || digest.size() < 32) return false;
  for (std::size_t i = 0; i < 32; ++i) {
    if (LowerCase(digest[i]) != LowerCase(short_signature[i])) return false;
  }
  return true;
}
