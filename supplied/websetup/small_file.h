// Files of ours small enough to be read and written whole: the package cache's indexes,
// part lists, and the records a partial download keeps beside its file.
#pragma once

#include <cstddef>
#include <string>

// The whole of the file at `path` into `text`; false when it cannot be opened or holds
// more than `limit` bytes (only `limit` + 1 bytes are ever read).
bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& text);

// `text` as the whole of the file at `path`; false when it was not all written.
bool WriteSmallFile(const std::string& path, const std::string& text);
