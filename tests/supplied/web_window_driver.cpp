// Drives the web setup program's window as a user does: starts the program (arguments
// after the driver's own), waits until the download shows its progress, prints what the
// window shows, presses Cancel, and prints how the program ended.
//
//   web_window_driver PROGRAM [ARGS...]
//   title: <window title>         file: <file line>        bytes: <progress line>
//   bar: <0..1000>                cancel: enabled|disabled  exit: <status>
//   message box: none|<its text>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

std::string Text(HWND window) {
  char text[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

struct Search {
  DWORD process;
  const char* window_class;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  if (process == search->process && std::string(name) == search->window_class && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WindowOf(DWORD process, const char* window_class) {
  Search search{process, window_class, nullptr};
  EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string command;
  for (int i = 1; i < argc; ++i) command += std::string(i > 1 ? " " : "") + "\"" + argv[i] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("cannot start %s\n", argv[1]);
    return 1;
  }
  HWND window = nullptr;
  std::string bytes;
  for (int i = 0; i < 600; ++i) {
    window = WindowOf(process.dwProcessId, "VexaStandAloneWebProgWindow");
    if (window) {
      bytes = Text(GetDlgItem(window, 103));
      // Past the script: the program cabinet is on its way and its speed is known.
      if (Text(GetDlgItem(window, 101)).rfind("Prog1.cab", 0) == 0 && bytes.find("/s") != std::string::npos) break;
    }
    Sleep(50);
  }
  if (!window) {
    std::printf("no window\n");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  std::printf("title: %s\n", Text(window).c_str());
  std::printf("file: %s\n", Text(GetDlgItem(window, 101)).c_str());
  std::printf("bytes: %s\n", bytes.c_str());
  std::printf("bar: %ld\n", static_cast<long>(SendMessageA(GetDlgItem(window, 102), PBM_GETPOS, 0, 0)));
  HWND cancel = GetDlgItem(window, IDCANCEL);
  std::printf("cancel: %s\n", IsWindowEnabled(cancel) ? "enabled" : "disabled");
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
  const ULONGLONG pressed = GetTickCount64();
  std::string message = "none";
  DWORD waited = WAIT_TIMEOUT;
  while (waited == WAIT_TIMEOUT && GetTickCount64() - pressed < 30000) {
    waited = WaitForSingleObject(process.hProcess, 100);
    if (HWND box = WindowOf(process.dwProcessId, "#32770")) {
      message = Text(GetDlgItem(box, 65535));
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  if (waited == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
  std::printf("stopped within 5 s: %s\n", GetTickCount64() - pressed < 5000 ? "yes" : "no");
  std::printf("exit: %lu\n", status);
  std::printf("message box: %s\n", message.c_str());
  return 0;
}
