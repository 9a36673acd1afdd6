// The About box of the control (dialog 100), shown modally by its AboutBox method.
#pragma once

#include <windows.h>

void ShowAboutBox(HWND owner);
