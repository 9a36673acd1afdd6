// Uninstall registration and the removal of a previous installation.
//
// Every installation leaves an uninstall program, product directory + "Uninstall\Uninstall.EXE",
// copied from the package, with the uninstall data appended behind its trailer (see
// package.h), one line each:
//
//   1    product name
//   2    product directory (ends with "\")
//   3    program group directory (ends with "\"), or empty when there is none
//   4 ... every file the run wrote, in order: program files, shortcut files, and last
//        the uninstall program itself
//   then  "WebPackage=<package key>", only when the web setup program ran the installation
//        (/WEBPACKAGE=): uninstalling the product then lets the package's cached cabinets go
//
// No path starts with "WebPackage=", so data without that line (as every installation wrote
// it before) reads as it always did, and an engine that knows no such line passes over it
// as a line that names no file of the product.
//
// and two registry records under HKEY_LOCAL_MACHINE: the engine's own installed-programs
// record (value "Directory") and the system's uninstall entry, "DisplayName" and
// "UninstallString" (quoted when the path holds a blank). The uninstall entry also
// carries what Add/Remove Programs and administrators expect: from the run,
// "InstallLocation", "EstimatedSize" (KB of the files written, DWORD), "DisplayIcon" (the
// Execute program when it is an EXE, else the uninstall program), "NoModify" and
// "NoRepair" (1), and "QuietUninstallString" (the uninstall string + " /S"); from the
// script's settings SetPublisher, SetDisplayVersion, SetURLInfoAbout and SetHelpLink, the
// values of the same names, each only when the script gives one.
//
// A later installation of the same product finds the earlier one through the
// installed-programs record, reads the data back from its uninstall program, deletes the
// listed files, removes the directories they leave empty up to the product directory or
// the program group, and deletes both registry keys.
//
// Where we differ on purpose, because the engine runs elevated and the list comes from a
// file anyone able to write the product directory could have changed:
//   * A listed file is deleted only when, after normalising case, separators, "." and
//     "..", it lies below the product directory or below the program group directory, and
//     no directory on the way (those two included) is a link or junction. Anything else
//     is passed over silently; legitimate data never lists anything else.
//   * The product directory of the data (line 2) must be the directory the installed-
//     programs record names; otherwise the earlier installation is not offered for removal.
//   * The program group (line 3) counts only when it lies below a Start-menu Programs
//     folder of this PC; a drive root never counts as either directory.
//   * Read-only attributes of listed files are cleared before deleting them (the cabinets
//     may have set them), so a reinstall does not leave them behind.
//   * When the uninstall program cannot be copied into the product directory, the
//     installation is not registered for uninstalling (no entry would point at a missing
//     program).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kUninstallKey = "SOFTWARE->Microsoft->Windows->CurrentVersion->Uninstall";
inline constexpr const char* kUninstallProgramName = "Uninstall.EXE";
inline constexpr const char* kUninstallProgramPath = "Uninstall\\Uninstall.EXE";

inline constexpr std::string_view kWebPackageLinePrefix = "WebPackage=";

// The uninstall data: `existing` (the lines already appended to the copied program) padded
// to three lines, lines 1 to 3 replaced, then every installed file appended, and last the
// package line when `web_package` is not empty.
std::vector<std::string> UninstallDataLines(std::vector<std::string> existing, const std::string& product_name,
                                            const std::string& product_directory,
                                            const std::string& program_group_directory,
                                            const std::vector<std::string>& installed_files,
                                            const std::string& web_package = {});

// True for a line of the data that names the web setup package rather than a file (its
// value may still be malformed).
bool IsWebPackageLine(std::string_view line);

// The package key of the data's last line, or empty when the data has no package line or its
// value is not a package key.
std::string WebPackageOfUninstallData(const std::vector<std::string>& lines);

// The "UninstallString" value for the program at `path`: enclosed in double quotes when
// it holds a blank.
std::string UninstallCommand(const std::string& path);

// The absolute path `path` with "/" turned into "\", repeated separators folded, and "."
// and ".." resolved, keeping the case; a trailing separator is dropped. Empty when the path
// is not absolute ("X:\..." or "\\server\share\..."), is a device path ("\\?\", "\\.\"),
// or ".." climbs above its root.
std::string NormalizedPath(std::string_view path);

// True when `path` lies strictly below `directory`, both normalised and compared ignoring
// case.
bool PathIsBelow(std::string_view path, std::string_view directory);

// True when `directory` is absolute and names more than a drive or share root.
bool IsBelowRoot(std::string_view directory);

// The directories to try to remove after `file` was deleted, innermost first: each parent
// of the file up to and including the deepest of `roots` it lies below. Empty when it lies
// below none. Paths are normalised, without trailing separators.
std::vector<std::string> DirectoriesToRemove(std::string_view file, const std::vector<std::string>& roots);

// Kilobytes for "EstimatedSize", rounded up.
std::uint32_t EstimatedSizeKb(std::uint64_t bytes);

// --- Windows build only (uninstall_win32.cpp) ---

struct RunState;

// The uninstall data of an earlier installation of `product_name`, or nothing when there
// is none to remove; `directory` receives the recorded product directory.
std::vector<std::string> FindPreviousInstallation(const std::string& product_name, std::string& directory);

// How RemoveInstallation treats what it cannot delete now.
struct RemovalSettings {
  // A file in use is deleted at the next boot, and so are the directories it keeps from
  // being removed now (the uninstall program); otherwise it is left where it is (a
  // reinstall, which writes over it).
  bool delete_in_use_at_restart = false;
  // A listed file that is left alone: the running uninstall program, whose copy deletes it.
  std::string keep_file;
};

// What a removal did, for a log.
struct RemovalReport {
  std::vector<std::string> deleted;             // listed files deleted now
  std::vector<std::string> deleted_at_restart;  // files, then directories, left for the next boot
  std::vector<std::string> passed_over;         // lines outside both directories or behind a link
};

// Deletes the files of uninstall data (or a previous-installation record) by the rules
// above, the directories they leave empty, and both registry keys of the product.
RemovalReport RemoveInstallation(const std::vector<std::string>& record, const RemovalSettings& settings);

// The removal of a previous installation before a reinstall: RemoveInstallation with
// files in use left in place. Reports nothing.
void RemovePreviousInstallation(const std::vector<std::string>& record);

// Copies the package's Uninstall.EXE into the product directory, appends the uninstall
// data and writes the system's uninstall entry. Reports nothing; without an uninstall
// program in the package the installation simply gets none.
void CreateUninstallProgram(RunState& run);
