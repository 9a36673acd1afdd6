// dialog_driver PROGRAM [ARGS...] -- STEP...
// Starts PROGRAM and drives its dialogs as a user would, one step after the other,
// printing what it reads:
//   window:CAPTION   wait for the program's dialog with this caption (the main window)
//   text:ID          print "ID=<text of control ID>" of the main window
//   visible:ID       print "ID visible" or "ID hidden"
//   enabled:ID       print "ID enabled" or "ID disabled"
//   click:ID         press button ID of the main window
//   box              wait for a message box of the program, print "box=<its text>"
//   answer:ID        press button ID (1 OK, 6 Yes, 7 No) of that message box, wait until
//                    it closes
//   dialog:CAPTION   wait for another dialog of the program with this caption (it becomes
//                    the box of the steps below)
//   boxtext:ID       print "ID=<text of control ID>" of the box
//   boxset:ID=TEXT   set the text of control ID of the box
//   boxpress:ID      press button ID of the box without waiting
//   boxpick:ID=TEXT  in list or drop-down list ID of the box, double-click (list) or select
//                    (drop-down) the entry TEXT, ignoring case
//   sleep:MS         wait MS milliseconds
//   key:KEY          press KEY (enter, tab, esc, or alt+LETTER) in the main window, as the
//                    keyboard would: to the control that has the focus
//   focus            print "focus=<ID of the control that has the focus>"
//   size             print "size=<width>x<height>" of the main window in pixels
//   mouse:ID=KIND@X,Y  the mouse at point X,Y of control ID of the main window: KIND is
//                    move, ldown, lup, rdown or rup; the message goes to the window under
//                    the point (a control hosted inside ID gets it in its own coordinates)
//   close            close the main window as its title-bar button or system menu would
//   shot:FILE        save the screen as a BMP file
//   exit             wait for the program to end, print "exit=<status>"
// Each wait gives up after 30 seconds; the driver then prints "timeout at STEP", ends the
// program and exits with 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 30000;

struct Driver {
  PROCESS_INFORMATION process{};
  HWND main = nullptr;
  HWND box = nullptr;
};

std::string Quote(const std::string& arg) {
  return arg.find_first_of(" \t") == std::string::npos ? arg : "\"" + arg + "\"";
}

struct FindContext {
  DWORD process_id;
  HWND skip;
  const char* caption;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto& context = *reinterpret_cast<FindContext*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != context.process_id || window == context.skip || !IsWindowVisible(window)) return TRUE;
  char class_name[16] = {};
  GetClassNameA(window, class_name, sizeof class_name);
  if (std::string(class_name) != "#32770") return TRUE;
  if (context.caption) {
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::string(caption) != context.caption) return TRUE;
  }
  context.found = window;
  return FALSE;
}

HWND WaitForDialog(const Driver& driver, HWND skip, const char* caption) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWaitMs) {
    FindContext context{driver.process.dwProcessId, skip, caption, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&context));
    if (context.found) return context.found;
    if (WaitForSingleObject(driver.process.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
    Sleep(50);
  }
  return nullptr;
}

// A control's text on one line: CR and LF become "|".
std::string ControlText(HWND dialog, int id) {
  char buffer[16384] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  std::string text = buffer;
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = '|';
  }
  return text;
}

bool SaveScreenshot(const std::string& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  std::vector<char> pixels(static_cast<std::size_t>(row) * static_cast<std::size_t>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file_header{};
  file_header.bfType = 0x4D42;
  file_header.bfOffBits = sizeof file_header + sizeof header;
  file_header.bfSize = file_header.bfOffBits + static_cast<DWORD>(pixels.size());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fwrite(&file_header, sizeof file_header, 1, file);
  std::fwrite(&header, sizeof header, 1, file);
  std::fwrite(pixels.data(), 1, pixels.size(), file);
  return std::fclose(file) == 0;
}

// The deepest visible child of `window` under `point` (client coordinates of `window`,
// changed into those of the child found).
HWND WindowUnder(HWND window, POINT& point) {
  for (;;) {
    HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE);
    if (child == nullptr || child == window) return window;
    MapWindowPoints(window, child, &point, 1);
    window = child;
  }
}

bool PostMouse(HWND control, const std::string& spec) {
  const std::size_t at = spec.find('@');
  const std::size_t comma = spec.find(',', at);
  if (control == nullptr || at == std::string::npos || comma == std::string::npos) return false;
  const std::string kind = spec.substr(0, at);
  POINT point{std::atoi(spec.substr(at + 1).c_str()), std::atoi(spec.substr(comma + 1).c_str())};
  UINT message = 0;
  WPARAM keys = 0;
  if (kind == "move") {
    message = WM_MOUSEMOVE;
  } else if (kind == "ldown") {
    message = WM_LBUTTONDOWN;
    keys = MK_LBUTTON;
  } else if (kind == "lup") {
    message = WM_LBUTTONUP;
  } else if (kind == "rdown") {
    message = WM_RBUTTONDOWN;
    keys = MK_RBUTTON;
  } else if (kind == "rup") {
    message = WM_RBUTTONUP;
  } else {
    return false;
  }
  HWND target = WindowUnder(control, point);
  // The pointer itself goes there too, so that the moves the system makes of its own
  // from the real pointer agree with the posted ones.
  POINT on_screen = point;
  ClientToScreen(target, &on_screen);
  SetCursorPos(on_screen.x, on_screen.y);
  PostMessageA(target, message, keys, MAKELPARAM(point.x, point.y));
  return true;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// Bits 30 and 31 of a key-up message (previous key state, transition state). LPARAM is
// 32 bits wide in a 32-bit program: the bits are built unsigned and converted once.
const LPARAM kKeyUpBits = static_cast<LPARAM>(static_cast<ULONG_PTR>(3u) << 30);

void PressKey(HWND window, const std::string& key) {
  HWND target = FocusOf(window);
  if (!target) target = window;
  if (key.rfind("alt+", 0) == 0 && key.size() == 5) {
    const char letter = key[4];
    const UINT code = static_cast<UINT>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    constexpr LPARAM kAltDown = 1 << 29;
    PostMessageA(target, WM_SYSKEYDOWN, code, kAltDown | 1);
    PostMessageA(target, WM_SYSCHAR, static_cast<WPARAM>(letter), kAltDown | 1);
    PostMessageA(target, WM_SYSKEYUP, code, kAltDown | kKeyUpBits | 1);
    return;
  }
  const WPARAM code = key == "enter" ? VK_RETURN : key == "esc" ? VK_ESCAPE : VK_TAB;
  PostMessageA(target, WM_KEYDOWN, code, 1);
  PostMessageA(target, WM_KEYUP, code, kKeyUpBits | 1);
}

bool RunStep(Driver& driver, const std::string& step) {
  const std::size_t colon = step.find(':');
  const std::string verb = step.substr(0, colon);
  const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
  const int id = std::atoi(value.c_str());
  if (verb == "window") {
    driver.main = WaitForDialog(driver, nullptr, value.c_str());
    return driver.main != nullptr;
  }
  if (verb == "text") {
    std::printf("%d=%s\n", id, ControlText(driver.main, id).c_str());
  } else if (verb == "visible") {
    std::printf("%d %s\n", id, IsWindowVisible(GetDlgItem(driver.main, id)) ? "visible" : "hidden");
  } else if (verb == "enabled") {
    std::printf("%d %s\n", id, IsWindowEnabled(GetDlgItem(driver.main, id)) ? "enabled" : "disabled");
  } else if (verb == "click") {
    // Posted, not sent: the click may open a modal box that would block a sent message.
    PostMessageA(GetDlgItem(driver.main, id), BM_CLICK, 0, 0);
  } else if (verb == "box") {
    driver.box = WaitForDialog(driver, driver.main, nullptr);
    if (!driver.box) return false;
    std::printf("box=%s\n", ControlText(driver.box, 0xFFFF).c_str());
  } else if (verb == "answer") {
    PostMessageA(GetDlgItem(driver.box, id), BM_CLICK, 0, 0);
    const DWORD start = GetTickCount();
    while (IsWindow(driver.box) && GetTickCount() - start < kWaitMs) Sleep(20);
  } else if (verb == "dialog") {
    driver.box = WaitForDialog(driver, driver.main, value.c_str());
    if (!driver.box) return false;
  } else if (verb == "boxtext") {
    std::printf("%d=%s\n", id, ControlText(driver.box, id).c_str());
  } else if (verb == "boxset") {
    const std::size_t equals = value.find('=');
    SetDlgItemTextA(driver.box, id, equals == std::string::npos ? "" : value.substr(equals + 1).c_str());
  } else if (verb == "boxpick") {
    const std::size_t equals = value.find('=');
    const std::string entry = equals == std::string::npos ? "" : value.substr(equals + 1);
    HWND list = GetDlgItem(driver.box, id);
    char class_name[16] = {};
    GetClassNameA(list, class_name, sizeof class_name);
    const bool combo = std::string(class_name) == "ComboBox";
    const LRESULT index = SendMessageA(list, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(entry.c_str()));
    if (index < 0) {
      std::printf("no entry %s in %d\n", entry.c_str(), id);
      return false;
    }
    SendMessageA(list, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    const WORD notification = combo ? CBN_SELCHANGE : LBN_DBLCLK;
    SendMessageA(driver.box, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(list));
  } else if (verb == "boxpress") {
    PostMessageA(GetDlgItem(driver.box, id), BM_CLICK, 0, 0);
  } else if (verb == "close") {
    PostMessageA(driver.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    Sleep(200);
  } else if (verb == "key") {
    PressKey(driver.main, value);
    Sleep(200);
  } else if (verb == "size") {
    RECT rect{};
    GetWindowRect(driver.main, &rect);
    std::printf("size=%ldx%ld\n", rect.right - rect.left, rect.bottom - rect.top);
  } else if (verb == "focus") {
    std::printf("focus=%d\n", GetDlgCtrlID(FocusOf(driver.main)));
  } else if (verb == "mouse") {
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos || !PostMouse(GetDlgItem(driver.main, id), value.substr(equals + 1))) {
      std::fprintf(stderr, "bad mouse step %s\n", step.c_str());
      return false;
    }
    Sleep(100);
  } else if (verb == "sleep") {
    Sleep(static_cast<DWORD>(id));
  } else if (verb == "shot") {
    Sleep(300);  // let the window finish painting
    return SaveScreenshot(value);
  } else if (verb == "exit") {
    if (WaitForSingleObject(driver.process.hProcess, kWaitMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(driver.process.hProcess, &code);
    std::printf("exit=%lu\n", static_cast<unsigned long>(code));
  } else {
    std::fprintf(stderr, "unknown step %s\n", step.c_str());
    return false;
  }
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int separator = 1;
  while (separator < argc && std::string(argv[separator]) != "--") ++separator;
  if (separator < 2 || separator >= argc) {
    std::fprintf(stderr, "usage: dialog_driver PROGRAM [ARGS...] -- STEP...\n");
    return 2;
  }
  std::string command;
  for (int i = 1; i < separator; ++i) command += (i > 1 ? " " : "") + Quote(argv[i]);

  Driver driver;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &driver.process)) {
    std::fprintf(stderr, "cannot start %s\n", command.c_str());
    return 2;
  }
  for (int i = separator + 1; i < argc; ++i) {
    if (!RunStep(driver, argv[i])) {
      std::printf("timeout at %s\n", argv[i]);
      TerminateProcess(driver.process.hProcess, 1);
      return 1;
    }
  }
  CloseHandle(driver.process.hThread);
  CloseHandle(driver.process.hProcess);
  return 0;
}
