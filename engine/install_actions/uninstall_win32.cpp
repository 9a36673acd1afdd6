#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "cabinet.h"
#include "choices.h"
#include "final_program.h"
#include "package.h"
#include "paths.h"
#include "registry.h"
#include "run_state.h"
#include "text.h"
#include "uninstall.h"

namespace {

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || path[0] == '\0') return {};
  return path;
}

// The program group of the data counts only below a Start-menu Programs folder: the
// current user's or the one shared by all users.
bool IsProgramGroupOfThisPc(const std::string& group) {
  for (const int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
    const std::string programs = ShellFolder(csidl);
    if (!programs.empty() && PathIsBelow(group, programs)) return true;
  }
  return false;
}

bool IsLinkOrJunction(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The directories that a removal may touch, normalised: the product directory and the
// program group, each only when it is safe to work below it.
std::vector<std::string> RemovalRoots(const std::string& product_directory, const std::string& group) {
  std::vector<std::string> roots;
  if (IsBelowRoot(product_directory)) roots.push_back(NormalizedPath(product_directory));
  if (IsBelowRoot(group) && IsProgramGroupOfThisPc(group)) roots.push_back(NormalizedPath(group));
  return roots;
}

// True when `file` lies below one of `roots` and no directory from that root down to the
// file's own directory is a link or junction, so deleting it cannot reach elsewhere.
bool MayDelete(const std::string& file, const std::vector<std::string>& roots) {
  const std::vector<std::string> directories = DirectoriesToRemove(file, roots);
  if (directories.empty()) return false;
  for (const std::string& directory : directories) {
    if (IsLinkOrJunction(directory)) return false;
  }
  return true;
}

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Deletes one listed file when the rules allow it; one that is in use is left for the
// next boot when the settings ask for that. True when it was left for the next boot.
bool DeleteListedFile(const std::string& file, const std::vector<std::string>& roots, const RemovalSettings& settings,
                      RemovalReport& report) {
  if (!MayDelete(file, roots)) {
    report.passed_over.push_back(file);
    return false;
  }
  const std::string path = NormalizedPath(file);
  if (!settings.keep_file.empty() && EqualsIgnoringCase(path, NormalizedPath(settings.keep_file))) return false;
  if (!IsExistingFile(path)) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  if (DeleteFileA(path.c_str())) {
    report.deleted.push_back(path);
    return false;
  }
  if (!settings.delete_in_use_at_restart || !MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    return false;
  report.deleted_at_restart.push_back(path);
  return true;
}

// Removes the directories above `file` that are empty now, up to its root; RemoveDirectory
// leaves any that still hold something. A link on the way ends the climb untouched.
void RemoveEmptiedDirectories(const std::string& file, const std::vector<std::string>& roots) {
  for (const std::string& directory : DirectoriesToRemove(file, roots)) {
    if (IsLinkOrJunction(directory)) return;
    RemoveDirectoryA(directory.c_str());
  }
}

// The directories that a file left for the next boot keeps from being removed now go at
// the next boot too, after it; the system then removes only those that are empty.
void RemoveDirectoriesAtRestart(const std::string& file, const std::vector<std::string>& roots,
                                RemovalReport& report) {
  for (const std::string& directory : DirectoriesToRemove(file, roots)) {
    if (GetFileAttributesA(directory.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const auto same = [&directory](const std::string& earlier) { return EqualsIgnoringCase(earlier, directory); };
    const auto& scheduled = report.deleted_at_restart;
    if (std::any_of(scheduled.begin(), scheduled.end(), same)) continue;
    if (!MoveFileExA(directory.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) continue;
    report.deleted_at_restart.push_back(directory);
  }
}

// Renaming the group folder away and back makes the shell notice that the Start menu
// changed.
void NudgeStartMenu(const std::string& group) {
  std::string folder = group;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  const std::string renamed = folder + "_2";
  if (MoveFileA(folder.c_str(), renamed.c_str())) MoveFileA(renamed.c_str(), folder.c_str());
}

void DeleteProductKey(const char* parent_path, const std::string& product_name) {
  RegistryKey parent = OpenRegistryPath(HKEY_LOCAL_MACHINE, parent_path, "->", false);
  if (parent) RegDeleteKeyA(parent.get(), product_name.c_str());
}

bool WriteRegistryDword(const std::string& path, const char* name, DWORD value) {
  RegistryKey key = OpenRegistryPath(HKEY_LOCAL_MACHINE, path, "->", true);
  return key && RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                    ERROR_SUCCESS;
}

std::uint64_t TotalFileBytes(const std::vector<std::string>& files) {
  std::uint64_t total = 0;
  for (const std::string& file : files) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) continue;
    total += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return total;
}

// Entry values the script gives as settings, written only when it has them.
struct EntryValueSetting {
  const char* setting;
  const char* value_name;
};
constexpr EntryValueSetting kEntryValueSettings[] = {
    {"Publisher", "Publisher"},
    {"DisplayVersion", "DisplayVersion"},
    {"URLInfoAbout", "URLInfoAbout"},
    {"HelpLink", "HelpLink"},
};

void RegisterUninstallEntry(const RunState& run, const std::string& uninstall_program) {
  const std::string key = std::string(kUninstallKey) + "->" + run.product_name;
  const std::string command = UninstallCommand(uninstall_program);
  WriteRegistryString(HKEY_LOCAL_MACHINE, key, "DisplayName", run.product_name, "->");
  WriteRegistryString(HKEY_LOCAL_MACHINE, key, "UninstallString", command, "->");
  WriteRegistryString(HKEY_LOCAL_MACHINE, key, "QuietUninstallString", command + " /S", "->");
  WriteRegistryString(HKEY_LOCAL_MACHINE, key, "InstallLocation", run.product_directory, "->");
  const std::string program = FindExecuteProgram(run.script, run.product_directory).program;
  WriteRegistryString(HKEY_LOCAL_MACHINE, key, "DisplayIcon",
                      !program.empty() && IsExeProgram(program) ? program : uninstall_program, "->");
  for (const EntryValueSetting& entry : kEntryValueSettings) {
    const std::string value = ScriptSetting(run.script, entry.setting);
    if (!value.empty()) WriteRegistryString(HKEY_LOCAL_MACHINE, key, entry.value_name, value, "->");
  }
  WriteRegistryDword(key, "EstimatedSize", EstimatedSizeKb(TotalFileBytes(run.installed_files)));
  WriteRegistryDword(key, "NoModify", 1);
  WriteRegistryDword(key, "NoRepair", 1);
}

}  // namespace

std::vector<std::string> FindPreviousInstallation(const std::string& product_name, std::string& directory) {
  if (product_name.empty()) return {};
  std::string recorded =
      ReadRegistryString(HKEY_LOCAL_MACHINE, std::string(kInstalledProgramsKey) + "->" + product_name, "Directory",
                         "->", kPathBuffer);
  if (recorded.empty()) return {};
  AppendBackslash(recorded);
  if (!DirectoryIsWritable(recorded)) return {};

  std::vector<std::string> lines;
  if (!ReadAppendedLines(recorded + kUninstallProgramPath, lines) || lines.size() < 3) return {};
  if (!EqualsIgnoringCase(lines[0], product_name)) return {};
  const std::string recorded_normal = NormalizedPath(recorded);
  if (recorded_normal.empty() || !EqualsIgnoringCase(NormalizedPath(lines[1]), recorded_normal)) return {};
  directory = recorded;
  return lines;
}

RemovalReport RemoveInstallation(const std::vector<std::string>& record, const RemovalSettings& settings) {
  RemovalReport report;
  if (record.size() < 3) return report;
  const std::string& name = record[0];
  const std::string group = WithBackslash(record[2]);
  const std::vector<std::string> roots = RemovalRoots(WithBackslash(record[1]), group);

  std::vector<std::string> left_for_restart;
  const std::size_t files_end = record.size() - (record.size() > 3 && IsWebPackageLine(record.back()) ? 1 : 0);
  for (std::size_t line = 3; line < files_end; ++line) {
    if (DeleteListedFile(record[line], roots, settings, report)) left_for_restart.push_back(record[line]);
  }
  for (std::size_t line = 3; line < files_end; ++line) RemoveEmptiedDirectories(record[line], roots);
  for (const std::string& file : left_for_restart) RemoveDirectoriesAtRestart(file, roots, report);
  if (IsBelowRoot(group) && IsProgramGroupOfThisPc(group)) NudgeStartMenu(NormalizedPath(group));

  if (name.empty()) return report;  // an empty sub-key name would delete the parent key itself
  DeleteProductKey("Software->Corvanta Install->Installed Programs", name);
  DeleteProductKey("Software->Microsoft->Windows->CurrentVersion->Uninstall", name);
  return report;
}

void RemovePreviousInstallation(const std::vector<std::string>& record) { RemoveInstallation(record, {}); }

void CreateUninstallProgram(RunState& run) {
  if (!ExtractFileFromCab(run.temporary_directory + std::string(kAttachmentFileName), run.temporary_directory,
                          kUninstallProgramName)) {
    return;
  }
  AddLogLine(run, "Creating Uninstall Program");
  const std::string uninstall_program = run.product_directory + kUninstallProgramPath;
  CreateDirectoryTree(run.product_directory + "Uninstall\\");
  if (!CopyFileA((run.temporary_directory + kUninstallProgramName).c_str(), uninstall_program.c_str(), FALSE)) return;
  // The cabinet may have marked the program read-only; its data must still be appended.
  const DWORD attributes = GetFileAttributesA(uninstall_program.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(uninstall_program.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  run.installed_files.push_back(uninstall_program);

  std::vector<std::string> existing;
  ReadAppendedLines(uninstall_program, existing);
  WriteAppendedLines(uninstall_program, UninstallDataLines(std::move(existing), run.product_name, run.product_directory,
                                                           run.program_group_directory, run.installed_files,
                                                           run.options.web_package));
  RegisterUninstallEntry(run, uninstall_program);
}
