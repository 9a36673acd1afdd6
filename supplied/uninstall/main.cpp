// Uninstall.exe: removes an installation made by the setup engine, from the data the
// engine appended to this file (see uninstaller.h).
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "command_line.h"
#include "log_file.h"
#include "uninstall_messages.h"
#include "uninstall_options.h"
#include "uninstaller.h"

// DLLs come from the system directory only, never from the directory the program (or its
// temporary copy) runs from: the build links it so (cmake/SystemDlls.cmake).
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  UninstallOptions options;
  std::string error;
  try {
    std::vector<std::string> arguments(__argv + 1, __argv + __argc);
    if (!ParseUninstallOptions(arguments, options, error)) {
      LogFile(options.log_file).Append("Message: " + error);
      if (!options.silent) MessageBoxA(nullptr, error.c_str(), kUninstallTitle, MB_OK | MB_ICONERROR);
      return kExitFailure;
    }
    return RunUninstaller(options);
  } catch (const std::bad_alloc&) {
    error = "Error. Not enough memory for the uninstall data. Nothing was removed.";
  } catch (...) {
    error = "Error. The uninstall program failed unexpectedly.";
  }
  LogFile(options.log_file).Append("Message: " + error);
  if (!options.silent && !options.is_copy) MessageBoxA(nullptr, error.c_str(), kUninstallTitle, MB_OK | MB_ICONERROR);
  return kExitFailure;
}
