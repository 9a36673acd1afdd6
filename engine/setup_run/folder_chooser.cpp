#include "folder_chooser.h"

#include <commdlg.h>
#include <dlgs.h>

#include "paths.h"
#include "resource.h"

namespace {

// The old-style file dialog returns a file path; the chooser presets this name and keeps
// only the directory part of what comes back.
constexpr const char* kPlaceholderName = "(this directory)";

UINT_PTR CALLBACK ChooserHook(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (int id : {stc2, stc3, edt1, lst1, cmb1, chx1, pshHelp}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    return TRUE;
  }
  // The hidden name box holds the file type's pattern after every change of directory;
  // OK must always return the directory being shown.
  if (message == WM_COMMAND && LOWORD(wparam) == IDOK) SetDlgItemTextA(dialog, edt1, kPlaceholderName);
  return FALSE;
}

}  // namespace

bool ChooseDirectory(HWND owner, HINSTANCE instance, std::string& directory) {
  char path[MAX_PATH + 1] = {};
  lstrcpynA(path, kPlaceholderName, sizeof path);
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.hInstance = instance;
  request.lpstrFilter = "Directories\0*.~~~\0";
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  request.lpstrTitle = "Choose Directory";  // the dialog would otherwise call itself "Open"
  request.lpTemplateName = MAKEINTRESOURCEA(IDD_CHOOSE_DIRECTORY);
  request.lpfnHook = ChooserHook;
  request.Flags = OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                  OFN_NOTESTFILECREATE;
  if (!GetOpenFileNameA(&request)) return false;
  std::string chosen(path);
  // nFileOffset is where the name part starts; everything before it is the directory.
  chosen.resize(request.nFileOffset);
  if (chosen.empty()) return false;
  AppendBackslash(chosen);
  directory = chosen;
  return true;
}
