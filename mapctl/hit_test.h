// Which state lies under a point of the control's window.
//
// Every drawing in run mode stretches the mask picture to the drawing's size once, into
// the mask surface; a mouse event then costs one pixel read and at most 50 rectangle and
// colour comparisons. The pixel's colour alone is ambiguous (states share colours), so
// the point is also scaled back to mask coordinates and must lie in the state's
// rectangle: the first entry whose rectangle holds the point and whose colour equals
// the pixel is the state.
//
// The mask surface here is a portable one (nearest-neighbour sampling, pixels held as
// colour values); the Windows control keeps the same rule with a GDI memory surface and
// passes the colour it reads to StateAtMaskPoint.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bitmap.h"
#include "state_table.h"

// The rectangle of the last drawing, in window coordinates.
struct DrawingBounds {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// The platform's invalid-colour value: what a pixel read outside a surface returns.
inline constexpr std::int32_t kInvalidColour = -1;

// Surfaces beyond this many pixels are not made (a drawing that large has no mask
// surface, so its points find no state).
inline constexpr std::int64_t kMaxMaskSurfacePixels = 64ll * 1024 * 1024;

class MaskSurface {
 public:
  // A surface of the bounds' width and height, black, into which the whole mask is
  // stretched at the bounds' left and top with the bounds' width and height, each
  // surface pixel taking the mask pixel nearest to its centre. Nothing for empty or
  // oversized bounds.
  static std::optional<MaskSurface> Stretch(const Bitmap4& mask, const DrawingBounds& bounds);

  // The colour of pixel (x, y), or kInvalidColour outside the surface.
  std::int32_t Pixel(int x, int y) const;

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  MaskSurface(int width, int height) : width_(width), height_(height) {}

  int width_;
  int height_;
  std::vector<Colour> colours_;
};

// GetMaskPixel: -1 when there is no surface yet, otherwise the surface's pixel.
std::int32_t GetMaskPixel(const MaskSurface* surface, std::int16_t x, std::int16_t y);

// Steps 1 and 3 to 5 of the hit test for a point whose mask surface pixel has colour
// `maskColour`: 0 when the bounds are empty or no entry matches.
std::int16_t StateAtMaskPoint(const StateTable& table, const DrawingBounds& bounds, std::int16_t x,
                              std::int16_t y, std::int32_t maskColour);

// GetStateId: the state under window point (x, y), or 0.
std::int16_t GetStateId(const StateTable& table, const DrawingBounds& bounds,
                        const MaskSurface* surface, std::int16_t x, std::int16_t y);

// GetStateName: the entry's name for 1 to 50, otherwise "".
std::string GetStateName(const StateTable& table, std::int16_t stateId);
