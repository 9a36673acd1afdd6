#include "hit_test.h"

#include <cmath>
#include <limits>

namespace {

// The scaled coordinate as the hit test takes it: truncated toward zero to a signed
// 16-bit value. Values beyond that range cannot lie in any rectangle; they are pinned
// to the range's ends instead of being converted with undefined behaviour.
std::int16_t TruncateTo16(double value) {
  const double t = std::trunc(value);
  if (!(t >= std::numeric_limits<std::int16_t>::min())) return std::numeric_limits<std::int16_t>::min();
  if (t > std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(t);
}

// The source pixel whose span holds the centre of target pixel `target` when `source`
// pixels are stretched over `target_size` pixels.
int NearestSource(std::int64_t target, std::int64_t source, std::int64_t target_size) {
  return static_cast<int>((2 * target + 1) * source / (2 * target_size));
}

}  // namespace

std::optional<MaskSurface> MaskSurface::Stretch(const Bitmap4& mask, const DrawingBounds& bounds) {
  const int width = bounds.Width();
  const int height = bounds.Height();
  if (width <= 0 || height <= 0 || mask.width <= 0 || mask.height <= 0) return std::nullopt;
  if (std::int64_t{width} * height > kMaxMaskSurfacePixels) return std::nullopt;

  MaskSurface surface(width, height);
  surface.colours_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    const std::int64_t dy = std::int64_t{y} - bounds.top;
    if (dy < 0 || dy >= height) continue;
    const int sy = NearestSource(dy, mask.height, height);
    for (int x = 0; x < width; ++x) {
      const std::int64_t dx = std::int64_t{x} - bounds.left;
      if (dx < 0 || dx >= width) continue;
      const int sx = NearestSource(dx, mask.width, width);
      surface.colours_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)] = mask.ColourAt(sx, sy);
    }
  }
  return surface;
}

std::int32_t MaskSurface::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColour;
  return static_cast<std::int32_t>(
      colours_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x)]);
}

std::int32_t GetMaskPixel(const MaskSurface* surface, std::int16_t x, std::int16_t y) {
  if (surface == nullptr) return kInvalidColour;
  return surface->Pixel(x, y);
}

std::int16_t StateAtMaskPoint(const StateTable& table, const DrawingBounds& bounds, std::int16_t x,
                              std::int16_t y, std::int32_t maskColour) {
  const int width = bounds.Width();
  const int height = bounds.Height();
  // Zero is the documented case; negative sizes (bounds given upside down) have no
  // sensible scale either.
  if (width <= 0 || height <= 0) return 0;
  const std::int16_t mx = TruncateTo16(static_cast<double>(kMapWidth) / width * x);
  const std::int16_t my = TruncateTo16(static_cast<double>(kMapHeight) / height * y);
  for (std::size_t id = 1; id < table.size(); ++id) {
    const StateEntry& entry = table[id];
    if (entry.rect.Holds(mx, my) && static_cast<std::int32_t>(entry.colour) == maskColour) {
      return static_cast<std::int16_t>(id);
    }
  }
  return 0;
}

std::int16_t GetStateId(const StateTable& table, const DrawingBounds& bounds,
                        const MaskSurface* surface, std::int16_t x, std::int16_t y) {
  if (bounds.Width() <= 0 || bounds.Height() <= 0) return 0;
  return StateAtMaskPoint(table, bounds, x, y, GetMaskPixel(surface, x, y));
}

std::string GetStateName(const StateTable& table, std::int16_t stateId) {
  if (stateId < 1 || stateId > kStateCount) return {};
  return table[static_cast<std::size_t>(stateId)].name;
}
