#include "bitmap.h"

#include <cstdio>
#include <memory>

namespace {

// File header.
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kOffSignature = 0;
constexpr std::size_t kOffBitsOffset = 10;
// Info header, from its start.
constexpr std::size_t kOffInfoSize = 0;
constexpr std::size_t kOffWidth = 4;
constexpr std::size_t kOffHeight = 8;
constexpr std::size_t kOffPlanes = 12;
constexpr std::size_t kOffBitCount = 14;
constexpr std::size_t kOffCompression = 16;
constexpr std::size_t kOffColoursUsed = 32;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kLargestInfoHeaderSize = 124;  // BITMAPV5HEADER
constexpr std::uint32_t kUncompressed = 0;              // BI_RGB
constexpr std::size_t kPaletteEntrySize = 4;

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  bool Has(std::size_t offset, std::size_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  std::uint16_t U16(std::size_t offset) const {
    return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  std::uint32_t U32(std::size_t offset) const {
    return static_cast<std::uint32_t>(data_[offset]) |
           (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
  }
  std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
  std::uint8_t U8(std::size_t offset) const { return data_[offset]; }

 private:
  std::span<const std::uint8_t> data_;
};

bool Fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Fail(error, "cannot be opened");
  std::uint8_t buffer[64 * 1024];
  for (;;) {
    std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
    if (got == 0) break;
    if (bytes.size() + got > kMaxBitmapFileBytes) {
      return Fail(error, "is larger than " + std::to_string(kMaxBitmapFileBytes) +
                             " bytes, too large for a picture of the map");
    }
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  if (std::ferror(file.get())) return Fail(error, "cannot be read");
  return true;
}

bool ParseInto(const ByteReader& in, Bitmap4& bitmap, std::string& error) {
  if (!in.Has(0, kFileHeaderSize + kInfoHeaderSize) || in.U8(kOffSignature) != 'B' ||
      in.U8(kOffSignature + 1) != 'M') {
    return Fail(error, "is not a BMP file");
  }
  const std::size_t info = kFileHeaderSize;
  const std::uint32_t infoSize = in.U32(info + kOffInfoSize);
  if (infoSize < kInfoHeaderSize || infoSize > kLargestInfoHeaderSize) {
    return Fail(error, "has an unknown BMP header (size " + std::to_string(infoSize) + ")");
  }
  const std::int32_t width = in.I32(info + kOffWidth);
  const std::int32_t rawHeight = in.I32(info + kOffHeight);
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) {
    return Fail(error, "has an impossible size (" + std::to_string(width) + " x " +
                           std::to_string(rawHeight) + ")");
  }
  if (in.U16(info + kOffPlanes) != 1) return Fail(error, "has a bad BMP header (planes)");
  const std::uint16_t bitCount = in.U16(info + kOffBitCount);
  if (bitCount != 4) {
    return Fail(error, "has " + std::to_string(bitCount) + " bits per pixel, not 4");
  }
  if (in.U32(info + kOffCompression) != kUncompressed) {
    return Fail(error, "is compressed; only uncompressed pictures are read");
  }
  std::uint32_t coloursUsed = in.U32(info + kOffColoursUsed);
  if (coloursUsed == 0) coloursUsed = 16;
  if (coloursUsed > 16) {
    return Fail(error, "has a palette of " + std::to_string(coloursUsed) + " colours, more than 16");
  }

  const std::size_t palette = info + infoSize;
  const std::size_t paletteBytes = coloursUsed * kPaletteEntrySize;
  const std::size_t bits = in.U32(kOffBitsOffset);
  if (!in.Has(palette, paletteBytes) || bits < palette + paletteBytes) {
    return Fail(error, "has a bad BMP header (palette or pixel offset out of place)");
  }
  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t h = static_cast<std::size_t>(height);
  const std::size_t stride = (w * 4 + 31) / 32 * 4;
  if (!in.Has(bits, stride * h)) return Fail(error, "is cut short: its pixel data is incomplete");

  bitmap.width = width;
  bitmap.height = static_cast<int>(height);
  bitmap.paletteSize = static_cast<int>(coloursUsed);
  for (std::size_t i = 0; i < coloursUsed; ++i) {
    const std::size_t entry = palette + i * kPaletteEntrySize;
    bitmap.palette[i] = MakeColour(in.U8(entry + 2), in.U8(entry + 1), in.U8(entry));
  }
  bitmap.pixels.resize(w * h);
  for (std::size_t y = 0; y < h; ++y) {
    const std::size_t row = bits + (topDown ? y : h - 1 - y) * stride;
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint8_t pair = in.U8(row + x / 2);
      const std::uint8_t index = static_cast<std::uint8_t>(x % 2 == 0 ? pair >> 4 : pair & 0x0F);
      if (index >= coloursUsed) {
        return Fail(error, "has pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                               ") in colour " + std::to_string(index) + ", beyond its palette of " +
                               std::to_string(coloursUsed));
      }
      bitmap.pixels[y * w + x] = index;
    }
  }
  return true;
}

}  // namespace

bool ParseBitmap4(std::span<const std::uint8_t> data, Bitmap4& bitmap, std::string& error) {
  bitmap = Bitmap4{};
  error.clear();
  if (ParseInto(ByteReader(data), bitmap, error)) return true;
  bitmap = Bitmap4{};
  return false;
}

bool LoadBitmap4(const std::string& path, int width, int height, Bitmap4& bitmap,
                 std::string& error) {
  bitmap = Bitmap4{};
  std::vector<std::uint8_t> bytes;
  std::string reason;
  if (!ReadWholeFile(path, bytes, reason) || !ParseBitmap4(bytes, bitmap, reason)) {
    error = path + " " + reason;
    return false;
  }
  if (bitmap.width != width || bitmap.height != height) {
    error = path + " is " + std::to_string(bitmap.width) + " x " + std::to_string(bitmap.height) +
            " pixels, not " + std::to_string(width) + " x " + std::to_string(height);
    bitmap = Bitmap4{};
    return false;
  }
  error.clear();
  return true;
}
