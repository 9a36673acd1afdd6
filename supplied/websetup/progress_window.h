// The web setup's window: the dialog title of the web script, the file being fetched, a
// progress bar, bytes done of the total with speed and time left, and Cancel. The run
// works on a thread of its own; the window reads its state on a timer, and Cancel (or
// closing the window) is a flag the download checks between reads, so it stops at once
// and keeps what it has for the next run.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "log_file.h"
#include "web_setup_run.h"

class ProgressWindow : public WebSetupUi {
 public:
  ProgressWindow();
  ~ProgressWindow() override;

  // Shows the window, runs `work` on a worker thread and returns when it has ended.
  void Run(HINSTANCE instance, const std::function<void()>& work);

  // WebSetupUi, called from the worker.
  void SetTitle(const std::string& title) override;
  void SetCurrentFile(const std::string& text) override;
  void DisableCancel() override;
  void Progress(std::uint64_t done, std::uint64_t total) override;
  bool CancelRequested() override { return cancel_.load(); }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static DWORD WINAPI Worker(LPVOID self);
  void Create(HINSTANCE instance);
  void Refresh();

  CRITICAL_SECTION lock_;
  std::string title_ = "Installing Program";
  std::string file_;
  std::uint64_t done_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t file_start_done_ = 0;
  std::uint64_t file_start_tick_ = 0;
  std::atomic<bool> cancel_enabled_{true};
  std::atomic<bool> cancel_{false};
  const std::function<void()>* work_ = nullptr;
  HWND window_ = nullptr;
  HWND file_label_ = nullptr;
  HWND bar_ = nullptr;
  HWND bytes_label_ = nullptr;
  HWND cancel_button_ = nullptr;
  HFONT font_ = nullptr;
};

// After a run with the window: its failure message, if any, in a message box titled
// `title`; and when a component waits for the next boot, the engine's restart question
// (logged with its answer), restarting on Yes.
void ShowRunOutcome(const WebSetupOutcome& outcome, const char* title, const LogFile& log);
