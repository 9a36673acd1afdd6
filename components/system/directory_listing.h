// One directory's entries, for the file search. A link to a directory (a symbolic link, or a
// junction or other reparse point on Windows) is reported as such and never as a directory,
// so that a search does not follow it; entries that are neither files nor directories
// (devices, pipes, broken links) are left out.
#pragma once

#include <string>
#include <vector>

enum class DirectoryEntryKind { File, Directory, DirectoryLink };

struct DirectoryEntry {
  std::string name;
  DirectoryEntryKind kind = DirectoryEntryKind::File;
};

// The entries of `directory` (which ends in a separator), "." and ".." excluded, in the
// order the system gives them; false when the directory cannot be read.
bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries);
