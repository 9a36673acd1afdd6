// search_tool PATTERN: runs the component's file search (200 files per step) and prints
// every found path, one a line, so that a shell test can make directory links from the
// Linux side (which a Windows program under Wine cannot) and watch the search meet them.
#include <cstdio>

#include "file_search.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: search_tool PATTERN\n");
    return 2;
  }
  FileSearch search;
  search.StartFileSearch();
  int calls = 0;
  while (!search.ContinueFileSearch(argv[1], true, 200)) {
    if (++calls > 1'000'000) {
      std::fprintf(stderr, "search_tool: the search does not finish\n");
      return 1;
    }
  }
  for (std::int32_t i = 0; i < search.FoundFileCount(); ++i) std::printf("%s\n", search.FoundFile(i).c_str());
  return 0;
}
