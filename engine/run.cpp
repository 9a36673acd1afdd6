#include "run.h"

#define WT_DEFINE_ALL_APIS
#include <softpub.h>
#include <wintrust.h>

#include <algorithm>
#include <exception>
#include <new>
#include <cstdio>
#include <cstring>

#include "cabinet.h"
#include "choices.h"
#include "components.h"
#include "disk_space.h"
#include "engine_size.h"
#include "final_program.h"
#include "package.h"
#include "paths.h"
#include "program_files.h"
#include "registry.h"
#include "restart.h"
#include "shortcuts.h"
#include "text.h"
#include "uninstall.h"

namespace {

constexpr const char* kScriptFileName = "Script.TXT";

using WinVerifyTrustFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);


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
  if (!ExtractAttachment(run.own_exe_path, EngineFileSize(), directory.path, error)) {
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

// The package's Authenticode signature, checked through WinTrust's generic verification
// policy. Wine and current Windows implement that policy for real, where the older
// published-software action is accepted without any check.
LONG VerifyPackageSignature(const RunState& run) {
  const auto verify = reinterpret_cast<WinVerifyTrustFunction>(reinterpret_cast<void (*)()>(run.win_verify_trust));
  std::wstring path(run.own_exe_path.begin(), run.own_exe_path.end());
  const int wide_length = MultiByteToWideChar(CP_ACP, 0, run.own_exe_path.c_str(), -1, nullptr, 0);
  if (wide_length > 0) {
    path.assign(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, run.own_exe_path.c_str(), -1, path.data(), wide_length);
    path.resize(static_cast<std::size_t>(wide_length - 1));
  }
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = run.options.silent ? WTD_UI_NONE : WTD_UI_ALL;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = verify(nullptr, &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  verify(nullptr, &action, &data);
  return result;
}

// Why start-up stops at the trust check, for the log; empty when the run may go on.
std::string TrustCheckStop(RunState& run) {
  if (UpperCase(ScriptSetting(run.script, "CheckTrust")) != "TRUE") return {};
  if (!run.win_verify_trust) {
    if (run.ui->Ask(Question::RunWithoutTrustCheck,
                    "The certificate of this Installation program cannot be displayed because the DLL file "
                    "WinTrust.DLL cannot be loaded. Would you like to run this installation program anyhow?")) {
      return {};
    }
    return "WinTrust.DLL cannot be loaded, and the installation was not run without a signature check.";
  }
  const LONG result = VerifyPackageSignature(run);
  if (result == ERROR_SUCCESS) return {};
  if (result == TRUST_E_NOSIGNATURE) return "This installation program is not signed; it was not run.";
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return "The signature of this installation program could not be verified (" + std::string(code) +
         "); it was not run.";
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

bool IsDotDirectory(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Deletes the files of `directory` and finds its first sub-directory. Links to directories
// (junctions, symbolic links) are removed as links here, never entered.
bool ClearFilesAndFindSubDirectory(const std::string& directory, std::string& sub_directory) {
  sub_directory.clear();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  bool ok = true;
  do {
    if (IsDotDirectory(found.cFileName)) continue;
    const std::string path = directory + found.cFileName;
    const bool is_directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool is_link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (is_directory && !is_link) {
      if (sub_directory.empty()) sub_directory = path + "\\";
      continue;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const BOOL removed = is_directory ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    if (!removed) ok = false;
  } while (ok && FindNextFileA(search, &found));
  FindClose(search);
  return ok;
}

// An earlier installation of the product is removed only when the user agrees; No leaves
// the record empty and the Install button usable again.
bool ConfirmPreviousInstallationRemoval(RunState& run) {
  std::string directory;
  run.previous_installation = FindPreviousInstallation(run.product_name, directory);
  if (run.previous_installation.empty()) return true;
  if (run.ui->Ask(Question::RemovePreviousInstallation,
                  "A previous installation of this program was found in directory: \r\r" + directory +
                      "\r\rContinuing will remove the previous installation of this program. Would you like to "
                      "continue?")) {
    return true;
  }
  run.previous_installation.clear();
  return false;
}

}  // namespace

bool InitializeRun(RunState& run) {
  HMODULE wintrust = LoadLibraryExA("WinTrust.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  run.win_verify_trust = wintrust ? GetProcAddress(wintrust, "WinVerifyTrust") : nullptr;
  run.own_exe_path = OwnExePath();

  if (!TakeOutScript(run)) return false;
  if (const std::string stop = TrustCheckStop(run); !stop.empty()) {
    // No message box here, but an administrator reading the log should learn why.
    AddLogLine(run, stop);
    return false;
  }

  std::string error;
  if (!ExtractAttachment(run.own_exe_path, EngineFileSize(), run.temporary_directory, error)) {
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

bool PrepareInstallation(RunState& run, const std::string& destination) {
  if (!ConfirmPreviousInstallationRemoval(run)) return false;
  run.product_directory = destination;
  AppendBackslash(run.product_directory);
  if (const std::string shortage = CheckDiskSpace(run); !shortage.empty()) {
    run.ui->ShowMessage(shortage);
    return false;
  }
  if (run.product_directory.size() > kMaxDirectoryPath) {
    run.ui->ShowMessage("Error: Cannot create directory " + run.product_directory + "\r\rThe path is longer than " +
                        std::to_string(kMaxDirectoryPath) + " characters.");
    return false;
  }
  if (!CreateDirectoryTree(run.product_directory)) {
    run.ui->ShowMessage("Error: Cannot create directory " + run.product_directory);
    return false;
  }
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
    if (run.ui->Ask(Question::RestartNow,
                    "To complete the Installation, you must re-boot your computer. Would you like to re-boot your "
                    "computer now?")) {
      RestartComputer();
    }
    return EndRun(run, RunOutcome::RestartNeeded);
  }
  AddLogLine(run, "Installation completed");
  const std::string done = ScriptSetting(run.script, "DoneMessage");
  if (!done.empty()) run.ui->ShowMessage(done);
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

void AddLogLine(RunState& run, const std::string& text) {
  run.log_text += "\r\n" + text;
  ++run.log_lines;
  run.ui->ShowLog(run.log_text, run.log_lines);
}

namespace {

// The full path of `directory` with a trailing "\" when it is one of the engine's own
// temporary directories; empty otherwise.
std::string OwnTemporaryDirectory(const std::string& directory) {
  const std::string temporary = TemporaryPath();
  if (temporary.empty() || directory.empty()) return {};
  // Judge the path as the file system will resolve it, so "..\" cannot lead elsewhere.
  char full[MAX_PATH + 1] = {};
  const DWORD length = GetFullPathNameA(directory.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length > MAX_PATH) return {};
  std::string top(full, length);
  AppendBackslash(top);
  const std::string prefix = temporary + "~ts";
  if (!StartsWithIgnoringCase(directory, prefix) || !StartsWithIgnoringCase(top, prefix)) return {};
  if (top.find('\\', prefix.size()) != top.size() - 1) return {};  // only the "~ts" directory itself
  return top;
}

}  // namespace

bool IsOwnTemporaryDirectory(const std::string& directory) { return !OwnTemporaryDirectory(directory).empty(); }

std::string OwnExePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && path.find_last_of('\\') < dot) path.resize(dot);
  return UpperCase(path + ".EXE");
}

bool DeleteTemporaryDirectory(const std::string& directory) {
  const std::string top = OwnTemporaryDirectory(directory);
  if (top.empty()) return false;

  // Asked with a trailing "\", the system would describe the link's target instead.
  const std::string top_entry = top.substr(0, top.size() - 1);
  const DWORD attributes = GetFileAttributesA(top_entry.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryA(top_entry.c_str()) != 0;

  std::string current = top;
  for (;;) {
    std::string sub_directory;
    if (!ClearFilesAndFindSubDirectory(current, sub_directory)) return false;
    if (!sub_directory.empty()) {
      current = sub_directory;
      continue;
    }
    SetFileAttributesA(current.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryA(current.c_str())) return false;
    if (current == top) return true;
    current = top;
  }
}
