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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  RunState run;
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
  return 0;
}
