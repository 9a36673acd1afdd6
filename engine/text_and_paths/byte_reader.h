// Bounded little-endian reads from bytes of a file that came from outside (a cabinet, a
// program's PE header, a bitmap): every read checks its range and reports failure instead
// of reading past the end, so damaged input gives a clear "no" at once. The programs that
// run on the end user's PC share this one reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}
  explicit ByteReader(std::string_view data)
      : data_(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()) {}

  std::size_t size() const { return data_.size(); }
  bool Has(std::size_t offset, std::size_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  bool U8(std::size_t offset, std::uint8_t& value) const {
    if (!Has(offset, 1)) return false;
    value = data_[offset];
    return true;
  }
  bool U16(std::size_t offset, std::uint16_t& value) const {
    if (!Has(offset, 2)) return false;
    value = static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    return true;
  }
  bool U32(std::size_t offset, std::uint32_t& value) const {
    if (!Has(offset, 4)) return false;
    value = data_[offset] | (std::uint32_t{data_[offset + 1]} << 8) | (std::uint32_t{data_[offset + 2]} << 16) |
            (std::uint32_t{data_[offset + 3]} << 24);
    return true;
  }
  bool I32(std::size_t offset, std::int32_t& value) const {
    std::uint32_t bits = 0;
    if (!U32(offset, bits)) return false;
    value = static_cast<std::int32_t>(bits);
    return true;
  }
  // `size` bytes from `offset`, or an empty span when they are not all there.
  std::span<const std::uint8_t> Slice(std::size_t offset, std::size_t size) const {
    if (!Has(offset, size)) return {};
    return data_.subspan(offset, size);
  }

 private:
  std::span<const std::uint8_t> data_;
};
