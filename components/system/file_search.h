// The file search of the cabinet-builder component: StartFileSearch, then ContinueFileSearch
// until it reports completion, then FoundFileCount and FoundFile.
//
// Order: each directory's matching files sorted by name (ASCII letters compared without
// regard to case, ties by bytes), then each of its sub-directories in the same order, depth
// first, so the same tree always gives the same list. Links to directories and junctions
// are never followed (no loops, nothing outside the tree); a directory that cannot be read
// is skipped. The walk keeps its own stack of directories, so the depth of a tree costs no
// call stack.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class FileSearch {
 public:
  // Begins a new search with no files found.
  void StartFileSearch();

  // Advances the search of `pattern` (a directory followed by a file mask with "*" and "?",
  // "*.*" matching every name) by at most `step` files, and lists at most `step` directories
  // on the way, so each call returns soon; true when the search is complete. The pattern of
  // the first call after StartFileSearch holds for the whole search.
  bool ContinueFileSearch(const std::string& pattern, bool recurse, std::int32_t step);

  std::int32_t FoundFileCount() const;

  // The full path of the index-th found file (from 0); empty outside the range.
  std::string FoundFile(std::int32_t index) const;

 private:
  void ListNextDirectory();

  bool begun_ = false;
  bool recurse_ = true;
  std::string mask_;
  std::vector<std::string> directories_;  // to be listed; the next one at the back
  std::deque<std::string> listed_files_;  // found but not yet handed out
  std::vector<std::string> found_;
};

// True when `name` matches the file mask, ignoring the case of ASCII letters.
bool MatchesFileMask(const std::string& name, const std::string& mask);
