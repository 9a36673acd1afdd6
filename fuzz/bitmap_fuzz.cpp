// The map control's picture reader on arbitrary bytes: it must refuse or decode within
// bounds, and a decoded picture must be consistent with its own header.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bitmap4 bitmap;
  std::string error;
  if (!ParseBitmap4(std::span<const std::uint8_t>(data, size), bitmap, error)) {
    if (error.empty() || !bitmap.pixels.empty()) std::abort();
    return 0;
  }
  if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.width > kMaxBitmapSide || bitmap.height > kMaxBitmapSide)
    std::abort();
  if (bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
    std::abort();
  for (std::uint8_t index : bitmap.pixels) {
    if (index >= bitmap.paletteSize) std::abort();
  }
  return 0;
}
