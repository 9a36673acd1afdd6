#include "uninstaller.h"

#include <windows.h>

#include "cache_directory.h"
#include "choices.h"
#include "command_line.h"
#include "engine_size.h"
#include "log_file.h"
#include "package.h"
#include "package_cache.h"
#include "paths.h"
#include "registry.h"
#include "run.h"
#include "self_removal.h"
#include "text.h"
#include "uninstall.h"
#include "uninstall_data_check.h"
#include "uninstall_messages.h"
#include "win32_handles.h"

namespace {

// Message boxes, or with /S (and in the temporary copy) the log only, in the lines the
// engine's silent mode writes.
class UninstallUi {
 public:
  UninstallUi(bool silent, const LogFile& log) : silent_(silent), log_(log) {}
  void Show(const std::string& title, const std::string& text, UINT icon) const {
    log_.Append("Message: " + text);
    if (!silent_) MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | icon);
  }
  bool Ask(const std::string& title, const std::string& text) const {
    const bool yes = silent_ || MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    log_.Append("Question: " + text + (yes ? " -> Yes" : " -> No"));
    return yes;
  }

 private:
  bool silent_;
  const LogFile& log_;
};

std::string LongPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  return length == 0 || length > MAX_PATH ? path : std::string(buffer, length);
}

std::vector<std::string> SystemDirectories() {
  std::vector<std::string> directories;
  char path[MAX_PATH + 1] = {};
  if (UINT length = GetWindowsDirectoryA(path, sizeof path); length > 0 && length <= MAX_PATH)
    directories.emplace_back(path, length);
  if (UINT length = GetSystemDirectoryA(path, sizeof path); length > 0 && length <= MAX_PATH)
    directories.emplace_back(path, length);
  // The 32-bit system directory of 64-bit Windows; the call fails on 32-bit Windows.
  if (UINT length = GetSystemWow64DirectoryA(path, sizeof path); length > 0 && length <= MAX_PATH)
    directories.emplace_back(path, length);
  return directories;
}

void LogRemoval(const LogFile& log, const RemovalReport& report) {
  for (const std::string& path : report.deleted) log.Append("Deleted " + path);
  for (const std::string& path : report.deleted_at_restart) log.Append("Deleted at the next restart: " + path);
  for (const std::string& line : report.passed_over)
    log.Append("Passed over, outside the product directory and the program group: " + line);
}

// Once the product is gone, so are the cabinets the web setup program cached for the
// package that installed it and that no other package uses. Whatever the cache holds, the
// uninstall's result stays what the removal made it.
void RemoveWebPackageFromCache(const std::vector<std::string>& lines, const LogFile& log) {
  if (lines.size() <= 3 || !IsWebPackageLine(lines.back())) return;
  const std::string key = WebPackageOfUninstallData(lines);
  if (key.empty()) {
    log.Append("Ignored the web setup package line, which names no package: " + lines.back());
    return;
  }
  for (const std::string& cache : PackageCacheDirectories()) {
    for (const std::string& path : RemoveCachedPackage(cache, key)) log.Append("Removed from the cache: " + path);
  }
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// True when `directory` holds anything besides the entry named `except`.
bool HoldsOtherThan(const std::string& directory, const std::string& except) {
  WIN32_FIND_DATAA found;
  const SearchHandle search(FindFirstFileA((directory + "*").c_str(), &found));
  if (!search) return false;
  bool other = false;
  do {
    const std::string name = found.cFileName;
    other = name != "." && name != ".." && !EqualsIgnoringCase(name, except);
  } while (!other && FindNextFileA(search.get(), &found));
  return other;
}

// The product directory when something the installation did not write keeps it: anything
// besides the Uninstall folder, or anything in it besides the running program, which its
// copy deletes.
std::string KeptDirectory(const std::string& product_directory) {
  std::string directory = product_directory;
  AppendBackslash(directory);
  if (!Exists(directory)) return {};
  if (HoldsOtherThan(directory, "Uninstall") || HoldsOtherThan(directory + "Uninstall\\", kUninstallProgramName))
    return directory;
  return {};
}

// The product directory of the machine's installed-programs record for `product_name`.
std::string RecordedDirectory(const std::string& product_name) {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, std::string(kInstalledProgramsKey) + "->" + product_name, "Directory",
                            "->", kPathBuffer);
}

// The folders above the original program, the Uninstall folder and the product directory,
// each removed only when it is empty.
void RemoveFoldersOfOriginal(const std::string& original_program) {
  const std::string uninstall_folder = original_program.substr(0, original_program.find_last_of('\\'));
  RemoveDirectoryA(uninstall_folder.c_str());
  RemoveDirectoryA(uninstall_folder.substr(0, uninstall_folder.find_last_of('\\')).c_str());
}

// The temporary copy, while the original waits: everything but the original's own file
// goes, both registry keys included, and the original learns the exit status. Once the
// original has ended, its file (moved beside the copy, or still in place) and the folders
// it kept go too, and nothing else: a new installation of the product may be under way.
int FinishAsCopy(const UninstallOptions& options, const std::vector<std::string>& lines, const LogFile& log) {
  const RemovalReport report = RemoveInstallation(lines, RemovalSettings{true, options.original_program});
  LogRemoval(log, report);
  RemoveWebPackageFromCache(lines, log);
  const int status = report.deleted_at_restart.empty() ? kExitSuccess : kExitRestartNeeded;
  ReportStatusToOriginal(options.status_pipe, status);
  WaitForOriginal(options.original_process);

  log.Append("Removing the uninstall program");
  const std::string& original = options.original_program;
  if (!DeleteMovedOriginal(OwnExePath())) {
    SetFileAttributesA(original.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(original.c_str())) {
      MoveFileExA(original.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      log.Append("Deleted at the next restart: " + original);
    }
  }
  if (!Exists(original)) log.Append("Deleted " + WithBackslash(lines[1]) + kUninstallProgramPath);
  RemoveFoldersOfOriginal(original);
  RemoveOwnDirectoryAtRestart(OwnExePath());
  return status;
}

// The original, once the copy has done the removal: it leaves the product directory, so
// that nothing but the emptied Uninstall folder waits for the copy.
void LeaveProductDirectory(const TemporaryCopy& copy, const std::string& own_path) {
  if (copy.MoveOriginalAside(own_path)) RemoveFoldersOfOriginal(own_path);
}

// The original holds no directory of the product as its current one: the removal of the
// directory would wait for its end.
void LeaveCurrentDirectory() {
  char system[MAX_PATH + 1] = {};
  if (UINT length = GetSystemDirectoryA(system, sizeof system); length > 0 && length <= MAX_PATH)
    SetCurrentDirectoryA(system);
}

}  // namespace

int RunUninstaller(const UninstallOptions& options) {
  const LogFile log(options.log_file);
  const UninstallUi ui(options.silent || options.is_copy, log);
  const std::string own_path = LongPath(OwnExePath());
  if (options.is_copy &&
      (!RunsFromOwnTemporaryDirectory(own_path) ||
       !IsStartedByOriginal(options.original_process, options.original_program))) {
    ui.Show(kUninstallTitle, "Error. The options /CLEANUP= and /ORIGINAL= are for the uninstall program's own use.",
            MB_ICONERROR);
    return kExitFailure;
  }
  const std::string data_file = options.is_copy ? options.original_program : own_path;

  std::vector<std::string> lines;
  std::int64_t trailer_base = -1;
  if (!ReadAppendedLines(data_file, lines, trailer_base)) {
    ui.Show(kUninstallTitle, "Error. Cannot read the uninstall data of " + data_file + ". Nothing was removed.",
            MB_ICONERROR);
    return kExitFailure;
  }
  const std::string problem = UninstallDataProblem(lines, trailer_base, EngineFileSize(), SystemDirectories());
  if (!problem.empty()) {
    ui.Show(kUninstallTitle, problem, MB_ICONERROR);
    return kExitFailure;
  }
  if (const std::string foreign = UninstallLocationProblem(lines, RecordedDirectory(lines[0]), data_file);
      !foreign.empty()) {
    ui.Show(kUninstallTitle, foreign, MB_ICONERROR);
    return kExitFailure;
  }
  if (options.is_copy) return FinishAsCopy(options, lines, log);

  const std::string& product_name = lines[0];
  if (!ui.Ask(product_name, RemovalQuestion(product_name))) return kExitCancelled;
  log.Append("Removing " + product_name);
  LeaveCurrentDirectory();
  TemporaryCopy copy;
  int status = kExitFailure;
  if (copy.Start(own_path, options.log_file)) {
    status = copy.WaitForRemoval();
    if (status == kExitFailure) {
      ui.Show(product_name, RemovalFailedMessage(product_name), MB_ICONERROR);
      return status;
    }
    LeaveProductDirectory(copy, own_path);
  } else {
    // Without a copy the running program is left for the next boot as a file in use, with
    // the directories it keeps.
    log.Append("No temporary copy of the uninstall program could be started");
    const RemovalReport report = RemoveInstallation(lines, RemovalSettings{true, {}});
    LogRemoval(log, report);
    RemoveWebPackageFromCache(lines, log);
    status = report.deleted_at_restart.empty() ? kExitSuccess : kExitRestartNeeded;
  }
  ui.Show(product_name, RemovalDoneMessage(product_name, status == kExitRestartNeeded, KeptDirectory(lines[1])),
          MB_ICONINFORMATION);
  log.Append("Uninstall completed");
  return status;
}
