// Bounded little-endian reads from a byte buffer: every read checks the range and reports
// failure instead of reading past the end, so damaged files give a clear "no" at once.
#pragma once

#include <cstdint>
#include <span>

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  bool U8(std::uint64_t offset, std::uint8_t& value) const {
    if (!Has(offset, 1)) return false;
    value = bytes_[static_cast<std::size_t>(offset)];
    return true;
  }
  bool U16(std::uint64_t offset, std::uint16_t& value) const {
    if (!Has(offset, 2)) return false;
    const std::size_t at = static_cast<std::size_t>(offset);
    value = static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    return true;
  }
  bool U32(std::uint64_t offset, std::uint32_t& value) const {
    std::uint16_t low = 0;
    std::uint16_t high = 0;
    if (!U16(offset, low) || !U16(offset + 2, high)) return false;
    value = low | (std::uint32_t{high} << 16);
    return true;
  }
  std::span<const std::uint8_t> Slice(std::uint64_t offset, std::uint64_t length) const {
    if (!Has(offset, length)) return {};
    return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};
