// The install dialog (template 102): product name, destination and program group before
// the run, the progress log during it.
#pragma once

#include <windows.h>

#include "log_file.h"
#include "run_state.h"
#include "win32_handles.h"

// The message the worker posts to end the dialog.
inline constexpr UINT kCloseDialogMessage = WM_USER + 1;

class InstallDialog : public EngineUi {
 public:
  InstallDialog(RunState& run, const LogFile& log) : run_(run), log_(log) {}

  // Shows the dialog until the run or the Cancel button ends it.
  void Run(HINSTANCE instance);

  void ShowMessage(const std::string& text) override;
  bool Ask(Question question, const std::string& text) override;
  void ShowLog(const std::string& log_text, int lines) override;
  void EnableCancel(bool enabled) override;
  void CloseDialog() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnInstall();
  void OnCancel();
  void OnChangeFolder();
  void ShowRunControls();

  RunState& run_;
  const LogFile& log_;
  HWND window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  UniqueHandle worker_;
};
