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
// junction out of the tree.
bool DeleteTemporaryDirectory(const std::string& directory);
