#include "cabinet.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cab_writer.h"
#include "scratch_directory.h"

namespace {

namespace fs = std::filesystem;
using Listing = std::map<std::string, std::string>;  // relative path -> contents ("<dir>" for folders)

Listing ListTree(const fs::path& root) {
  Listing listing;
  std::error_code error;
  if (!fs::exists(root, error)) return listing;
  for (auto it = fs::recursive_directory_iterator(root, error); it != fs::recursive_directory_iterator();
       it.increment(error)) {
    const std::string relative = fs::relative(it->path(), root).generic_string();
    if (it->is_symlink()) {
      listing[relative] = "<link>";
    } else if (it->is_directory()) {
      listing[relative] = "<dir>";
    } else {
      listing[relative] = ReadFileBytes(it->path());
    }
  }
  return listing;
}

// A directory path as the engine passes it: with a trailing separator.
std::string WithSeparator(const fs::path& directory) {
  std::string text = directory.string();
  if (text.back() != fs::path::preferred_separator) text += static_cast<char>(fs::path::preferred_separator);
  return text;
}

class CabinetTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(root_ / "t"); }

  std::string Cabinet(const std::vector<CabEntry>& entries, const std::string& name = "test.cab") {
    const fs::path path = root_ / name;
    EXPECT_TRUE(WriteCabinet(path.string(), entries));
    return path.string();
  }
  std::string Target() const { return WithSeparator(root_ / "t"); }

  ScratchDirectory scratch_;
  const fs::path root_ = scratch_.path();
};

TEST_F(CabinetTest, StoredFoldersAndMissingFoldersOfTheTargetAreCreatedAndListedInOrder) {
  const std::string cabinet = Cabinet({{"SUB\\FILE.DAT", "one"}, {"TOP.TXT", "two"}, {"A\\B\\C.BIN", "three"}});
  const std::string target = WithSeparator(root_ / "t" / "new" / "deeper");
  std::vector<std::string> written = {"earlier entry"};
  ASSERT_TRUE(ExpandCabFile(cabinet, target, written, ""));

  const std::vector<std::string> expected = {"earlier entry", target + "SUB\\FILE.DAT", target + "TOP.TXT",
                                             target + "A\\B\\C.BIN"};
  EXPECT_EQ(written, expected);
  const Listing expectedTree = {{"A", "<dir>"},        {"A/B", "<dir>"},        {"A/B/C.BIN", "three"},
                                {"SUB", "<dir>"},      {"SUB/FILE.DAT", "one"}, {"TOP.TXT", "two"}};
  EXPECT_EQ(ListTree(root_ / "t" / "new" / "deeper"), expectedTree);
}

// A cabinet checked through an open handle is expanded from what the opener gives, never
// from a path: here the cabinet's own file is gone, and each opening gets a fresh copy of
// its bytes.
TEST_F(CabinetTest, CabinetFromAnOpenerIsReadOnlyThroughIt) {
  const std::string cabinet = Cabinet({{"SUB\\FILE.DAT", "one"}, {"TOP.TXT", "two"}});
  const std::string bytes = ReadFileBytes(cabinet);
  fs::remove(cabinet);
  int opened = 0;
  const CabinetStreamOpener open = [&] {
    const fs::path copy = root_ / ("opened-" + std::to_string(++opened) + ".bin");
    WriteFileBytes(copy, bytes);
    return std::fopen(copy.string().c_str(), "rb");
  };
  std::vector<std::string> written;
  ASSERT_TRUE(ExpandCabStream(open, Target(), written, ""));
  EXPECT_GE(opened, 1);
  EXPECT_EQ(written, (std::vector<std::string>{Target() + "SUB\\FILE.DAT", Target() + "TOP.TXT"}));
  const Listing expected = {{"SUB", "<dir>"}, {"SUB/FILE.DAT", "one"}, {"TOP.TXT", "two"}};
  EXPECT_EQ(ListTree(root_ / "t"), expected);

  // An opener that fails fails the expansion; one without files expands to nothing.
  EXPECT_FALSE(ExpandCabStream([] { return static_cast<std::FILE*>(nullptr); }, Target(), written, ""));
  const std::string empty = ReadFileBytes(Cabinet({}, "empty.cab"));
  const CabinetStreamOpener open_empty = [&] {
    WriteFileBytes(root_ / "empty-copy.bin", empty);
    return std::fopen((root_ / "empty-copy.bin").string().c_str(), "rb");
  };
  EXPECT_TRUE(ExpandCabStream(open_empty, WithSeparator(root_ / "e"), written, ""));
  EXPECT_FALSE(ExpandCabStream(open_empty, WithSeparator(root_ / "e"), written, "TOP.TXT"));
}

TEST_F(CabinetTest, FilterIsACaseBlindSuffixOfTheTargetPath) {
  const std::string cabinet =
      Cabinet({{"A.DLL", "a"}, {"BA.DLL", "ba"}, {"C.DLL", "c"}, {"SCRIPT.TXT", "script"}, {"SUB\\XA.DLL", "x"}});
  std::vector<std::string> written;
  ASSERT_TRUE(ExpandCabFile(cabinet, Target(), written, "a.dll"));
  EXPECT_EQ(written, (std::vector<std::string>{Target() + "A.DLL", Target() + "BA.DLL", Target() + "SUB\\XA.DLL"}));
  EXPECT_FALSE(fs::exists(root_ / "t" / "C.DLL"));

  ASSERT_TRUE(ExtractFileFromCab(cabinet, Target(), "script.txt"));
  EXPECT_EQ(ReadFileBytes(root_ / "t" / "SCRIPT.TXT"), "script");
}

TEST_F(CabinetTest, FilterThatTakesNothingFailsButStillMakesTheFoldersOfSkippedFiles) {
  const std::string cabinet = Cabinet({{"SUB\\ONE.DAT", "1"}, {"OTHER\\DEEP\\TWO.DAT", "2"}});
  std::vector<std::string> written;
  EXPECT_FALSE(ExpandCabFile(cabinet, Target(), written, "THREE.DAT"));
  EXPECT_TRUE(written.empty());
  const Listing expected = {{"OTHER", "<dir>"}, {"OTHER/DEEP", "<dir>"}, {"SUB", "<dir>"}};
  EXPECT_EQ(ListTree(root_ / "t"), expected);
}

TEST_F(CabinetTest, CabinetWithoutFilesSucceedsWithoutFilterAndFailsWithOne) {
  const std::string cabinet = Cabinet({});
  std::vector<std::string> written;
  EXPECT_TRUE(ExpandCabFile(cabinet, Target(), written, ""));
  EXPECT_FALSE(ExpandCabFile(cabinet, Target(), written, "SCRIPT.TXT"));
  EXPECT_TRUE(written.empty());
  EXPECT_TRUE(ListTree(root_ / "t").empty());
}

TEST_F(CabinetTest, ExistingFileIsReplacedAndTakesTheCabinetsTimeAndReadOnlyBit) {
  WriteFileBytes(root_ / "t" / "KEEP.TXT", "old contents that are longer");
  CabEntry entry{"KEEP.TXT", "new", 0x01 | 0x20 | 0x40 | 0x80};
  entry.dosDate = (44 << 9) | (1 << 5) | 20;             // 20 January 2024
  entry.dosTime = (13 << 11) | (45 << 5) | (58 / 2);     // 13:45:58
  std::vector<std::string> written;
  ASSERT_TRUE(ExpandCabFile(Cabinet({entry}), Target(), written, ""));

  const fs::path file = root_ / "t" / "KEEP.TXT";
  EXPECT_EQ(ReadFileBytes(file), "new");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
  std::tm local{};
  local.tm_year = 124;
  local.tm_mon = 0;
  local.tm_mday = 20;
  local.tm_hour = 13;
  local.tm_min = 45;
  local.tm_sec = 58;
  local.tm_isdst = -1;
  struct stat status {};
  ASSERT_EQ(stat(file.string().c_str(), &status), 0);
  EXPECT_EQ(status.st_mtime, std::mktime(&local));
}

TEST_F(CabinetTest, NotACabinetOrAMissingCabinetFailsAndWritesNothing) {
  WriteFileBytes(root_ / "plain.txt", std::string(4096, 'x'));
  WriteFileBytes(root_ / "short.cab", "MSCF");
  const Listing before = ListTree(root_);
  std::vector<std::string> written;
  EXPECT_FALSE(ExpandCabFile((root_ / "plain.txt").string(), Target(), written, ""));
  EXPECT_FALSE(ExpandCabFile((root_ / "short.cab").string(), Target(), written, ""));
  EXPECT_FALSE(ExpandCabFile((root_ / "missing.cab").string(), Target(), written, ""));
  EXPECT_FALSE(ExpandCabFile((root_ / "missing.cab").string(), Target(), written, "X"));
  EXPECT_TRUE(written.empty());
  EXPECT_EQ(ListTree(root_), before);
}

TEST_F(CabinetTest, PathsLongerThan255CharactersFailInsteadOfBeingCut) {
  const std::string target = Target();
  ASSERT_LT(target.size(), 200u);
  const std::string fits(kMaxCabinetPath - target.size(), 'F');
  const std::string tooLong(kMaxCabinetPath - target.size() + 1, 'L');
  std::vector<std::string> written;
  EXPECT_TRUE(ExpandCabFile(Cabinet({{fits, "ok"}}), target, written, ""));
  EXPECT_EQ(written, std::vector<std::string>{target + fits});
  EXPECT_EQ(LastExpansionProblem(), "");

  written.clear();
  EXPECT_FALSE(ExpandCabFile(Cabinet({{"FIRST.TXT", "1"}, {tooLong, "no"}}, "long.cab"), target, written, ""));
  EXPECT_EQ(LastExpansionProblem(), "Cannot create " + target + tooLong + ": the path is longer than 255 characters.");
  EXPECT_TRUE(written.empty());
  EXPECT_FALSE(fs::exists(root_ / "t" / "FIRST.TXT"));

  const std::string longTarget = target + std::string(kMaxCabinetPath + 1 - target.size(), 'D') + "\\";
  EXPECT_FALSE(ExpandCabFile(Cabinet({{"X", "x"}}, "x.cab"), longTarget, written, ""));
}

// Stored names a hostile cabinet may carry. None may write anything, inside or outside
// the target: the expansion fails before the first file.
const char* const kHostileNames[] = {
    "..\\escape",         "..",                  ".",                    "a\\..\\..\\escape",
    "a\\..\\escape",      "\\escape",            "\\\\srv\\share\\escape", "\\\\?\\C:\\escape",
    "\\\\.\\C:\\escape",  "C:escape",            "C:\\escape",           "c:/escape",
    "/escape",            "//srv/share/escape",  "../escape",            "a/../../escape",
    "a\\../..\\escape",   "..\\/escape",         "escape::$DATA",        "escape:stream",
    "a\\escape:zone",     "CON",                 "con.txt",              "NUL",
    "a\\PRN.log",         "AUX",                 "COM1",                 "lpt9.txt",
    "CONIN$",             "CONOUT$",             "NUL .txt",             "COM\xB9",
    "escape.",            "escape ",             "...",                  "a\\...\\escape",
    ".. \\escape",        "a\\\\escape",         "escape\\",             "a\\escape\t",
    "escape\nname",       "escape*",             "escape?",              "escape<1",
    "escape>1",           "escape|1",            "\"escape\"",           "..\\..\\..\\..\\..\\..\\escape",
    "C:..\\escape",       "a\\.\\escape",        "\x7F\\..\\escape",     "",
};

TEST_F(CabinetTest, HostileStoredNamesWriteNothingAnywhere) {
  const fs::path deepTarget = root_ / "t" / "u" / "v";
  fs::create_directories(deepTarget);
  WriteFileBytes(root_ / "t" / "u" / "sibling.txt", "untouched");
  const Listing before = ListTree(root_);
  int index = 0;
  for (const char* name : kHostileNames) {
    SCOPED_TRACE(::testing::Message() << "stored name #" << index << " \"" << name << "\"");
    const std::string cabinet = Cabinet({{"GOOD.TXT", "good"}, {name, "hostile"}}, "hostile" + std::to_string(index++) + ".cab");
    std::vector<std::string> written;
    EXPECT_FALSE(ExpandCabFile(cabinet, WithSeparator(deepTarget), written, ""));
    EXPECT_TRUE(written.empty());
    fs::remove(cabinet);
    EXPECT_EQ(ListTree(root_), before);
    EXPECT_FALSE(fs::exists(fs::current_path() / "escape"));
    EXPECT_FALSE(fs::exists(deepTarget.root_path() / "escape"));
  }
  EXPECT_GE(index, 40);
}

TEST_F(CabinetTest, UnusualButHarmlessNamesStayInsideTheTarget) {
  const std::vector<CabEntry> entries = {{"a/b.txt", "1"},     {"..a", "2"},       {"a..b", "3"},  {" lead", "4"},
                                         {"CONSOLE.txt", "5"}, {"COM10", "6"},     {"x.y.z", "7"}, {"PROGRA~1", "8"},
                                         {"mixed/dir\\c", "9"}, {"\xE9t\xE9.txt", "10"}};
  std::vector<std::string> written;
  ASSERT_TRUE(ExpandCabFile(Cabinet(entries), Target(), written, ""));
  EXPECT_EQ(written.size(), entries.size());
  EXPECT_EQ(ReadFileBytes(root_ / "t" / "a" / "b.txt"), "1");
  EXPECT_EQ(ReadFileBytes(root_ / "t" / "mixed" / "dir" / "c"), "9");
  EXPECT_EQ(ListTree(root_).size(), ListTree(root_ / "t").size() + 2);  // t itself and test.cab
}

TEST_F(CabinetTest, LinkBelowTheTargetIsNotFollowed) {
  fs::create_directories(root_ / "outside");
  std::error_code error;
  fs::create_directory_symlink(root_ / "outside", root_ / "t" / "link", error);
  if (error) GTEST_SKIP() << "cannot create a directory link here: " << error.message();
  fs::create_symlink(root_ / "outside" / "victim.txt", root_ / "t" / "file.txt", error);
  WriteFileBytes(root_ / "outside" / "victim.txt", "victim");

  std::vector<std::string> written;
  EXPECT_FALSE(ExpandCabFile(Cabinet({{"link\\x.txt", "x"}}), Target(), written, ""));
  EXPECT_TRUE(ListTree(root_ / "outside") == (Listing{{"victim.txt", "victim"}}));

  // A link where a file goes is replaced by the file, never written through.
  if (!error) {
    ASSERT_TRUE(ExpandCabFile(Cabinet({{"file.txt", "mine"}}, "file.cab"), Target(), written, ""));
    EXPECT_EQ(ReadFileBytes(root_ / "t" / "file.txt"), "mine");
    EXPECT_FALSE(fs::is_symlink(root_ / "t" / "file.txt"));
    EXPECT_EQ(ReadFileBytes(root_ / "outside" / "victim.txt"), "victim");
  }
}

TEST(StoredNameTest, SlashesBecomeBackslashesAndHostileNamesAreRefused) {
  std::string relative;
  EXPECT_TRUE(StoredNameToRelativePath("DATA/MAPS\\USA.MAP", relative));
  EXPECT_EQ(relative, "DATA\\MAPS\\USA.MAP");
  for (const char* name : kHostileNames) {
    EXPECT_FALSE(StoredNameToRelativePath(name, relative)) << "\"" << name << "\"";
    EXPECT_TRUE(relative.empty());
  }
}

// Cabinets made by gcab, and libmspack's own test cabinets (sound, damaged and hostile),
// against cabextract's expansion of the same file made when the fixtures were built.
TEST_F(CabinetTest, PeerCabinetsExpandLikeCabextractOrFailCleanly) {
  const fs::path fixtures(VEXA_CAB_FIXTURES);
  ASSERT_TRUE(fs::is_directory(fixtures / "cabs")) << fixtures;
  int expanded = 0, failed = 0;
  for (const auto& item : fs::directory_iterator(fixtures / "cabs")) {
    const std::string name = item.path().stem().string();
    SCOPED_TRACE(name);
    const fs::path target = root_ / "t" / name;
    const Listing before = ListTree(root_);
    std::vector<std::string> written;
    const bool result = ExpandCabFile(item.path().string(), WithSeparator(target), written, "");
    if (name.rfind("gcab_", 0) == 0) {
      EXPECT_TRUE(result);
    }
    Listing after = ListTree(root_);
    for (auto it = after.begin(); it != after.end();) {
      it = it->first.rfind("t/" + name, 0) == 0 ? after.erase(it) : std::next(it);
    }
    EXPECT_EQ(after, before) << "something was written outside the target";
    if (result) {
      ++expanded;
      EXPECT_EQ(ListTree(target), ListTree(fixtures / "expected" / name));
    } else {
      ++failed;
    }
  }
  EXPECT_GE(expanded, 15);
  std::printf("peer cabinets: %d expanded like cabextract, %d refused\n", expanded, failed);
}

}  // namespace
