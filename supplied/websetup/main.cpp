// VexaStandAloneWebProg.exe: the stand-alone web setup program. The release builder
// appends six lines to it (see web_setup_attachment.h); the result downloads the web
// script, the components the PC lacks and the program's Setup.exe, checks each against
// its signature, and runs Setup.exe (see web_setup_run.h).
//
//   /S            no window; Setup.exe is run with /S as well
//   /D=<dir>      passed on to Setup.exe
//   /LOG=<file>   the run's log lines and messages, and Setup.exe's log
//
// Exit status as the engine's: in silent mode 0 success (or Setup.exe's own status),
// 3010 restart needed, 1602 cancelled, 1603 failure; with the window 0, after asking
// about restarting when a component waits for the next boot.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "command_line.h"
#include "engine_size.h"
#include "log_file.h"
#include "progress_window.h"
#include "web_setup_attachment.h"
#include "web_setup_run.h"

namespace {

constexpr const char* kProgramTitle = "Web Setup";

std::string OwnPath() {
  std::vector<char> path(32768);
  const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return length > 0 && length < path.size() ? std::string(path.data(), length) : std::string();
}

void Report(const EngineOptions& options, const LogFile& log, const std::string& message) {
  if (message.empty()) return;
  log.Append("Message: " + message);
  if (!options.silent) MessageBoxA(nullptr, message.c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
}

int Main(HINSTANCE instance) {
  EngineOptions options;
  std::string error;
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  if (!ParseEngineOptions(arguments, options, error)) {
    const std::size_t usage = error.find("\r\nUsage:");
    if (usage != std::string::npos) error.erase(usage);
    error += "\r\nUsage: [/S] [/D=<directory for Setup.exe>] [/LOG=<file>]";
    Report(options, LogFile(options.log_file), error);
    return kExitFailure;
  }
  const LogFile log(options.log_file);
  WebSetupAttachment attachment;
  if (!ReadWebSetupAttachment(OwnPath(), EngineFileSize(), attachment, error)) {
    Report(options, log,
           "Error. This web setup program is damaged: " + error + ". Download it again from the publisher's web site.");
    return kExitFailure;
  }
  if (options.silent) {
    SilentWebSetupUi ui;
    return RunWebSetup(attachment, options, ui, log, StandAloneCacheDirectory()).exit_status;
  }
  ProgressWindow window;
  WebSetupOutcome outcome;
  window.Run(instance, [&] { outcome = RunWebSetup(attachment, options, window, log, StandAloneCacheDirectory()); });
  ShowRunOutcome(outcome, kProgramTitle, log);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Downloaded programs are run from downloads folders: libraries loaded from here on come
  // from the system directory only.
  SetDllDirectoryA("");
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  try {
    return Main(instance);
  } catch (const std::bad_alloc&) {
    MessageBoxA(nullptr, "Error. Not enough memory.", kProgramTitle, MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxA(nullptr, "Error. The web setup failed unexpectedly.", kProgramTitle, MB_OK | MB_ICONERROR);
  }
  return kExitFailure;
}
