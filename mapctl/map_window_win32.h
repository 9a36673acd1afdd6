// The window of the control while it is active in place: a child of the container's
// window that hands every message to its owner, the control object.
#pragma once

#include <windows.h>

class MapWindowOwner {
 public:
  virtual LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;

 protected:
  ~MapWindowOwner() = default;
};

// A visible child window of `parent` at `rect`, or nullptr.
HWND CreateMapWindow(HWND parent, const RECT& rect, MapWindowOwner* owner);

// The window class is the server's; it goes when the server is unloaded.
void UnregisterMapWindowClass();
