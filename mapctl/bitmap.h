// The map control's pictures as 4-bit device-independent bitmaps (BMP files).
//
// A BMP file is a 14-byte file header ("BM", file size, offset of the pixel bits), an
// info header (BITMAPINFOHEADER, 40 bytes, or one of its longer successors), a palette
// of up to 16 entries (blue, green, red, reserved) and the pixel rows: two pixels a byte,
// the high nibble first, each row padded to a multiple of 4 bytes, the bottom row first
// unless the height is negative.
//
// The reader takes only what the control's pictures are: uncompressed, 4 bits per pixel,
// one plane. Anything else, a header that points outside the file, pixel data cut short
// or a pixel that names a colour beyond the palette is refused with a message naming
// the fault. In the Windows control the same pictures are bitmap resources drawn
// through GDI; this reader serves the native build and the tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A colour value as the platform's pixel read returns it: red in bits 0-7, green in 8-15,
// blue in 16-23.
using Colour = std::uint32_t;

constexpr Colour MakeColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return Colour{red} | (Colour{green} << 8) | (Colour{blue} << 16);
}

struct Bitmap4 {
  int width = 0;
  int height = 0;
  std::array<Colour, 16> palette{};
  int paletteSize = 0;
  std::vector<std::uint8_t> pixels;  // one palette index per pixel, rows from the top

  std::uint8_t IndexAt(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  Colour ColourAt(int x, int y) const { return palette[IndexAt(x, y)]; }
};

// Far beyond any picture of the control; larger files are not read into memory.
inline constexpr std::size_t kMaxBitmapFileBytes = 16u * 1024u * 1024u;
inline constexpr int kMaxBitmapSide = 8192;

// Decodes a BMP file held in memory. On failure `bitmap` is left empty and `error`
// says what is wrong with the data.
bool ParseBitmap4(std::span<const std::uint8_t> data, Bitmap4& bitmap, std::string& error);

// Reads the BMP file at `path` and checks that it is `width` x `height` pixels. The
// error text starts with the path.
bool LoadBitmap4(const std::string& path, int width, int height, Bitmap4& bitmap,
                 std::string& error);
