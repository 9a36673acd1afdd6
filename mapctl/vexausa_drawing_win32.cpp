// The map control's drawing: its pictures, the reference colours read from the strip,
// the map stretched over the control, and the mask surface the hit test reads.
#include "vexausa_ctrl_win32.h"

#include "resource.h"

namespace {

// The standard colour surface of the screen, as the reference colours and the mask
// are both read through one (so that a mask pixel and its colour compare equal).
class ScreenMemorySurface {
 public:
  ScreenMemorySurface() : dc_(CreateCompatibleDC(nullptr)) {}
  ~ScreenMemorySurface() {
    if (old_ != nullptr) SelectObject(dc_, old_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  ScreenMemorySurface(const ScreenMemorySurface&) = delete;
  ScreenMemorySurface& operator=(const ScreenMemorySurface&) = delete;

  bool Select(HBITMAP bitmap) {
    if (dc_ == nullptr || bitmap == nullptr) return false;
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (previous == nullptr) return false;
    if (old_ == nullptr) old_ = previous;
    return true;
  }
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

HBITMAP LoadPicture(int id) {
  return static_cast<HBITMAP>(LoadImageW(g_server_module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

// Step 3 of construction: the reference colours come out of the strip picture through a
// memory surface compatible with the screen, never from constants.
StateTable BuildStateTable() {
  ReferenceColours colours{};
  HBITMAP strip = LoadPicture(IDB_COLOUR_STRIP);
  {
    ScreenMemorySurface surface;
    if (surface.Select(strip)) {
      for (int x = 0; x < kReferenceColourCount; ++x) {
        colours[static_cast<size_t>(x)] = static_cast<Colour>(GetPixel(surface.Dc(), x, 0));
      }
    }
  }
  if (strip != nullptr) DeleteObject(strip);
  return MakeStateTable(colours);
}

}  // namespace

void CVexausaCtrl::LoadPictures() {
  map_picture_ = LoadPicture(IDB_MAP);
  mask_picture_ = LoadPicture(IDB_MASK);
  table_ = BuildStateTable();
}

void CVexausaCtrl::OnDraw(HDC dc, const RECT& bounds) {
  if (size_reset_pending_) {
    size_reset_pending_ = false;
    SetControlSize(kMapWidth, kMapHeight);
    return;
  }
  last_bounds_ = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  if (auto_size_ && auto_size_pending_) {
    auto_size_pending_ = false;
    SetControlSize(kMapWidth, kMapHeight);
    last_bounds_ = {bounds.left, bounds.top, bounds.left + kMapWidth, bounds.top + kMapHeight};
  }
  if (AmbientUserMode()) RebuildMaskSurface(last_bounds_);

  if (map_picture_ == nullptr) return;
  ScreenMemorySurface map;
  if (!map.Select(map_picture_)) return;
  const int old_mode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, map.Dc(), 0, 0,
             kMapWidth, kMapHeight, SRCCOPY);
  if (old_mode != 0) SetStretchBltMode(dc, old_mode);
}

void CVexausaCtrl::RebuildMaskSurface(const DrawingBounds& bounds) {
  ReleaseMaskSurface();
  const int width = bounds.Width();
  const int height = bounds.Height();
  if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxMaskSurfacePixels) return;
  if (mask_picture_ == nullptr) return;
  // The surface is compatible with the screen rather than with the surface being drawn
  // on: a printer, a metafile or a monochrome memory surface would not keep the
  // reference colours, and the hit test compares them exactly.
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return;
  mask_dc_ = CreateCompatibleDC(screen);
  mask_bitmap_ = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (mask_dc_ == nullptr || mask_bitmap_ == nullptr) {
    ReleaseMaskSurface();
    return;
  }
  mask_dc_old_bitmap_ = SelectObject(mask_dc_, mask_bitmap_);
  ScreenMemorySurface mask;
  if (!mask.Select(mask_picture_)) return;
  SetStretchBltMode(mask_dc_, COLORONCOLOR);
  StretchBlt(mask_dc_, bounds.left, bounds.top, width, height, mask.Dc(), 0, 0, kMapWidth, kMapHeight, SRCCOPY);
}

void CVexausaCtrl::ReleaseMaskSurface() {
  if (mask_dc_ != nullptr) {
    if (mask_dc_old_bitmap_ != nullptr) SelectObject(mask_dc_, mask_dc_old_bitmap_);
    DeleteDC(mask_dc_);
  }
  if (mask_bitmap_ != nullptr) DeleteObject(mask_bitmap_);
  mask_dc_ = nullptr;
  mask_bitmap_ = nullptr;
  mask_dc_old_bitmap_ = nullptr;
}

void CVexausaCtrl::InvalidateControl() {
  if (window_ != nullptr) {
    InvalidateRect(window_, nullptr, FALSE);
  } else if (view_sink_) {
    view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
  }
}
