// SHA-256 (FIPS 180-4), incremental.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class Sha256 {
 public:
  Sha256();
  void Update(std::span<const std::uint8_t> data);
  std::array<std::uint8_t, 32> Finish();

 private:
  void Compress(const std::uint8_t* block);
  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

// Lower-case hexadecimal of a digest.
std::string HexOf(std::span<const std::uint8_t> bytes);

// True when every character of `text` is a digit or one of "abcdef".
bool IsLowerHex(std::string_view text);

// SHA-256 of a whole file, read in pieces; false when it cannot be read. `size` receives
// the number of bytes hashed.
bool Sha256OfFile(const std::string& path, std::array<std::uint8_t, 32>& digest, std::uint64_t& size);
