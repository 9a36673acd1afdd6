// The uninstall program refuses damaged uninstall data before it changes anything.
//
// The data is the appended lines of its own file (docs/uninstall-data.md): product name,
// product directory, program group directory, then the installed files. It is refused,
// with a message that says why, when
//   * the file has no trailer, or the trailer's base size is not the program's own size
//     (the lines would not start where the program ends);
//   * there are fewer than three lines, or the product name is empty;
//   * the product directory is not an absolute path, is a drive or share root, or is the
//     Windows directory, a system directory or a directory above one of them;
//   * the program group line is neither empty nor an absolute path;
//   * any later line is not an absolute path (relative, "..\" climbing above its root,
//     a device path, characters no file name may hold).
// Paths that are well formed but lie outside the product directory and the program group
// are not refused here: the removal passes over them (engine/uninstall.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Empty when the data may be used; otherwise the message to show. `trailer_base` is the
// trailer's base size (-1 without a trailer), `own_size` the program's own file size and
// `system_directories` the Windows directory and the system directories of this PC.
std::string UninstallDataProblem(const std::vector<std::string>& lines, std::int64_t trailer_base,
                                 std::uint64_t own_size, const std::vector<std::string>& system_directories);
