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
//   dialog:CAPTION   wait for another dialog of the program with this caption, or any
//                    with "dialog:" (it becomes the box of the steps below)
//   boxtext:ID       print "ID=<text of control ID>" of the box
//   boxset:ID=TEXT   set the text of control ID of the box
//   boxpress:ID      press button ID of the box without waiting
//   boxpick:ID=TEXT  in list or drop-down list ID of the box, double-click (list) or select
//                    (drop-down) the entry TEXT, ignoring case
//   sleep:MS         wait MS milliseconds
//   mark:NAME        print "mark=NAME": where a test's scenario begins, so that the test
//                    can read each scenario's lines apart
//   key:KEY          press KEY (enter, tab, esc or escape, delete, space, f2, insert, apps (the menu
//                    key), shift+f10, down, up, home, end, or alt+LETTER) in the main window, as the
//                    keyboard would: to the control that has the focus
//   focus            print "focus=<ID of the control that has the focus>"
//   size             print "size=<width>x<height>" of the main window in pixels
//   mouse:ID=KIND@X,Y  the mouse at point X,Y of control ID of the main window: KIND is
//                    move, ldown, lup, rdown or rup; the message goes to the window under
//                    the point (a control hosted inside ID gets it in its own coordinates)
//   close            close the main window as its title-bar button or system menu would
//   shot:FILE        save the screen as a BMP file
//   exit             wait for the program to end, print "exit=<status>"
// Controls of the main window may lie in child dialogs (the wizard's panels). For windows
// with lists, trees and menus (the wizard):
//   caption          print "caption=<main window caption>"
//   set:ID=TEXT      set the text of control ID of the main window, as typing would
//   checked:ID       print "ID checked" or "ID unchecked" of a check box
//   lines:ID         print "ID=<line|line|...>" of a list of the main window (a list that
//                    draws its lines itself prints its count: "ID count=N")
//   cursel:ID        print "ID cursel=N", the current line
//   tick:ID=N        click the check box of line N of list ID; pick:ID=N clicks the line's
//                    text; rclick:ID=N right-clicks it
//   menu:N           wait for a pop-up menu and choose its item N (0 = first, separators
//                    not counted) with the keyboard; menu:-1 closes it with Escape
//   tree:ID          print "ID=<item|-child|--grandchild...>" of tree ID, as shown
//   treepick:ID=TEXT select the item TEXT of tree ID; treerclick:ID=TEXT right-clicks it
//   treeedit:ID=TEXT wait for the in-place edit of tree ID, type TEXT and press Enter
//   browse:PATH      in the folder dialog of the program, open the folders of the Windows
//                    path PATH one by one, select the last one and press OK
//   boxfile:PATH     in the file dialog (the box), type PATH as the file name and press OK
//   boxkey:KEY       press KEY (as for key:) in the box, wait until it closes
//   waittext:ID=TEXT wait up to two minutes until control ID of the main window shows TEXT
//   waitfor:ID=TEXT  wait up to two minutes until the text of control ID contains TEXT
//   waitenabled:ID   wait up to two minutes until control ID of the main window is enabled
//   shotmain:FILE    save the main window (shotbox:FILE the box) as a BMP file
// Each wait gives up after 30 seconds; the driver then prints "timeout at STEP", ends the
// program and exits with 1.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
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

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<ChildSearch*>(parameter);
  if (GetDlgCtrlID(window) != search.id) return TRUE;
  search.found = window;
  return FALSE;
}

// Control `id` of `dialog`, also inside its child dialogs.
HWND Control(HWND dialog, int id) {
  if (HWND direct = GetDlgItem(dialog, id)) return direct;
  ChildSearch search{id, nullptr};
  EnumChildWindows(dialog, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A control's text on one line: CR and LF become "|". Sent as WM_GETTEXT: across
// processes GetWindowText returns only captions.
std::string ControlText(HWND dialog, int id) {
  static char buffer[65536];
  buffer[0] = '\0';
  SendMessageA(Control(dialog, id), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  std::string text = buffer;
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = '|';
  }
  return text;
}

// The screen, or the part of it that `window` covers.
bool SaveScreenshot(const std::string& path, HWND window = nullptr) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window) GetWindowRect(window, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
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

bool PostMouse(HWND control, const std::string& gesture) {
  const std::size_t at = gesture.find('@');
  const std::size_t comma = gesture.find(',', at);
  if (control == nullptr || at == std::string::npos || comma == std::string::npos) return false;
  const std::string kind = gesture.substr(0, at);
  POINT point{std::atoi(gesture.substr(at + 1).c_str()), std::atoi(gesture.substr(comma + 1).c_str())};
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
    constexpr LPARAM kAltDown = 1 << 29;
    // The character alone: the dialog manager acts on WM_SYSCHAR, and a posted
    // WM_SYSKEYDOWN would be translated into a second one by the program's message loop
    // (or, before the first real key, into none).
    PostMessageA(target, WM_SYSCHAR, static_cast<WPARAM>(letter), kAltDown | 1);
    return;
  }
  WPARAM code = VK_TAB;
  if (key == "enter") code = VK_RETURN;
  if (key == "esc" || key == "escape") code = VK_ESCAPE;
  if (key == "delete") code = VK_DELETE;
  if (key == "space") code = VK_SPACE;
  if (key == "f2") code = VK_F2;
  if (key == "insert") code = VK_INSERT;
  if (key == "apps") code = VK_APPS;
  if (key == "down") code = VK_DOWN;
  if (key == "up") code = VK_UP;
  if (key == "home") code = VK_HOME;
  if (key == "end") code = VK_END;
  if (key == "shift+f10") {
    // A posted key carries no Shift state: this one goes through the system's input, to
    // the window with the focus.
    SetForegroundWindow(window);
    INPUT keys[4]{};
    const WORD codes[4] = {VK_SHIFT, VK_F10, VK_F10, VK_SHIFT};
    for (int i = 0; i < 4; ++i) {
      keys[i].type = INPUT_KEYBOARD;
      keys[i].ki.wVk = codes[i];
      keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof keys[0]);
    return;
  }
  PostMessageA(target, WM_KEYDOWN, code, 1);
  PostMessageA(target, WM_KEYUP, code, kKeyUpBits | 1);
}


// --- Lists, trees, menus and the folder dialog of another process ---------------------

// A buffer in the driven process, for the messages whose argument is a pointer there.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, SIZE_T size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  char* address() const { return static_cast<char*>(address_); }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    return WriteProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    return ReadProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_;
  void* address_;
};

std::string TreeItemText(HANDLE process, HWND tree, HTREEITEM item) {
  constexpr SIZE_T kTextOffset = 512;
  constexpr int kTextSize = 1024;
  RemoteBuffer buffer(process, kTextOffset + kTextSize);
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = buffer.address() + kTextOffset;
  request.cchTextMax = kTextSize;
  buffer.Write(0, &request, sizeof request);
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(buffer.address()));
  char text[kTextSize] = {};
  buffer.Read(kTextOffset, text, sizeof text - 1);
  return text;
}

HTREEITEM TreeNext(HWND tree, HTREEITEM item, WPARAM relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The items of the tree in the order shown, each with its depth; expanded branches only.
std::vector<std::pair<HTREEITEM, int>> TreeItems(HWND tree) {
  std::vector<std::pair<HTREEITEM, int>> items;
  std::vector<std::pair<HTREEITEM, int>> pending;
  std::vector<HTREEITEM> roots;
  for (HTREEITEM root = TreeNext(tree, nullptr, TVGN_ROOT); root; root = TreeNext(tree, root, TVGN_NEXT)) {
    roots.push_back(root);
  }
  for (auto root = roots.rbegin(); root != roots.rend(); ++root) pending.emplace_back(*root, 0);
  while (!pending.empty()) {
    const auto [item, depth] = pending.back();
    pending.pop_back();
    items.emplace_back(item, depth);
    const bool expanded = (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
                           TVIS_EXPANDED) != 0;
    if (!expanded) continue;
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = TreeNext(tree, item, TVGN_CHILD); child; child = TreeNext(tree, child, TVGN_NEXT)) {
      children.push_back(child);
    }
    for (auto child = children.rbegin(); child != children.rend(); ++child) pending.emplace_back(*child, depth + 1);
  }
  return items;
}

HTREEITEM FindTreeItem(HANDLE process, HWND tree, const std::string& text) {
  for (const auto& [item, depth] : TreeItems(tree)) {
    if (TreeItemText(process, tree, item) == text) return item;
  }
  return nullptr;
}

// Moves the pointer over `point` of `window` and clicks there, as a hand on the mouse would.
void ClickAt(HWND window, POINT point, bool right) {
  POINT screen = point;
  ClientToScreen(window, &screen);
  SetCursorPos(screen.x, screen.y);
  const LPARAM at = MAKELPARAM(point.x, point.y);
  PostMessageA(window, WM_MOUSEMOVE, 0, at);
  PostMessageA(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  PostMessageA(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

void ClickTreeItem(HANDLE process, HWND tree, HTREEITEM item, bool right) {
  RemoteBuffer buffer(process, sizeof(RECT));
  buffer.Write(0, &item, sizeof item);  // TVM_GETITEMRECT takes the item in the rectangle
  SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.address()));
  RECT rect{};
  buffer.Read(0, &rect, sizeof rect);
  ClickAt(tree, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, right);
}

// Clicks line `index` of a list: its check box (at the left edge) or its text.
void ClickListLine(HWND list, int index, bool check_box, bool right) {
  SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  Sleep(100);
  const int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
  const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  const int y = (index - top) * height + height / 2;
  ClickAt(list, POINT{check_box ? height / 2 : height * 3, y}, right);
}

struct MenuSearch {
  DWORD thread;
  HWND found;
};

BOOL CALLBACK FindMenu(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<MenuSearch*>(parameter);
  char class_name[16] = {};
  GetClassNameA(window, class_name, sizeof class_name);
  if (std::string(class_name) != "#32768" || !IsWindowVisible(window)) return TRUE;
  search.found = window;
  return FALSE;
}

bool ChooseMenuItem(const Driver& driver, int item) {
  const DWORD start = GetTickCount();
  MenuSearch search{0, nullptr};
  while (!search.found && GetTickCount() - start < kWaitMs) {
    EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(50);
  }
  if (!search.found) return false;
  // The menu's own loop reads the keys of its thread's queue.
  for (int i = 0; i <= item; ++i) {
    PostMessageA(driver.main, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(driver.main, WM_KEYUP, VK_DOWN, kKeyUpBits | 1);
  }
  const WPARAM last = item < 0 ? VK_ESCAPE : VK_RETURN;
  PostMessageA(driver.main, WM_KEYDOWN, last, 1);
  PostMessageA(driver.main, WM_KEYUP, last, kKeyUpBits | 1);
  while (IsWindowVisible(search.found) && GetTickCount() - start < kWaitMs) Sleep(20);
  return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// Whether a folder dialog item stands for `component` of a path: the folder's name, or a
// drive shown as "Name (X:)" or "X:\".
bool NamesComponent(const std::string& text, const std::string& component) {
  if (SameName(text, component)) return true;
  if (component.size() != 2 || component[1] != ':') return false;
  const std::string drive = "(" + component + ")";
  return text.size() >= drive.size() && SameName(text.substr(text.size() - drive.size()), drive);
}

HTREEITEM OpenTreeItem(HANDLE process, HWND tree, HTREEITEM item) {
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  // The keyboard's expand fills the children, as TVM_EXPAND (which notifies no one) would not.
  PostMessageA(tree, WM_KEYDOWN, VK_RIGHT, 1);
  PostMessageA(tree, WM_KEYUP, VK_RIGHT, kKeyUpBits | 1);
  Sleep(300);
  (void)process;
  return item;
}

bool BrowseTo(const Driver& driver, const std::string& path) {
  HWND dialog = WaitForDialog(driver, driver.main, nullptr);
  if (!dialog) return false;
  HWND tree = FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr);
  if (!tree) return false;
  std::vector<std::string> components;
  std::string component;
  for (char c : path) {
    if (c == '\\') {
      if (!component.empty()) components.push_back(component);
      component.clear();
    } else {
      component.push_back(c);
    }
  }
  if (!component.empty()) components.push_back(component);
  // Below the desktop the drives sit in "My Computer" (whatever it is called): the first
  // component is looked for two levels deep.
  HTREEITEM current = TreeNext(tree, nullptr, TVGN_ROOT);
  OpenTreeItem(driver.process.hProcess, tree, current);
  std::size_t next = 0;
  while (next < components.size()) {
    HTREEITEM found = nullptr;
    for (HTREEITEM child = TreeNext(tree, current, TVGN_CHILD); child && !found; child = TreeNext(tree, child, TVGN_NEXT)) {
      if (NamesComponent(TreeItemText(driver.process.hProcess, tree, child), components[next])) found = child;
    }
    if (!found && next == 0) {
      for (HTREEITEM child = TreeNext(tree, current, TVGN_CHILD); child && !found;
           child = TreeNext(tree, child, TVGN_NEXT)) {
        OpenTreeItem(driver.process.hProcess, tree, child);
        for (HTREEITEM drive = TreeNext(tree, child, TVGN_CHILD); drive && !found; drive = TreeNext(tree, drive, TVGN_NEXT)) {
          if (NamesComponent(TreeItemText(driver.process.hProcess, tree, drive), components[0])) found = drive;
        }
      }
    }
    if (!found) {
      std::printf("no folder %s in the folder dialog\n", components[next].c_str());
      return false;
    }
    current = found;
    ++next;
    if (next < components.size()) {
      OpenTreeItem(driver.process.hProcess, tree, current);
    } else {
      SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(current));
    }
  }
  Sleep(200);
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  const DWORD start = GetTickCount();
  while (IsWindow(dialog) && GetTickCount() - start < kWaitMs) Sleep(20);
  return true;
}

std::string ListLines(HWND list) {
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  const LONG style = GetWindowLongA(list, GWL_STYLE);
  if (style & LBS_NODATA) return "count=" + std::to_string(count);
  std::string lines;
  // Wine carries a list's lines across processes as UTF-16 only: asked for in UTF-16 here.
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t line[4096] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 4096) continue;
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
    char narrow[8192] = {};
    WideCharToMultiByte(CP_ACP, 0, line, -1, narrow, sizeof narrow, nullptr, nullptr);
    lines += (i ? "|" : "") + std::string(narrow);
  }
  return lines;
}

// "ID=TEXT" split in two.
std::pair<int, std::string> IdAndText(const std::string& value) {
  const std::size_t equals = value.find('=');
  return {std::atoi(value.c_str()), equals == std::string::npos ? "" : value.substr(equals + 1)};
}

// Polls `done` every `pause` ms for at most `limit` ms; whether it came true.
template <class Done>
bool WaitUntil(Done done, DWORD limit, DWORD pause) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limit) return false;
    Sleep(pause);
  }
  return true;
}

void WaitForWindowToClose(HWND window) { WaitUntil([&] { return !IsWindow(window); }, kWaitMs, 20); }

// Steps that wait on a control of the main window; nullopt when `verb` is none of them.
std::optional<bool> RunWaitStep(Driver& driver, const std::string& verb, int id, const std::string& text) {
  if (verb == "waittext") return WaitUntil([&] { return ControlText(driver.main, id) == text; }, 4 * kWaitMs, 200);
  if (verb == "waitfor") {
    return WaitUntil([&] { return ControlText(driver.main, id).find(text) != std::string::npos; }, 4 * kWaitMs, 100);
  }
  if (verb == "waitenabled") {
    HWND control = Control(driver.main, id);
    return WaitUntil([&] { return IsWindowEnabled(control) != FALSE; }, 4 * kWaitMs, 200);
  }
  return std::nullopt;
}

// Steps on a tree view of the main window; nullopt when `verb` is none of them.
std::optional<bool> RunTreeStep(Driver& driver, const std::string& verb, HWND control, int id, const std::string& text) {
  if (verb == "tree") {
    std::string shown;
    for (const auto& [item, depth] : TreeItems(control)) {
      shown += (shown.empty() ? "" : "|") + std::string(static_cast<std::size_t>(depth), '-') +
               TreeItemText(driver.process.hProcess, control, item);
    }
    std::printf("%d=%s\n", id, shown.c_str());
  } else if (verb == "treepick" || verb == "treerclick") {
    HTREEITEM item = FindTreeItem(driver.process.hProcess, control, text);
    if (!item) {
      std::printf("no item %s in %d\n", text.c_str(), id);
      return false;
    }
    if (verb == "treepick") {
      SendMessageA(control, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    } else {
      ClickTreeItem(driver.process.hProcess, control, item, true);
    }
    Sleep(200);
  } else if (verb == "treeedit") {
    HWND edit = nullptr;
    WaitUntil([&] { return (edit = reinterpret_cast<HWND>(SendMessageA(control, TVM_GETEDITCONTROL, 0, 0))) != nullptr; },
              kWaitMs, 50);
    if (!edit) return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, kKeyUpBits | 1);
    Sleep(300);
  } else {
    return std::nullopt;
  }
  return true;
}

bool RunWindowStep(Driver& driver, const std::string& verb, const std::string& value) {
  const auto [id, text] = IdAndText(value);
  if (verb == "menu") return ChooseMenuItem(driver, std::atoi(value.c_str()));
  if (verb == "browse") return BrowseTo(driver, value);
  if (verb == "caption") {
    char caption[512] = {};
    GetWindowTextA(driver.main, caption, sizeof caption);
    std::printf("caption=%s\n", caption);
    return true;
  }
  if (const auto waited = RunWaitStep(driver, verb, id, text)) return *waited;
  HWND control = Control(driver.main, id);
  if (const auto done = RunTreeStep(driver, verb, control, id, text)) return *done;
  if (verb == "set") {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // A multi-line edit control does not notify a change made by WM_SETTEXT; typing would.
    if (GetWindowLongA(control, GWL_STYLE) & ES_MULTILINE) {
      SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(control));
    }
  } else if (verb == "checked") {
    std::printf("%d %s\n", id, SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "unchecked");
  } else if (verb == "lines") {
    std::printf("%d=%s\n", id, ListLines(control).c_str());
  } else if (verb == "cursel") {
    std::printf("%d cursel=%ld\n", id, static_cast<long>(SendMessageA(control, LB_GETCURSEL, 0, 0)));
  } else if (verb == "tick" || verb == "pick" || verb == "rclick") {
    ClickListLine(control, std::atoi(text.c_str()), verb == "tick", verb == "rclick");
    Sleep(200);
  } else {
    return false;
  }
  return true;
}

// Picks `entry` in a list or combo box of the modal box, as a double click or a choice would.
bool PickInBox(Driver& driver, int id, const std::string& entry) {
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
  return true;
}

// Steps on the modal box in front of the main window; nullopt when `verb` is none of them.
std::optional<bool> RunBoxStep(Driver& driver, const std::string& verb, const std::string& value) {
  const auto [id, text] = IdAndText(value);
  if (verb == "box") {
    driver.box = WaitForDialog(driver, driver.main, nullptr);
    if (!driver.box) return false;
    std::printf("box=%s\n", ControlText(driver.box, 0xFFFF).c_str());
  } else if (verb == "dialog") {
    driver.box = WaitForDialog(driver, driver.main, value.empty() ? nullptr : value.c_str());
    if (!driver.box) return false;
  } else if (verb == "answer") {
    PostMessageA(GetDlgItem(driver.box, id), BM_CLICK, 0, 0);
    WaitForWindowToClose(driver.box);
  } else if (verb == "boxtext") {
    std::printf("%d=%s\n", id, ControlText(driver.box, id).c_str());
  } else if (verb == "boxset") {
    SetDlgItemTextA(driver.box, id, text.c_str());
  } else if (verb == "boxpick") {
    return PickInBox(driver, id, text);
  } else if (verb == "boxpress") {
    PostMessageA(GetDlgItem(driver.box, id), BM_CLICK, 0, 0);
  } else if (verb == "boxkey") {
    PressKey(driver.box, value);
    WaitForWindowToClose(driver.box);
  } else if (verb == "boxfile") {
    // The file name box of the system's file dialog: a combo box, or an edit box in older
    // templates.
    HWND name = GetDlgItem(driver.box, 1148);
    if (!name) name = GetDlgItem(driver.box, 1152);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    PostMessageA(GetDlgItem(driver.box, IDOK), BM_CLICK, 0, 0);
    WaitForWindowToClose(driver.box);
  } else {
    return std::nullopt;
  }
  return true;
}

// Steps that read the main window or act on it as a whole; nullopt when `verb` is none.
std::optional<bool> RunMainStep(Driver& driver, const std::string& verb, const std::string& value) {
  const int id = std::atoi(value.c_str());
  if (verb == "text") {
    std::printf("%d=%s\n", id, ControlText(driver.main, id).c_str());
  } else if (verb == "visible") {
    std::printf("%d %s\n", id, IsWindowVisible(Control(driver.main, id)) ? "visible" : "hidden");
  } else if (verb == "enabled") {
    std::printf("%d %s\n", id, IsWindowEnabled(Control(driver.main, id)) ? "enabled" : "disabled");
  } else if (verb == "click") {
    // Posted, not sent: the click may open a modal box that would block a sent message.
    PostMessageA(Control(driver.main, id), BM_CLICK, 0, 0);
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
      std::fprintf(stderr, "bad mouse step %s:%s\n", verb.c_str(), value.c_str());
      return false;
    }
    Sleep(100);
  } else {
    return std::nullopt;
  }
  return true;
}

// Steps about the run itself: pauses, marks, pictures and the program's end.
std::optional<bool> RunControlStep(Driver& driver, const std::string& verb, const std::string& value) {
  if (verb == "sleep") {
    Sleep(static_cast<DWORD>(std::atoi(value.c_str())));
  } else if (verb == "mark") {
    std::printf("mark=%s\n", value.c_str());
  } else if (verb == "shot" || verb == "shotmain" || verb == "shotbox") {
    Sleep(300);  // let the window finish painting
    return SaveScreenshot(value, verb == "shotmain" ? driver.main : verb == "shotbox" ? driver.box : nullptr);
  } else if (verb == "exit") {
    if (WaitForSingleObject(driver.process.hProcess, kWaitMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(driver.process.hProcess, &code);
    std::printf("exit=%lu\n", static_cast<unsigned long>(code));
  } else {
    return std::nullopt;
  }
  return true;
}

bool RunStep(Driver& driver, const std::string& step) {
  const std::size_t colon = step.find(':');
  const std::string verb = step.substr(0, colon);
  const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
  if (verb == "window") {
    driver.main = WaitForDialog(driver, nullptr, value.c_str());
    return driver.main != nullptr;
  }
  std::optional<bool> done = RunMainStep(driver, verb, value);
  if (!done) done = RunBoxStep(driver, verb, value);
  if (!done) done = RunControlStep(driver, verb, value);
  if (!done) done = RunWindowStep(driver, verb, value);
  std::fflush(stdout);
  return *done;
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
