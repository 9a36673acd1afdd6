#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>

#include "directory_listing.h"

namespace {

struct DirectoryCloser {
  void operator()(DIR* directory) const { closedir(directory); }
};

bool Classify(const std::string& path, DirectoryEntryKind& kind) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return false;
  if (S_ISDIR(status.st_mode)) {
    kind = DirectoryEntryKind::Directory;
    return true;
  }
  if (S_ISREG(status.st_mode)) {
    kind = DirectoryEntryKind::File;
    return true;
  }
  if (!S_ISLNK(status.st_mode) || stat(path.c_str(), &status) != 0) return false;
  if (S_ISDIR(status.st_mode)) {
    kind = DirectoryEntryKind::DirectoryLink;
    return true;
  }
  kind = DirectoryEntryKind::File;
  return S_ISREG(status.st_mode);
}

}  // namespace

bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  std::unique_ptr<DIR, DirectoryCloser> listing(opendir(directory.c_str()));
  if (!listing) return false;
  while (const dirent* entry = readdir(listing.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    DirectoryEntry found{entry->d_name, DirectoryEntryKind::File};
    // The entry's type as the directory tells it saves a system call per entry; links and
    // file systems that do not tell are examined.
    if (entry->d_type == DT_REG) {
      entries.push_back(std::move(found));
    } else if (entry->d_type == DT_DIR) {
      found.kind = DirectoryEntryKind::Directory;
      entries.push_back(std::move(found));
    } else if ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) && Classify(directory + found.name, found.kind)) {
      entries.push_back(std::move(found));
    }
  }
  return true;
}
