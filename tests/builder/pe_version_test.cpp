// The PE version reader against exiftool on every PE file Wine ships, and on damaged files.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "builder_test_support.h"
#include "pe_version.h"
#include "version_order.h"

namespace {


const char* const kWineDirectories[] = {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows",
                                        "/usr/lib/i386-linux-gnu/wine/i386-windows"};

std::vector<std::string> PeFilesIn(const std::string& directory) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && extension != ".tlb") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(PeVersionTest, FileVersionEqualsExiftoolsOnEveryWinePeFile) {
  std::size_t compared = 0;
  std::size_t with_version = 0;
  for (const std::string directory : kWineDirectories) {
    const std::vector<std::string> files = PeFilesIn(directory);
    if (files.empty()) continue;
    std::string listing;
    ASSERT_EQ(RunCommand("cd " + Quoted(directory) + " && exiftool -q -m -T -FileName -FileVersion * 2>/dev/null", &listing), 0);
    std::map<std::string, std::string> expected;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      const std::string version = line.substr(tab + 1);
      expected[line.substr(0, tab)] = version == "-" ? "" : version;
    }
    for (const std::string& file : files) {
      const std::string name = fs::path(file).filename().string();
      if (!expected.count(name)) continue;
      EXPECT_EQ(GetFileVersion(file), expected[name]) << file;
      ++compared;
      if (!expected[name].empty()) ++with_version;
    }
  }
  EXPECT_GT(compared, 500u);
  EXPECT_GT(with_version, 200u);
}

TEST(PeVersionTest, MissingEmptyAndNonPeFilesHaveNoVersion) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch / "empty.dll", "");
  WriteFileBytes(scratch / "text.dll", "MZ but nothing else");
  EXPECT_EQ(GetFileVersion(scratch / "missing.dll"), "");
  EXPECT_EQ(GetFileVersion(scratch / "empty.dll"), "");
  EXPECT_EQ(GetFileVersion(scratch / "text.dll"), "");
  EXPECT_EQ(GetFileVersion(scratch.path().string()), "");
}

// Every truncation and a sweep of damaged bytes through a real DLL: never a crash, and a
// version only where the damage spared the resource.
TEST(PeVersionTest, DamagedFilesGiveEmptyOrTheirVersionNeverACrash) {
  const std::string original = ReadFileBytes(std::string(kWineDirectories[0]) + "/advapi32.dll");
  ASSERT_FALSE(original.empty());
  std::vector<std::uint8_t> bytes(original.begin(), original.end());
  const std::string version = FileVersionOfImage(bytes);
  ASSERT_FALSE(version.empty());
  for (std::size_t size = 0; size < bytes.size(); size += 997) {
    const std::string found = FileVersionOfImage(std::span(bytes).first(size));
    EXPECT_TRUE(found.empty() || found == version) << size;
  }
  std::size_t kept = 0;
  ForDamagedCopies(bytes, 3000, 8, [&](const std::vector<std::uint8_t>& damaged) {
    const std::string found = FileVersionOfImage(damaged);
    if (found == version) ++kept;
  });
  // Most damage lands outside the version resource of a 1 MB file.
  EXPECT_GT(kept, 2000u);
}

}  // namespace

// The run file without a version leaves the choice to the highest of the executables:
// numbers are compared as numbers, commas read as dots, files without a version skipped.
TEST(HighestVersionTest, ComparesNumberByNumberAndSkipsFilesWithoutOne) {
  EXPECT_EQ(HighestVersion({"1.9.0.0", "1.10.0.0", "1.2.0.0"}), "1.10.0.0");
  EXPECT_EQ(HighestVersion({"", "1, 2, 0, 5", "1.2.0.4"}), "1, 2, 0, 5");
  EXPECT_EQ(HighestVersion({"2.0 beta", "2.0.0.0"}), "2.0 beta");  // equal: the first wins
  EXPECT_EQ(HighestVersion({"3", "2.99"}), "3");
  EXPECT_EQ(HighestVersion({"", ""}), "");
  EXPECT_FALSE(VersionIsHigher("99999999999999999999.0", "1000000.0"));  // capped, no overflow
}
