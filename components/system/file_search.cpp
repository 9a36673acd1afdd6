#include "file_search.h"

#include <algorithm>
#include <limits>

#include "directory_listing.h"
#include "path_services.h"

namespace {

bool NameBefore(const DirectoryEntry& left, const DirectoryEntry& right) {
  const auto upper_less = [](char a, char b) {
    return static_cast<unsigned char>(UpperAscii(a)) < static_cast<unsigned char>(UpperAscii(b));
  };
  const std::string& a = left.name;
  const std::string& b = right.name;
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), upper_less)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), upper_less)) return false;
  return a < b;
}

}  // namespace

// Greedy matching with one remembered star: linear in practice and never recursive.
bool MatchesFileMask(const std::string& name, const std::string& mask) {
  if (mask == "*" || mask == "*.*") return true;
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t star = std::string::npos;
  std::size_t star_n = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || UpperAscii(mask[m]) == UpperAscii(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      star_n = n;
    } else if (star != std::string::npos) {
      m = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

void FileSearch::StartFileSearch() {
  begun_ = false;
  directories_.clear();
  listed_files_.clear();
  found_.clear();
}

bool FileSearch::ContinueFileSearch(const std::string& pattern, bool recurse, std::int32_t step) {
  if (!begun_) {
    begun_ = true;
    recurse_ = recurse;
    mask_ = PathFileName(pattern);
    directories_.push_back(ParentPath(pattern));
  }
  const std::size_t limit = step > 0 ? static_cast<std::size_t>(step) : 1;
  std::size_t handed_out = 0;
  std::size_t listed = 0;
  while (handed_out < limit) {
    if (!listed_files_.empty()) {
      found_.push_back(std::move(listed_files_.front()));
      listed_files_.pop_front();
      ++handed_out;
      continue;
    }
    if (directories_.empty() || listed == limit) break;
    ListNextDirectory();
    ++listed;
  }
  return listed_files_.empty() && directories_.empty();
}

void FileSearch::ListNextDirectory() {
  const std::string directory = std::move(directories_.back());
  directories_.pop_back();
  std::vector<DirectoryEntry> entries;
  if (!ListDirectory(directory, entries)) return;
  std::sort(entries.begin(), entries.end(), NameBefore);
  std::vector<std::string> sub_directories;
  for (const DirectoryEntry& entry : entries) {
    if (entry.kind == DirectoryEntryKind::File && MatchesFileMask(entry.name, mask_)) {
      listed_files_.push_back(directory + entry.name);
    } else if (entry.kind == DirectoryEntryKind::Directory && recurse_) {
      sub_directories.push_back(directory + entry.name + kDirectorySeparator);
    }
  }
  // The stack hands out its back first: push in reverse to visit in name order.
  directories_.insert(directories_.end(), sub_directories.rbegin(), sub_directories.rend());
}

std::int32_t FileSearch::FoundFileCount() const {
  return static_cast<std::int32_t>(
      std::min<std::size_t>(found_.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
}

std::string FileSearch::FoundFile(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= found_.size()) return {};
  return found_[static_cast<std::size_t>(index)];
}
