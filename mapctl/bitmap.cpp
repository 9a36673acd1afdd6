#include "bitmap.h"

#include <cstdio>
#include <memory>

#include "byte_reader.h"

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

// The header fields the reader looks at, as the file gives them.
struct HeaderFields {
  std::uint8_t signature[2] = {};
  std::uint32_t bitsOffset = 0;
  std::uint32_t infoSize = 0;
  std::int32_t width = 0;
  std::int32_t rawHeight = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t coloursUsed = 0;
};

// Where the palette and the pixel rows lie, once the header is found sound.
struct PixelLayout {
  std::size_t width = 0;
  std::size_t height = 0;
  bool topDown = false;
  std::size_t palette = 0;
  std::size_t colours = 0;
  std::size_t bits = 0;
  std::size_t stride = 0;
};

bool ReadHeaderFields(const ByteReader& in, HeaderFields& fields) {
  const std::size_t info = kFileHeaderSize;
  return in.Has(0, kFileHeaderSize + kInfoHeaderSize) && in.U8(kOffSignature, fields.signature[0]) &&
         in.U8(kOffSignature + 1, fields.signature[1]) && in.U32(kOffBitsOffset, fields.bitsOffset) &&
         in.U32(info + kOffInfoSize, fields.infoSize) && in.I32(info + kOffWidth, fields.width) &&
         in.I32(info + kOffHeight, fields.rawHeight) && in.U16(info + kOffPlanes, fields.planes) &&
         in.U16(info + kOffBitCount, fields.bitCount) && in.U32(info + kOffCompression, fields.compression) &&
         in.U32(info + kOffColoursUsed, fields.coloursUsed);
}

// The header's checks, each fault with its own message, in the order a reader meets them.
bool CheckHeader(const ByteReader& in, const HeaderFields& fields, PixelLayout& layout, std::string& error) {
  if (fields.infoSize < kInfoHeaderSize || fields.infoSize > kLargestInfoHeaderSize) {
    return Fail(error, "has an unknown BMP header (size " + std::to_string(fields.infoSize) + ")");
  }
  const std::int32_t width = fields.width;
  const std::int32_t rawHeight = fields.rawHeight;
  layout.topDown = rawHeight < 0;
  const std::int64_t height = layout.topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) {
    return Fail(error, "has an impossible size (" + std::to_string(width) + " x " +
                           std::to_string(rawHeight) + ")");
  }
  if (fields.planes != 1) return Fail(error, "has a bad BMP header (planes)");
  if (fields.bitCount != 4) {
    return Fail(error, "has " + std::to_string(fields.bitCount) + " bits per pixel, not 4");
  }
  if (fields.compression != kUncompressed) {
    return Fail(error, "is compressed; only uncompressed pictures are read");
  }
  const std::uint32_t coloursUsed = fields.coloursUsed == 0 ? 16 : fields.coloursUsed;
  if (coloursUsed > 16) {
    return Fail(error, "has a palette of " + std::to_string(coloursUsed) + " colours, more than 16");
  }
  layout.palette = kFileHeaderSize + fields.infoSize;
  layout.colours = coloursUsed;
  layout.bits = fields.bitsOffset;
  if (!in.Has(layout.palette, layout.colours * kPaletteEntrySize) ||
      layout.bits < layout.palette + layout.colours * kPaletteEntrySize) {
    return Fail(error, "has a bad BMP header (palette or pixel offset out of place)");
  }
  layout.width = static_cast<std::size_t>(width);
  layout.height = static_cast<std::size_t>(height);
  layout.stride = (layout.width * 4 + 31) / 32 * 4;
  if (!in.Has(layout.bits, layout.stride * layout.height)) {
    return Fail(error, "is cut short: its pixel data is incomplete");
  }
  return true;
}

bool ReadPalette(const ByteReader& in, const PixelLayout& layout, Bitmap4& bitmap, std::string& error) {
  const std::span<const std::uint8_t> palette =
      in.Slice(layout.palette, layout.colours * kPaletteEntrySize);
  if (palette.size() != layout.colours * kPaletteEntrySize) {
    return Fail(error, "has a bad BMP header (palette or pixel offset out of place)");
  }
  for (std::size_t i = 0; i < layout.colours; ++i) {
    const std::size_t entry = i * kPaletteEntrySize;
    bitmap.palette[i] = MakeColour(palette[entry + 2], palette[entry + 1], palette[entry]);
  }
  return true;
}

bool ReadPixels(const ByteReader& in, const PixelLayout& layout, Bitmap4& bitmap, std::string& error) {
  const std::size_t w = layout.width;
  const std::size_t h = layout.height;
  bitmap.pixels.resize(w * h);
  for (std::size_t y = 0; y < h; ++y) {
    const std::span<const std::uint8_t> row =
        in.Slice(layout.bits + (layout.topDown ? y : h - 1 - y) * layout.stride, layout.stride);
    if (row.size() != layout.stride) return Fail(error, "is cut short: its pixel data is incomplete");
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint8_t pair = row[x / 2];
      const std::uint8_t index = static_cast<std::uint8_t>(x % 2 == 0 ? pair >> 4 : pair & 0x0F);
      if (index >= layout.colours) {
        return Fail(error, "has pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                               ") in colour " + std::to_string(index) + ", beyond its palette of " +
                               std::to_string(layout.colours));
      }
      bitmap.pixels[y * w + x] = index;
    }
  }
  return true;
}

bool ParseInto(const ByteReader& in, Bitmap4& bitmap, std::string& error) {
  HeaderFields fields;
  if (!ReadHeaderFields(in, fields) || fields.signature[0] != 'B' || fields.signature[1] != 'M') {
    return Fail(error, "is not a BMP file");
  }
  PixelLayout layout;
  if (!CheckHeader(in, fields, layout, error)) return false;
  bitmap.width = static_cast<int>(layout.width);
  bitmap.height = static_cast<int>(layout.height);
  bitmap.paletteSize = static_cast<int>(layout.colours);
  return ReadPalette(in, layout, bitmap, error) && ReadPixels(in, layout, bitmap, error);
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
