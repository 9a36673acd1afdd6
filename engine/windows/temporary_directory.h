// The engine's own temporary ("~ts") directories, directly under the system temporary
// path, and their removal at the end of a run or on any stop.
#pragma once

#include <string>

// True when `directory` (with or without its trailing "\") is one of the engine's own
// "~ts" directories directly under the system temporary path, judged as the file system
// resolves the path.
bool IsOwnTemporaryDirectory(const std::string& directory);

// Deletes `directory` and everything in it, but only when it is one of the engine's own
// "~ts" directories under the system temporary path. Never follows a directory link or
// junction out of the tree, not even one swapped in while the removal runs: each
// directory is opened relative to its parent's open handle without following a link at
// its name, and entered only when the handle shows the plain directory that the listing
// showed (no reparse point, the same file id); anything else stops the removal (false).
// Files and links of any kind are deleted as entries of the open directory.
bool DeleteTemporaryDirectory(const std::string& directory);
