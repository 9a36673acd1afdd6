// Acme Paint: the small Windows program that the demo and the end-to-end tests package and
// install. It shows a window with a greeting; started with "/record FILE" it writes its
// own command line to FILE and ends at once, so a test can see how it was started.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const char* text = "Acme Paint is installed.";
    TextOutA(dc, 20, 20, text, static_cast<int>(std::strlen(text)));
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

int RecordCommandLine(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* command = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, command, static_cast<DWORD>(std::strlen(command)), &written, nullptr);
  CloseHandle(file);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (__argc == 3 && std::strcmp(__argv[1], "/record") == 0) return RecordCommandLine(__argv[2]);

  WNDCLASSA window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = "AcmePaint";
  RegisterClassA(&window_class);
  HWND window = CreateWindowA("AcmePaint", "Acme Paint", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 200,
                              nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
