// Path helpers shared by the installation actions. Directory paths end with "\".
#pragma once

#include <string>
#include <string_view>

// The text after the last "\" or "/"; the whole text when there is neither.
std::string FileNameOfPath(std::string_view path);

// True when `name` names a file directly in a directory: one component that the cabinet
// expansion would accept (no "\", "/", drive, "..", device name or character Windows
// refuses), so it can never reach outside the directory it is put in.
bool IsPlainFileName(std::string_view name);

// Windows build only:

// True when a uniquely named "~ts" file can be created (and is deleted again) in `directory`.
bool DirectoryIsWritable(std::string_view directory);

// True when every directory of `path` below its root exists and is writable, or could be
// created. The root ("C:\") is never probed or created, so a bare root fails.
bool CreateDirectoryTree(std::string_view path);
