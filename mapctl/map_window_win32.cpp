#include "map_window_win32.h"

#include "com_support_win32.h"

namespace {

constexpr wchar_t kClassName[] = L"VexausaMapWindow";
bool g_registered = false;

LRESULT CALLBACK MapWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<MapWindowOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (owner == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  // The owner's handlers run container code (event sinks); nothing they throw may
  // unwind into the system's message dispatch.
  try {
    return owner->OnWindowMessage(window, message, wparam, lparam);
  } catch (...) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
}

bool RegisterMapWindowClass() {
  if (g_registered) return true;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = MapWindowProc;
  window_class.hInstance = g_server_module;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.lpszClassName = kClassName;
  g_registered = RegisterClassW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return g_registered;
}

}  // namespace

HWND CreateMapWindow(HWND parent, const RECT& rect, MapWindowOwner* owner) {
  if (!RegisterMapWindowClass()) return nullptr;
  return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, g_server_module,
                         owner);
}

void UnregisterMapWindowClass() {
  if (!g_registered) return;
  UnregisterClassW(kClassName, g_server_module);
  g_registered = false;
}
