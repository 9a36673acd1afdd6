#include "sha256_win32.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

namespace {

constexpr ULONG kDigestBytes = 32;
// BCryptHashData takes a ULONG count: on 64-bit Windows larger pieces are fed in parts.
constexpr std::size_t kLargestPiece = sizeof(std::size_t) > sizeof(ULONG) ? std::size_t{1} << 30 : ~std::size_t{0};

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

Sha256::Sha256() {
  // No object buffer: the system allocates the hash's state itself (Windows 7 and later).
  failed_ = !Succeeded(BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
            !Succeeded(BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() {
  if (hash_) BCryptDestroyHash(hash_);
  if (algorithm_) BCryptCloseAlgorithmProvider(algorithm_, 0);
}

void Sha256::Update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const UCHAR*>(data);
  while (!failed_ && size > 0) {
    const std::size_t piece = std::min(size, kLargestPiece);
    failed_ = !Succeeded(BCryptHashData(hash_, const_cast<UCHAR*>(bytes), static_cast<ULONG>(piece), 0));
    bytes += piece;
    size -= piece;
  }
}

std::string Sha256::HexDigest() {
  UCHAR digest[kDigestBytes];
  if (failed_ || !Succeeded(BCryptFinishHash(hash_, digest, kDigestBytes, 0))) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  char hex[2 * kDigestBytes];
  for (ULONG i = 0; i < kDigestBytes; ++i) {
    hex[2 * i] = kHex[digest[i] >> 4];
    hex[2 * i + 1] = kHex[digest[i] & 0xF];
  }
  return std::string(hex, sizeof hex);
}

std::string Sha256Hex(std::string_view data) {
  Sha256 hash;
  hash.Update(data.data(), data.size());
  return hash.HexDigest();
}
