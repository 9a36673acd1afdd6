// The control-hosting functions of the system's atl.dll (the compiler ships their import
// library, not a header).
#pragma once

#include <windows.h>
#include <ole2.h>

extern "C" {
BOOL WINAPI AtlAxWinInit();
HRESULT WINAPI AtlAxGetControl(HWND window, IUnknown** control);
HRESULT WINAPI AtlAxCreateControl(LPCOLESTR name, HWND window, IStream* stream, IUnknown** container);
}
