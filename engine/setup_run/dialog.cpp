#include "dialog.h"

#include "choices.h"
#include "folder_chooser.h"
#include "install_checks.h"
#include "resource.h"
#include "run.h"
#include "temporary_directory.h"

namespace {

constexpr const char* kMessageCaption = "VexaInstall";

DWORD WINAPI Worker(LPVOID parameter) {
  auto& run = *static_cast<RunState*>(parameter);
  try {
    RunInstallation(run);
  } catch (...) {
    // Out of memory in the middle of a run: end it as a failure rather than hang.
    StopRunAfterException(run);
    run.ui->CloseDialog();
  }
  return 0;
}

bool CreateEmptyFile(const std::string& path) {
  return static_cast<bool>(
      UniqueHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

HICON LoadAppIcon(HINSTANCE instance, int size) {
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
}

}  // namespace

void InstallDialog::Run(HINSTANCE instance) {
  instance_ = instance;
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INSTALL), nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
  if (worker_) WaitForSingleObject(worker_.get(), INFINITE);
}

INT_PTR CALLBACK InstallDialog::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lparam);
    reinterpret_cast<InstallDialog*>(lparam)->window_ = window;
  }
  auto* dialog = reinterpret_cast<InstallDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!dialog) return FALSE;
  try {
    return dialog->HandleMessage(message, wparam, lparam);
  } catch (...) {
    // No exception may unwind through the system's dialog code. Once the worker runs, the
    // temporary directory is its own and the worker ends the dialog.
    if (dialog->run_.installing) return TRUE;
    StopRunAfterException(dialog->run_);
    EndDialog(window, 0);
    return TRUE;
  }
}

INT_PTR InstallDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case kCloseDialogMessage:
      EndDialog(window_, 0);
      return TRUE;
    case WM_CLOSE:  // the system menu and title-bar button do not end the installation
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_INSTALL:
          OnInstall();
          return TRUE;
        case IDC_CANCEL_RUN:
          OnCancel();
          return TRUE;
        case IDC_CHANGE_FOLDER:
          OnChangeFolder();
          return TRUE;
        case IDCANCEL:  // Esc, like the system menu, is ignored
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void InstallDialog::OnInitDialog() {
  SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadAppIcon(instance_, 32)));
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadAppIcon(instance_, 16)));
  SetDlgItemTextA(window_, IDC_PRODUCT_NAME, run_.product_name.c_str());
  SetDlgItemTextA(window_, IDC_DESTINATION, run_.product_directory.c_str());
  SetDlgItemTextA(window_, IDC_PROGRAM_GROUP, run_.program_group_name.c_str());
  SetDlgItemTextA(window_, IDC_LOG_TEXT, run_.log_text.c_str());
}

void InstallDialog::OnInstall() {
  EnableWindow(GetDlgItem(window_, IDC_INSTALL), FALSE);
  // The whole text: a longer one cut to a buffer would install elsewhere than shown.
  const HWND field = GetDlgItem(window_, IDC_DESTINATION);
  std::string destination(static_cast<std::size_t>(GetWindowTextLengthA(field)) + 1, '\0');
  destination.resize(static_cast<std::size_t>(
      GetWindowTextA(field, destination.data(), static_cast<int>(destination.size()))));
  if (!PrepareInstallation(run_, destination)) {
    EnableWindow(GetDlgItem(window_, IDC_INSTALL), TRUE);
    return;
  }
  ShowRunControls();
  run_.installing = true;
  worker_ = UniqueHandle(CreateThread(nullptr, 0, Worker, &run_, 0, nullptr));
  if (!worker_) {
    ShowMessage("Error. Cannot start the installation.");
    DeleteTemporaryDirectory(run_.temporary_directory);
    EndDialog(window_, 0);
  }
}

void InstallDialog::OnChangeFolder() {
  std::string folder;
  if (!ChooseDirectory(window_, instance_, folder)) return;
  run_.product_directory = ChosenDestination(folder, run_.product_sub_directory);
  SetDlgItemTextA(window_, IDC_DESTINATION, run_.product_directory.c_str());
}

void InstallDialog::ShowRunControls() {
  for (int id : {IDC_DESTINATION_GROUP, IDC_DESTINATION, IDC_CHANGE_FOLDER, IDC_PROGRAM_GROUP_GROUP,
                 IDC_PROGRAM_GROUP, IDC_CHANGE_PROGRAM_GROUP}) {
    ShowWindow(GetDlgItem(window_, id), SW_HIDE);
  }
  ShowWindow(GetDlgItem(window_, IDC_LOG_TEXT), SW_SHOW);
}

void InstallDialog::OnCancel() {
  if (!run_.installing) {
    DeleteTemporaryDirectory(run_.temporary_directory);
    EndDialog(window_, 0);
    return;
  }
  // The pause file holds the worker before its next line while the user decides. When it
  // cannot be made, the run has ended and removed its directory: nothing is left to cancel.
  const std::string pause = run_.temporary_directory + kPauseFlagFile;
  if (!CreateEmptyFile(pause)) return;
  if (Ask(Question::CancelInstallation, "Are you sure you want to cancel this installation?")) {
    if (CreateEmptyFile(run_.temporary_directory + kCancelFlagFile)) {
      EnableCancel(false);
      SetDlgItemTextA(window_, IDC_LOG_TEXT, "Canceling installation. Please wait...");
    }
  }
  DeleteFileA(pause.c_str());
}

void InstallDialog::ShowMessage(const std::string& text) {
  MessageBoxA(window_, text.c_str(), kMessageCaption, MB_OK);
}

bool InstallDialog::Ask(Question, const std::string& text) {
  return MessageBoxA(window_, text.c_str(), kMessageCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void InstallDialog::ShowLog(const std::string& log_text, int lines) {
  log_.Append(LastLogLine(log_text));
  if (!window_) return;
  SetDlgItemTextA(window_, IDC_LOG_TEXT, log_text.c_str());
  SendDlgItemMessageA(window_, IDC_LOG_TEXT, EM_LINESCROLL, 0, lines);
}

void InstallDialog::EnableCancel(bool enabled) {
  EnableWindow(GetDlgItem(window_, IDC_CANCEL_RUN), enabled ? TRUE : FALSE);
}

void InstallDialog::CloseDialog() { PostMessageA(window_, kCloseDialogMessage, 0, 0); }
