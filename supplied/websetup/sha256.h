// SHA-256 (FIPS 180-4), for checking downloads against the signatures in the web setup
// files. Incremental, so a file is hashed while it is read or downloaded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  // The digest as 64 lower-case hexadecimal digits. Ends the hash: call once.
  std::string HexDigest();

 private:
  void Block(const std::uint8_t* block);
  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

// The hexadecimal SHA-256 of `data`.
std::string Sha256Hex(std::string_view data);
