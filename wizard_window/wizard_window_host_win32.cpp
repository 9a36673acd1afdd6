// The wizard window as the model's host: message boxes, the folder and file dialogs, the
// modal windows and pop-up menus, event processing while the model waits.
#include "wizard_window_win32.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "documents.h"
#include "modal_windows.h"
#include "wizard_resource.h"

namespace {

// A filter "description|pattern|...||" as the file dialog wants it: NUL-separated, two
// NULs at the end.
std::string DialogFilter(const std::string& filter) {
  std::string result = filter;
  std::replace(result.begin(), result.end(), '|', '\0');
  while (result.size() < 2 || result[result.size() - 1] != '\0' || result[result.size() - 2] != '\0') {
    result.push_back('\0');
  }
  return result;
}

}  // namespace

MessageAnswer WizardWindow::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                        MessageButtons buttons) {
  Refresh();
  UINT flags = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  switch (icon) {
    case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MessageIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
    case MessageIcon::Question: flags |= MB_ICONQUESTION; break;
    case MessageIcon::Critical: flags |= MB_ICONSTOP; break;
    case MessageIcon::None: break;
  }
  HWND owner = main_ && IsWindowVisible(main_) ? main_ : nullptr;
  const int answer = MessageBoxA(owner, text.c_str(), title.empty() ? kDefaultMessageTitle : title.c_str(), flags);
  if (answer == IDYES) return MessageAnswer::Yes;
  if (answer == IDNO) return MessageAnswer::No;
  return MessageAnswer::Ok;
}

void WizardWindow::ProcessEvents() {
  Refresh();
  MSG message;
  while (!ended_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!IsDialogMessageA(main_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void WizardWindow::Sleep(int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end || ended_) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    ProcessEvents();
  }
}

std::string WizardWindow::BrowseForFolder(const std::string& prompt, int flags) {
  Refresh();
  BROWSEINFOA request{};
  request.hwndOwner = main_;
  request.lpszTitle = prompt.c_str();
  request.ulFlags = static_cast<UINT>(flags);
  char display_name[MAX_PATH] = {};
  request.pszDisplayName = display_name;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&request);
  if (!chosen) return {};
  char path[MAX_PATH] = {};
  const bool named = SHGetPathFromIDListA(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  std::string directory = named ? path : "";
  if (!directory.empty() && directory.back() != '\\') directory.push_back('\\');
  return directory;
}

std::string WizardWindow::BrowseForFile(const std::string& filter, const std::string& default_extension) {
  Refresh();
  const std::string filters = DialogFilter(filter);
  char path[32768] = {};
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = main_;
  request.lpstrFilter = filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  request.lpstrDefExt = default_extension.c_str();
  // The model checks that the file exists and says so in its own words.
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&request)) return {};
  return path;
}

void WizardWindow::ShowModalWindow(ModalWindow window) {
  Refresh();
  switch (window) {
    case ModalWindow::LinkTo:
      ShowLinkToWindow(instance_, main_, *form_);
      break;
    case ModalWindow::Samples:
      ShowSamplesWindow(instance_, main_, *form_);
      break;
    case ModalWindow::Success:
      ShowSuccessWindow(instance_, main_, *form_);
      break;
    case ModalWindow::OcxListHelp:
    case ModalWindow::MinimizeDownloadTimeHelp:
    case ModalWindow::SignCodeHelp:
      ShowHelpWindow(instance_, main_, Form1::HelpWindowText(window));
      break;
  }
}

// At the pointer, or, for the tree's menu opened from the keyboard, below the selected
// node's text.
POINT WizardWindow::PopupMenuPoint(PopupMenu menu) {
  POINT at{};
  GetCursorPos(&at);
  HWND tree = Item(IDC_TreeView1);
  const auto selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (menu != PopupMenu::Create || !tree_menu_at_selection_ || !selected) return at;
  // TVM_GETITEMRECT takes the item in the rectangle it fills.
  RECT node{};
  std::memcpy(&node, &selected, sizeof selected);
  if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&node))) return at;
  at = POINT{node.left, node.bottom};
  ClientToScreen(tree, &at);
  return at;
}

void WizardWindow::ShowPopupMenu(PopupMenu menu) {
  Refresh();
  Form1& f = *form_;
  struct Item {
    Control* control;
    UINT id;
    void (Form1::*click)();
  };
  std::vector<Item> items;
  if (menu == PopupMenu::SelectFiles) {
    items = {{&f.mnuSelectAllFiles, IDM_mnuSelectAllFiles, &Form1::mnuSelectAllFiles_Click},
             {&f.mnuClearAllFiles, IDM_mnuClearAllFiles, &Form1::mnuClearAllFiles_Click}};
  } else {
    items = {{&f.mnuCreateLeaf, IDM_mnuCreateLeaf, &Form1::mnuCreateLeaf_Click},
             {&f.mnuSep1, 0, nullptr},
             {&f.mnuLinkTo, IDM_mnuLinkTo, &Form1::mnuLinkTo_Click},
             {&f.mnuUnlink, IDM_mnuUnlink, &Form1::mnuUnlink_Click},
             {&f.mnuSep2, 0, nullptr},
             {&f.mnuRenameLeaf, IDM_mnuRenameLeaf, &Form1::mnuRenameLeaf_Click},
             {&f.mnuDeleteLeaf, IDM_mnuDeleteLeaf, &Form1::mnuDeleteLeaf_Click}};
  }
  HMENU popup = CreatePopupMenu();
  for (const Item& item : items) {
    if (!item.click) {
      AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(popup, static_cast<UINT>(MF_STRING | (item.control->enabled ? MF_ENABLED : MF_GRAYED)), item.id,
                  item.control->caption.c_str());
    }
  }
  const POINT at = PopupMenuPoint(menu);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, main_, nullptr));
  DestroyMenu(popup);
  for (const Item& item : items) {
    if (item.click && item.id == chosen) (f.*item.click)();
  }
}

void WizardWindow::BeginTreeLabelEdit(int node) {
  PostMessageA(main_, kEditLabelMessage, static_cast<WPARAM>(node), 0);
}

void WizardWindow::SetBusyPointer(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(busy ? 32514 : 32512)));  // IDC_WAIT, IDC_ARROW
}

void WizardWindow::EndProgram() {
  if (ended_) return;
  ended_ = true;
  // A program that ends before its window is shown failed to start.
  exit_status_ = main_ && IsWindowVisible(main_) ? 0 : 1;
  PostQuitMessage(exit_status_);
}

void WizardWindow::OpenDocument(const std::string& address) { ::OpenDocument(address); }

std::string WizardWindow::ProgramDirectoryPath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string directory(path, length);
  const std::size_t slash = directory.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

ProgramVersion WizardWindow::GetProgramVersion() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || length < sizeof *info) return {};
  return ProgramVersion{static_cast<int>(HIWORD(info->dwFileVersionMS)), static_cast<int>(LOWORD(info->dwFileVersionMS)),
                        static_cast<int>(HIWORD(info->dwFileVersionLS))};
}
