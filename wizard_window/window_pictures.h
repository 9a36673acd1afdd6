// The pictures the wizard window draws itself: the program group tree's images and the logo.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// Images of `size` pixels square for the tree: index 0 unused, 1 a group (the model's image
// 2), 2 a shortcut (image 3).
HIMAGELIST MakeProgramGroupImages(int size);
// The logo beside the Introduction, Final Step and Working panels.
void PaintLogo(HDC dc, const RECT& area, HFONT title_font, const std::string& title);
