// The committed pictures read the way the Windows control reads them: loaded as
// display-compatible bitmaps, selected into memory surfaces and read with GetPixel, the
// mask stretched with StretchBlt. The reference colours read from the strip must equal
// the mask's state colours read the same way, at every size the control may draw.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "hit_test.h"
#include "map_pictures.h"

namespace {

// A bitmap selected into a memory surface compatible with the screen.
class MemorySurface {
 public:
  explicit MemorySurface(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)), bitmap_(bitmap) {
    if (dc_ != nullptr && bitmap_ != nullptr) old_ = SelectObject(dc_, bitmap_);
  }
  ~MemorySurface() {
    if (old_ != nullptr) SelectObject(dc_, old_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;

  bool Ready() const { return old_ != nullptr; }
  HDC Dc() const { return dc_; }
  std::int32_t Pixel(int x, int y) const {
    const COLORREF c = GetPixel(dc_, x, y);
    return c == CLR_INVALID ? -1 : static_cast<std::int32_t>(c);
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_ = nullptr;
};

HBITMAP LoadPicture(const std::string& relative) {
  return static_cast<HBITMAP>(
      LoadImageA(nullptr, SourcePath(relative).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

TEST(GdiPicturesTest, StripColoursReadThroughGdiIdentifyEveryStateAtNaturalAndDoubleSize) {
  MemorySurface strip(LoadPicture("mapctl/res/colours.bmp"));
  MemorySurface mask(LoadPicture("mapctl/res/usamask.bmp"));
  ASSERT_TRUE(strip.Ready());
  ASSERT_TRUE(mask.Ready());

  ReferenceColours colours{};
  for (int x = 0; x < kReferenceColourCount; ++x) {
    colours[static_cast<std::size_t>(x)] = static_cast<Colour>(GetPixel(strip.Dc(), x, 0));
  }
  const StateTable table = MakeStateTable(colours);
  // GDI reports the same colour values as the portable reader.
  EXPECT_EQ(table[43].colour, CommittedPictures().table[43].colour);

  const DrawingBounds natural{0, 0, kMapWidth, kMapHeight};
  for (const StatePoint& p : kStatePoints) {
    EXPECT_EQ(StateAtMaskPoint(table, natural, static_cast<std::int16_t>(p.x),
                               static_cast<std::int16_t>(p.y), mask.Pixel(p.x, p.y)),
              p.id)
        << table[static_cast<std::size_t>(p.id)].name;
  }

  // The control's run-mode drawing: the whole mask stretched into a surface of the
  // drawing's size with a plain copy.
  const DrawingBounds twice{0, 0, 2 * kMapWidth, 2 * kMapHeight};
  HDC screen = GetDC(nullptr);
  MemorySurface stretched(CreateCompatibleBitmap(screen, twice.Width(), twice.Height()));
  ReleaseDC(nullptr, screen);
  ASSERT_TRUE(stretched.Ready());
  ASSERT_TRUE(StretchBlt(stretched.Dc(), 0, 0, twice.Width(), twice.Height(), mask.Dc(), 0, 0,
                         kMapWidth, kMapHeight, SRCCOPY));
  for (const StatePoint& p : kStatePoints) {
    const int x = 2 * p.x, y = 2 * p.y;
    EXPECT_EQ(StateAtMaskPoint(table, twice, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                               stretched.Pixel(x, y)),
              p.id)
        << table[static_cast<std::size_t>(p.id)].name;
  }
  EXPECT_EQ(stretched.Pixel(twice.Width(), 0), -1);
}

}  // namespace
