#include "run.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <new>
#include <cstdio>
#include <cstring>

#include "cabinet.h"
#include "choices.h"
#include "shared_components.h"
#include "engine_size.h"
#include "final_program.h"
#include "install_checks.h"
#include "package.h"
#include "paths.h"
#include "program_files.h"
#include "registry.h"
#include "restart.h"
#include "shortcuts.h"
#include "temporary_directory.h"
#include "text.h"
#include "trust_check.h"
#include "uninstall.h"

namespace {

constexpr const char* kScriptFileName = "Script.TXT";

// Removes a package directory of start-up together with its Attachment.CAB.
void DiscardPackageDirectory(const std::string& directory) {
  DeleteFileA((directory + std::string(kAttachmentFileName)).c_str());
  DeleteTemporaryDirectory(directory);
}

// A package directory of start-up, removed when it goes out of scope, also when an
// exception passes.
struct ScopedPackageDirectory {
  std::string path;
  ScopedPackageDirectory() = default;
  ScopedPackageDirectory(const ScopedPackageDirectory&) = delete;
  ScopedPackageDirectory& operator=(const ScopedPackageDirectory&) = delete;
  ~ScopedPackageDirectory() {
    if (!path.empty()) DiscardPackageDirectory(path);
  }
};

// The script, taken out of a first copy of the attachment that is removed again at once.
bool TakeOutScript(RunState& run) {
  ScopedPackageDirectory directory;
  std::string error;
  if (!ExtractAttachment(run.own_exe.NewStream(), run.own_exe_path, EngineFileSize(), directory.path, error)) {
    run.ui->ShowMessage(error);
    return false;
  }
  const std::string cabinet = directory.path + std::string(kAttachmentFileName);
  if (!ExtractFileFromCab(cabinet, directory.path, kScriptFileName)) {
    DiscardPackageDirectory(directory.path);
    directory.path.clear();
    run.ui->ShowMessage("Error. Cannot extract script from self-extract EXE file.");
    return false;
  }
  const std::string script = directory.path + kScriptFileName;
  std::string too_large;
  const bool loaded = LoadScript(script, run.script, &too_large);
  DeleteFileA(script.c_str());
  DiscardPackageDirectory(directory.path);
  directory.path.clear();
  if (!loaded) {
    run.ui->ShowMessage("Error. Cannot load script to memory." +
                        (too_large.empty() ? std::string() : " The script is not a setup script: " + too_large + "."));
    return false;
  }
  return true;
}

// A stop after the run's own temporary directory exists.
bool StopWithScriptError(RunState& run, const char* message) {
  DiscardPackageDirectory(run.temporary_directory);
  run.temporary_directory.clear();
  run.ui->ShowMessage(message);
  return false;
}

// Holds still while the pause flag exists: the Cancel question is open.
void WaitWhilePaused(const RunState& run) {
  const std::string pause = run.temporary_directory + kPauseFlagFile;
  while (FileExists(pause)) Sleep(100);
}

// Between script lines: hold still while the pause flag exists, then honour a cancel.
bool CancelRequested(const RunState& run) {
  WaitWhilePaused(run);
  return FileExists(run.temporary_directory + kCancelFlagFile);
}

// One installation action of the script; an empty text when it succeeded or when the
// line is no installation action.
std::string RunInstallationAction(RunState& run, std::size_t line) {
  const std::string word = CommandWord(run.script, line);
  if (word == kInstallProgramWord) {
    return InstallProgram(run, ScriptArgument(run.script, line, 1), ScriptArgument(run.script, line, 7));
  }
  if (word == kInstallDllFileWord) {
    return InstallDllFile(run, ScriptArgument(run.script, line, 1), ScriptArgument(run.script, line, 3),
                          ScriptArgument(run.script, line, 4));
  }
  if (word == kInstallOcxFileWord) {
    return InstallOcxFile(run, ScriptArgument(run.script, line, 1), ScriptArgument(run.script, line, 3),
                          ScriptArgument(run.script, line, 4), ScriptArgument(run.script, line, 5));
  }
  return {};
}

void EndRun(RunState& run, RunOutcome outcome) {
  run.outcome = outcome;
  run.ui->CloseDialog();
}

}  // namespace

bool InitializeRun(RunState& run) {
  run.win_verify_trust = LoadWinVerifyTrust();
  run.own_exe_path = OwnExePath();
  if (!run.own_exe.Open(run.own_exe_path)) {
    run.ui->ShowMessage("Error. Cannot open the self-extract EXE file: " + run.own_exe_path);
    return false;
  }

  if (!TakeOutScript(run)) return false;
  if (const std::string stop = TrustCheckStop(run); !stop.empty()) {
    // No message box here, but an administrator reading the log should learn why.
    AddLogLine(run, stop);
    return false;
  }

  std::string error;
  if (!ExtractAttachment(run.own_exe.NewStream(), run.own_exe_path, EngineFileSize(), run.temporary_directory,
                         error)) {
    run.ui->ShowMessage(error);
    return false;
  }

  run.product_name = ScriptSetting(run.script, "ProductName");
  if (run.product_name.empty()) return StopWithScriptError(run, "Script Error. Product name was not specified.");
  run.product_directory = DefaultDestination(run.script, run.product_name);
  if (run.product_directory.empty())
    return StopWithScriptError(run, "Script Error. Product directory was not specified.");
  if (!ProductSubDirectoryName(ScriptSetting(run.script, "ProductDirectory"), run.product_sub_directory)) {
    return StopWithScriptError(
        run, "Script Error. Invaid product directory. Product directory name must include sub-directory.");
  }
  if (!run.options.destination.empty())
    run.product_directory = ChosenDestination(run.options.destination, run.product_sub_directory);
  FindProgramGroup(run.script, run.program_group_directory, run.program_group_name);
  return true;
}

void RunInstallation(RunState& run) {
  run.restart_needed = false;
  run.installed_files.clear();

  if (!run.previous_installation.empty()) {
    run.ui->EnableCancel(false);
    AddLogLine(run, "Removing previous installation of this program");
    RemovePreviousInstallation(run.previous_installation);
    run.ui->EnableCancel(true);
  }

  for (std::size_t line = 0; line < run.script.size(); ++line) {
    const std::string error = RunInstallationAction(run, line);
    if (!error.empty()) {
      run.ui->EnableCancel(false);
      WaitWhilePaused(run);
      run.ui->ShowMessage(error);
      DeleteTemporaryDirectory(run.temporary_directory);
      return EndRun(run, RunOutcome::Failed);
    }
    if (CancelRequested(run)) {
      DeleteTemporaryDirectory(run.temporary_directory);
      return EndRun(run, RunOutcome::Cancelled);
    }
  }
  FinishInstallation(run);
}

void FinishInstallation(RunState& run) {
  run.ui->EnableCancel(false);
  // Cancel may have been pressed as the last line ended: once the button is disabled, no
  // new question starts, and the answer of one still open decides. So the flag files
  // never outlive the directory, and "Canceling installation" never precedes a finish.
  if (CancelRequested(run)) {
    DeleteTemporaryDirectory(run.temporary_directory);
    return EndRun(run, RunOutcome::Cancelled);
  }
  if (!run.program_group_directory.empty()) {
    AddLogLine(run, "Creating Program Groups");
    CreateProgramGroups(run.script, run.program_group_directory, run.product_directory, run.installed_files);
  }
  CreateUninstallProgram(run);

  WriteRegistryString(HKEY_LOCAL_MACHINE, std::string(kInstalledProgramsKey) + "->" + run.product_name, "Directory",
                      run.product_directory, "->");
  DeleteTemporaryDirectory(run.temporary_directory);

  if (run.restart_needed) {
    if (run.ui->Ask(Question::RestartNow, kRestartQuestion)) {
      RestartComputer();
    }
    return EndRun(run, RunOutcome::RestartNeeded);
  }
  AddLogLine(run, "Installation completed");
  const std::string done = ScriptSetting(run.script, "DoneMessage");
  if (!done.empty()) run.ui->ShowMessage(done);
  if (run.options.silent) {
    // An unattended installation is for someone who is not at the screen: a program
    // opening its window there is not wanted. The log says what was left out.
    const ExecuteProgram execute = FindExecuteProgram(run.script, run.product_directory);
    if (!execute.program.empty()) AddLogLine(run, "Not started (silent): " + ExecuteCommandText(execute));
    if (execute.has_execute_line && execute.program.empty()) run.ui->ShowMessage(kProgramNullMessage);
    return EndRun(run, RunOutcome::Succeeded);
  }
  std::string error;
  if (StartProgram(run.script, run.product_directory, error) == kProgramFailed) run.ui->ShowMessage(error);
  EndRun(run, RunOutcome::Succeeded);
}

void StopRunAfterException(RunState& run) noexcept {
  try {
    std::string message = "Error. The installation stopped: ";
    try {
      throw;
    } catch (const std::bad_alloc&) {
      message += "out of memory.";
    } catch (const std::exception& exception) {
      message += exception.what();
    } catch (...) {
      message += "unexpected failure.";
    }
    run.outcome = RunOutcome::Failed;
    if (run.ui) run.ui->ShowMessage(message);
  } catch (...) {
    // Nothing more can be shown; the directory below is still removed.
  }
  if (!run.temporary_directory.empty()) DeleteTemporaryDirectory(run.temporary_directory);
}
