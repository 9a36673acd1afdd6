#include <gtest/gtest.h>

#include <system_error>
#include <vector>

#include "file_search.h"
#include "path_services.h"
#include "scratch_directory.h"

namespace {

// Runs a whole search the way the wizard does, checking the step bound on every call.
std::vector<std::string> SearchAll(const std::string& pattern, std::int32_t step, int* calls = nullptr) {
  FileSearch search;
  search.StartFileSearch();
  std::int32_t before = 0;
  int count = 0;
  bool complete = false;
  while (!complete) {
    complete = search.ContinueFileSearch(pattern, true, step);
    ++count;
    EXPECT_LE(search.FoundFileCount() - before, step);
    before = search.FoundFileCount();
    if (count > 100'000) {
      ADD_FAILURE() << "search does not finish";
      break;
    }
  }
  if (calls) *calls = count;
  std::vector<std::string> found;
  for (std::int32_t i = 0; i < search.FoundFileCount(); ++i) found.push_back(search.FoundFile(i));
  EXPECT_EQ(search.FoundFile(search.FoundFileCount()), "");
  EXPECT_EQ(search.FoundFile(-1), "");
  return found;
}

std::string Sep() { return std::string(1, kDirectorySeparator); }

}  // namespace

TEST(FileSearch, FilesOfEachDirectoryComeSortedBeforeItsSubDirectories) {
  ScratchDirectory scratch;
  for (const char* name : {"b.txt", "A.exe", "sub/z.dat", "sub/inner/k.txt", "Sub2/m.txt", "c.txt"}) {
    WriteFileBytes(scratch.path() / name, name);
  }
  std::filesystem::create_directories(scratch.path() / "empty");
  const std::string top = scratch.text();
  const std::vector<std::string> expected = {
      top + "A.exe", top + "b.txt", top + "c.txt",
      top + "sub" + Sep() + "z.dat", top + "sub" + Sep() + "inner" + Sep() + "k.txt",
      top + "Sub2" + Sep() + "m.txt"};
  EXPECT_EQ(SearchAll(top + "*.*", 200), expected);
  // The same tree gives the same list, whatever the step size.
  EXPECT_EQ(SearchAll(top + "*.*", 1), expected);
  EXPECT_EQ(SearchAll(top + "*.*", 2), expected);
}

TEST(FileSearch, AdvancesAtMostStepFilesPerCall) {
  ScratchDirectory scratch;
  for (int i = 0; i < 450; ++i) WriteFileBytes(scratch.path() / ("f" + std::to_string(1000 + i)), "");
  int calls = 0;
  EXPECT_EQ(SearchAll(scratch.text() + "*.*", 200, &calls).size(), 450u);
  EXPECT_EQ(calls, 3);
}

TEST(FileSearch, MaskIsMatchedOnFileNamesWithoutRegardToCase) {
  EXPECT_TRUE(MatchesFileMask("noextension", "*.*"));
  EXPECT_TRUE(MatchesFileMask("Setup.EXE", "*.exe"));
  EXPECT_TRUE(MatchesFileMask("a.b.exe", "*.exe"));
  EXPECT_FALSE(MatchesFileMask("a.exe.bak", "*.exe"));
  EXPECT_TRUE(MatchesFileMask("ab1.txt", "ab?.txt"));
  EXPECT_FALSE(MatchesFileMask("ab12.txt", "ab?.txt"));
  EXPECT_TRUE(MatchesFileMask(std::string(5000, 'a') + "b", "*a*a*a*b"));

  ScratchDirectory scratch;
  WriteFileBytes(scratch.path() / "one.exe", "");
  WriteFileBytes(scratch.path() / "two.dll", "");
  WriteFileBytes(scratch.path() / "sub" / "three.EXE", "");
  EXPECT_EQ(SearchAll(scratch.text() + "*.exe", 200),
            (std::vector<std::string>{scratch / "one.exe", scratch.text() + "sub" + Sep() + "three.EXE"}));
}

TEST(FileSearch, DirectoryLinksAreNeverFollowedSoALoopFinishes) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch.path() / "a" / "file.txt", "");
  std::error_code error;
  std::filesystem::create_directory_symlink(scratch.path(), scratch.path() / "a" / "loop", error);
  if (error) GTEST_SKIP() << "this system makes no directory links: " << error.message();
  std::filesystem::create_directory_symlink(scratch.path() / "a", scratch.path() / "b-link", error);
  ASSERT_FALSE(error);
  EXPECT_EQ(SearchAll(scratch.text() + "*.*", 200),
            std::vector<std::string>{scratch.text() + "a" + Sep() + "file.txt"});
}

TEST(FileSearch, UnreadableDirectoriesAreSkipped) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch.path() / "locked" / "hidden.txt", "");
  WriteFileBytes(scratch.path() / "open" / "seen.txt", "");
  std::filesystem::permissions(scratch.path() / "locked", std::filesystem::perms::none);
  std::error_code error;
  std::filesystem::directory_iterator probe(scratch.path() / "locked", error);
  if (!error) GTEST_SKIP() << "permissions do not lock a directory for this user";
  EXPECT_EQ(SearchAll(scratch.text() + "*.*", 200),
            std::vector<std::string>{scratch.text() + "open" + Sep() + "seen.txt"});
}

TEST(FileSearch, ADirectoryGoneBeforeItIsListedIsSkipped) {
  ScratchDirectory scratch;
  for (const char* name : {"a.txt", "b.txt", "sub1/gone.txt", "sub2/kept.txt"}) WriteFileBytes(scratch.path() / name, "");
  FileSearch search;
  search.StartFileSearch();
  const std::string pattern = scratch.text() + "*.*";
  ASSERT_FALSE(search.ContinueFileSearch(pattern, true, 1));
  std::filesystem::remove_all(scratch.path() / "sub1");
  while (!search.ContinueFileSearch(pattern, true, 1)) {
  }
  ASSERT_EQ(search.FoundFileCount(), 3);
  EXPECT_EQ(search.FoundFile(2), scratch.text() + "sub2" + Sep() + "kept.txt");
}

TEST(FileSearch, DeepTreeNeedsNoCallStack) {
  ScratchDirectory scratch;
  std::filesystem::path deep = scratch.path();
  for (int i = 0; i < 60; ++i) deep /= "d";
  WriteFileBytes(deep / "bottom.txt", "");
  const auto found = SearchAll(scratch.text() + "*.*", 200);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(PathFileName(found[0]), "bottom.txt");
}

TEST(FileSearch, StartFileSearchBeginsAfresh) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch.path() / "x.txt", "");
  FileSearch search;
  search.StartFileSearch();
  while (!search.ContinueFileSearch(scratch.text() + "*.*", true, 200)) {
  }
  EXPECT_EQ(search.FoundFileCount(), 1);
  search.StartFileSearch();
  EXPECT_EQ(search.FoundFileCount(), 0);
  EXPECT_TRUE(search.ContinueFileSearch(scratch.text() + "missing" + Sep() + "*.*", true, 200));
  EXPECT_EQ(search.FoundFileCount(), 0);
}
