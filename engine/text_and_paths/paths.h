// Path helpers shared by the installation actions. Directory paths end with "\".
#pragma once

#include <string>
#include <string_view>

// The size of the buffers handed to the platform calls that report directories, paths
// and registry strings.
inline constexpr unsigned kPathBuffer = 300;

// The text after the last "\" or "/"; the whole text when there is neither.
std::string FileNameOfPath(std::string_view path);

// Adds the final "\" of a directory path when it is missing (an empty path becomes "\").
void AppendBackslash(std::string& path);

// The same on a copy.
inline std::string WithBackslash(std::string path) {
  AppendBackslash(path);
  return path;
}

// The longest directory path (with its final "\") that Windows creates with the
// directory calls the engine uses.
inline constexpr std::size_t kMaxDirectoryPath = 248;

// True when `name` names a file directly in a directory: one component that the cabinet
// expansion would accept (no "\", "/", drive, "..", device name or character Windows
// refuses), so it can never reach outside the directory it is put in.
bool IsPlainFileName(std::string_view name);

// Windows build only:

// The system directory, the Windows directory (both without a final "\") and the
// temporary path (with one); empty when the platform does not tell.
std::string SystemDirectory();
std::string WindowsDirectory();
std::string TemporaryPath();

// The path of the running program, upper case, ending in ".EXE".
std::string OwnExePath();

// True when a uniquely named "~ts" file can be created (and is deleted again) in `directory`.
bool DirectoryIsWritable(std::string_view directory);

// True when every directory of `path` below its root exists and is writable, or could be
// created. The root ("C:\") is never probed or created, so a bare root fails.
bool CreateDirectoryTree(std::string_view path);
