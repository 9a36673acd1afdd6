#include "window_pictures.h"

namespace {

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  RECT area{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

void Frame(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  RECT area{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FrameRect(dc, &area, brush);
  DeleteObject(brush);
}

// A folder: a tab and a body, in yellow with a brown outline.
void DrawGroup(HDC dc, int size) {
  const int unit = size / 16 > 0 ? size / 16 : 1;
  Fill(dc, 1 * unit, 3 * unit, 7 * unit, 5 * unit, RGB(230, 180, 60));
  Fill(dc, 1 * unit, 5 * unit, 15 * unit, 14 * unit, RGB(250, 210, 90));
  Frame(dc, 1 * unit, 5 * unit, 15 * unit, 14 * unit, RGB(150, 100, 20));
}

// A shortcut: a page with a folded corner and the link arrow in its lower corner.
void DrawShortcut(HDC dc, int size) {
  const int unit = size / 16 > 0 ? size / 16 : 1;
  Fill(dc, 3 * unit, 1 * unit, 13 * unit, 15 * unit, RGB(255, 255, 255));
  Frame(dc, 3 * unit, 1 * unit, 13 * unit, 15 * unit, RGB(90, 90, 90));
  Fill(dc, 10 * unit, 1 * unit, 13 * unit, 4 * unit, RGB(200, 200, 200));
  Fill(dc, 1 * unit, 9 * unit, 8 * unit, 16 * unit, RGB(255, 255, 255));
  Frame(dc, 1 * unit, 9 * unit, 8 * unit, 16 * unit, RGB(40, 40, 40));
  HPEN pen = CreatePen(PS_SOLID, unit, RGB(0, 70, 200));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 2 * unit, 15 * unit, nullptr);
  LineTo(dc, 6 * unit, 11 * unit);
  LineTo(dc, 3 * unit, 11 * unit);
  MoveToEx(dc, 6 * unit, 11 * unit, nullptr);
  LineTo(dc, 6 * unit, 14 * unit);
  SelectObject(dc, old);
  DeleteObject(pen);
}

HBITMAP Picture(HDC screen, int size, void (*draw)(HDC, int), COLORREF background) {
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  Fill(dc, 0, 0, size, size, background);
  if (draw) draw(dc, size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

}  // namespace

HIMAGELIST MakeProgramGroupImages(int size) {
  constexpr COLORREF kMask = RGB(255, 0, 255);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 3, 0);
  HDC screen = GetDC(nullptr);
  for (void (*draw)(HDC, int) : {static_cast<void (*)(HDC, int)>(nullptr), &DrawGroup, &DrawShortcut}) {
    HBITMAP bitmap = Picture(screen, size, draw, kMask);
    ImageList_AddMasked(images, bitmap, kMask);
    DeleteObject(bitmap);
  }
  ReleaseDC(nullptr, screen);
  return images;
}

void PaintLogo(HDC dc, const RECT& area, HFONT title_font, const std::string& title) {
  const int height = area.bottom - area.top;
  for (int band = 0; band < 32; ++band) {
    const int top = area.top + height * band / 32;
    const int bottom = area.top + height * (band + 1) / 32;
    Fill(dc, area.left, top, area.right, bottom, RGB(20 + band * 2, 50 + band * 3, 110 + band * 3));
  }
  // A star of eight rays over the title: the web the wizard spins.
  const int centre_x = (area.left + area.right) / 2;
  const int centre_y = area.top + height / 4;
  const int radius = (area.right - area.left) / 4;
  HPEN pen = CreatePen(PS_SOLID, radius / 12 > 0 ? radius / 12 : 1, RGB(242, 193, 78));
  HGDIOBJ old_pen = SelectObject(dc, pen);
  static constexpr int kRays[8][2] = {{0, -100}, {71, -71}, {100, 0}, {71, 71}, {0, 100}, {-71, 71}, {-100, 0}, {-71, -71}};
  for (const auto& ray : kRays) {
    MoveToEx(dc, centre_x, centre_y, nullptr);
    LineTo(dc, centre_x + ray[0] * radius / 100, centre_y + ray[1] * radius / 100);
  }
  for (int ring = 1; ring <= 3; ++ring) {
    const int r = radius * ring / 3;
    MoveToEx(dc, centre_x + kRays[0][0] * r / 100, centre_y + kRays[0][1] * r / 100, nullptr);
    for (int i = 1; i <= 8; ++i) LineTo(dc, centre_x + kRays[i % 8][0] * r / 100, centre_y + kRays[i % 8][1] * r / 100);
  }
  SelectObject(dc, old_pen);
  DeleteObject(pen);
  RECT text = {area.left + 8, centre_y + radius + 16, area.right - 8, area.bottom - 8};
  HGDIOBJ old_font = SelectObject(dc, title_font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old_font);
}
