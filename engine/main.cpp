// VexaInstall: the setup engine inside every Setup.exe.
//
// With no arguments it is the install dialog; with /S it installs without a window (see
// command_line.h). In the dialog the exit status is 0 on every path; silent runs report
// success, restart needed, cancelled or failed.
#include <windows.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "dialog.h"
#include "log_file.h"
#include "run.h"
#include "silent.h"

namespace {

int RunEngine(HINSTANCE instance, RunState& run) {
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  std::string error;
  if (!ParseEngineOptions(arguments, run.options, error)) {
    LogFile(run.options.log_file).Append("Message: " + error);
    if (!run.options.silent) MessageBoxA(nullptr, error.c_str(), "VexaInstall", MB_OK | MB_ICONERROR);
    return kExitFailure;
  }
  const LogFile log(run.options.log_file);
  for (const std::string& ignored : run.options.ignored_arguments)
    log.Append("Ignored command-line argument: \"" + ignored + "\"");
  if (run.options.silent) return RunSilently(run, log);

  InstallDialog dialog(run, log);
  run.ui = &dialog;
  if (InitializeRun(run)) dialog.Run(instance);
  run.ui = nullptr;
  return 0;
}

// The message of an exception that reached WinMain, shown the way the run shows messages.
class FallbackUi : public EngineUi {
 public:
  explicit FallbackUi(const EngineOptions& options) : options_(options) {}
  void ShowMessage(const std::string& text) override {
    LogFile(options_.log_file).Append("Message: " + text);
    if (!options_.silent) MessageBoxA(nullptr, text.c_str(), "VexaInstall", MB_OK | MB_ICONERROR);
  }
  bool Ask(Question, const std::string&) override { return false; }
  void ShowLog(const std::string&, int) override {}
  void EnableCancel(bool) override {}
  void CloseDialog() override {}

 private:
  const EngineOptions& options_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RunState run;
  try {
    return RunEngine(instance, run);
  } catch (...) {
    FallbackUi ui(run.options);
    run.ui = &ui;
    StopRunAfterException(run);
    return run.options.silent ? kExitFailure : 0;
  }
}
