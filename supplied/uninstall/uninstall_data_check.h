// The uninstall program refuses damaged uninstall data before it changes anything.
//
// The data is the appended lines of its own file (docs/uninstall-data.md): product name,
// product directory, program group directory, then the installed files. It is refused,
// with a message that says why, when
//   * the file has no trailer, or the trailer's base size is not the program's own size
//     (the lines would not start where the program ends);
//   * there are fewer than three lines, or the product name is empty or holds a character
//     no file or registry key name may hold (it names the product's registry keys, and a
//     "\" in it would reach other keys);
//   * the product directory is not an absolute path, is a drive or share root, or is the
//     Windows directory, a system directory or a directory above one of them;
//   * the program group line is neither empty nor an absolute path;
//   * any later line is not an absolute path (relative, "..\" climbing above its root,
//     a device path, characters no file name may hold).
// Paths that are well formed but lie outside the product directory and the program group
// are not refused here: the removal passes over them (engine/install_actions/uninstall.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Empty when the data may be used; otherwise the message to show. `trailer_base` is the
// trailer's base size (-1 without a trailer), `own_size` the program's own file size and
// `system_directories` the Windows directory and the system directories of this PC.
std::string UninstallDataProblem(const std::vector<std::string>& lines, std::int64_t trailer_base,
                                 std::uint64_t own_size, const std::vector<std::string>& system_directories);

// Sound data still names the installation whose files it deletes only when it lies where
// that installation put it. Empty when the product directory of the data (`lines[1]`,
// data that passed UninstallDataProblem) is the directory recorded for the product in the
// installed-programs record (`recorded_directory`, empty when there is no record) and the
// uninstall program carrying the data (`program_path`) is "<product directory>Uninstall\"
// followed by its file name; otherwise the message to show. The record is written under
// HKEY_LOCAL_MACHINE and the product directory below Program Files, where only
// administrators write; a copy of the program elsewhere, or data naming a directory the
// record does not, is not the installation's own.
std::string UninstallLocationProblem(const std::vector<std::string>& lines, const std::string& recorded_directory,
                                     const std::string& program_path);
