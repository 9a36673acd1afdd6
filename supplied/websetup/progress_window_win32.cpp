#include "progress_window.h"

#include <commctrl.h>

#include "progress_text.h"
#include "restart.h"
#include "system_function.h"
#include "win32_handles.h"

namespace {

constexpr const char* kWindowClass = "VexaStandAloneWebProgWindow";
constexpr UINT kWorkDoneMessage = WM_APP + 1;
constexpr UINT_PTR kRefreshTimer = 1;

class Lock {
 public:
  explicit Lock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~Lock() { LeaveCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

}  // namespace

ProgressWindow::ProgressWindow() { InitializeCriticalSection(&lock_); }

ProgressWindow::~ProgressWindow() {
  if (font_) DeleteObject(font_);
  DeleteCriticalSection(&lock_);
}

void ProgressWindow::SetTitle(const std::string& title) {
  Lock lock(lock_);
  title_ = title;
}

void ProgressWindow::SetCurrentFile(const std::string& text) {
  Lock lock(lock_);
  file_ = text;
  done_ = total_ = 0;
  file_start_tick_ = 0;
}

void ProgressWindow::DisableCancel() {
  Lock lock(lock_);
  cancel_enabled_ = false;
}

void ProgressWindow::Progress(std::uint64_t done, std::uint64_t total) {
  Lock lock(lock_);
  if (file_start_tick_ == 0) {
    file_start_tick_ = GetTickCount64();
    file_start_done_ = done;
  }
  done_ = done;
  total_ = total;
}

void ProgressWindow::Refresh() {
  std::string title, file, bytes;
  int permille = 0;
  bool cancel_enabled = true;
  {
    Lock lock(lock_);
    title = title_;
    file = file_;
    cancel_enabled = cancel_enabled_;
    if (file_start_tick_ != 0) {
      bytes = ProgressText(done_, total_, done_ - file_start_done_, GetTickCount64() - file_start_tick_);
      permille = ProgressPermille(done_, total_);
    }
  }
  SetWindowTextA(window_, title.c_str());
  SetWindowTextA(file_label_, file.c_str());
  SetWindowTextA(bytes_label_, bytes.c_str());
  SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
  EnableWindow(cancel_button_, cancel_enabled && !cancel_.load());
}

LRESULT CALLBACK ProgressWindow::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_TIMER:
      if (self) self->Refresh();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL && self && self->cancel_enabled_) {
        self->cancel_.store(true);
        self->Refresh();
      }
      return 0;
    case WM_CLOSE:
      // Closing the window is Cancel; the window goes when the run has stopped.
      if (self && self->cancel_enabled_) self->cancel_.store(true);
      return 0;
    case kWorkDoneMessage:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

DWORD WINAPI ProgressWindow::Worker(LPVOID parameter) {
  auto* self = static_cast<ProgressWindow*>(parameter);
  (*self->work_)();
  PostMessageA(self->window_, kWorkDoneMessage, 0, 0);
  return 0;
}

void ProgressWindow::Create(HINSTANCE instance) {
  // The common controls (the progress bar) come from the system directory, in the
  // version the manifest asks for, when the window is made.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (HMODULE common_controls = LoadSystemLibrary("comctl32.dll")) {
    BOOL(WINAPI * initialize)(const INITCOMMONCONTROLSEX*) = nullptr;
    LookUp(common_controls, "InitCommonControlsEx", initialize);
    if (initialize) initialize(&controls);
  }
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  RegisterClassA(&window_class);

  // Sizes in pixels at 96 dots per inch, scaled to the screen's.
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) font_ = CreateFontIndirectA(&metrics.lfMessageFont);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, scaled(460), scaled(132)};
  AdjustWindowRect(&frame, style, FALSE);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  window_ = CreateWindowExA(0, kWindowClass, title_.c_str(), style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                            (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance,
                            nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  auto child = [&](const char* window_class_name, DWORD child_style, int x, int y, int w, int h, int id,
                   const char* text) {
    HWND control = CreateWindowExA(0, window_class_name, text, WS_CHILD | WS_VISIBLE | child_style, scaled(x),
                                   scaled(y), scaled(w), scaled(h), window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (font_) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    return control;
  };
  file_label_ = child("STATIC", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 14, 14, 432, 18, 101, "Connecting...");
  bar_ = child(PROGRESS_CLASSA, 0, 14, 38, 432, 18, 102, "");
  SendMessageA(bar_, PBM_SETRANGE32, 0, 1000);
  bytes_label_ = child("STATIC", SS_LEFTNOWORDWRAP, 14, 62, 432, 18, 103, "");
  cancel_button_ = child("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 356, 92, 90, 26, IDCANCEL, "Cancel");
  ShowWindow(window_, SW_SHOW);
  SetTimer(window_, kRefreshTimer, 200, nullptr);
}

void ProgressWindow::Run(HINSTANCE instance, const std::function<void()>& work) {
  work_ = &work;
  Create(instance);
  const UniqueHandle thread(CreateThread(nullptr, 0, Worker, this, 0, nullptr));
  if (!thread) {
    work();
    DestroyWindow(window_);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  if (thread) WaitForSingleObject(thread.get(), INFINITE);
}

void ShowRunOutcome(const WebSetupOutcome& outcome, const char* title, const LogFile& log) {
  if (outcome.exit_status != kExitCancelled && !outcome.message.empty())
    MessageBoxA(nullptr, outcome.message.c_str(), title, MB_OK | MB_ICONERROR);
  // A component in use is replaced at the next boot: the user is asked, as Setup.exe asks
  // for its own.
  if (outcome.restart_needed) {
    const bool now = MessageBoxA(nullptr, kRestartQuestion, title, MB_YESNO | MB_ICONQUESTION) == IDYES;
    log.Append(std::string("Question: ") + kRestartQuestion + (now ? " -> Yes" : " -> No"));
    if (now) RestartComputer();
  }
}
