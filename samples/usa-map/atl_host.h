// The control-hosting functions of the system's atl.dll, looked up at run time (the
// 32-bit compiler ships no import library for it, and a program should run, and say so,
// where it is missing).
#pragma once

#include <windows.h>
#include <ole2.h>

struct AtlHost {
  using WinInit = BOOL(WINAPI*)();
  using GetControl = HRESULT(WINAPI*)(HWND window, IUnknown** control);
  using CreateControl = HRESULT(WINAPI*)(LPCOLESTR name, HWND window, IStream* stream, IUnknown** container);

  WinInit AtlAxWinInit = nullptr;
  GetControl AtlAxGetControl = nullptr;
  CreateControl AtlAxCreateControl = nullptr;

  // False when atl.dll or one of the functions is missing.
  bool Load() {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    if (atl == nullptr) return false;
    AtlAxWinInit = reinterpret_cast<WinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    AtlAxGetControl = reinterpret_cast<GetControl>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    AtlAxCreateControl =
        reinterpret_cast<CreateControl>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxCreateControl")));
    return AtlAxWinInit != nullptr && AtlAxGetControl != nullptr && AtlAxCreateControl != nullptr;
  }
};
