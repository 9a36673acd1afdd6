// The index of a package's cached cabinets: what a new version lets go, and what a damaged
// or hostile index can name.
#include <gtest/gtest.h>

#include "package_cache.h"

namespace {

std::string Cached(const char* kind, char digit) { return std::string(kind) + std::string(32, digit) + ".cab"; }

}  // namespace

TEST(PackageCacheTest, ANewVersionLetsGoWhatOnlyTheOldOneNamed) {
  const std::string script1 = Cached("Installed Scripts\\", '1'), script2 = Cached("Installed Scripts\\", '2');
  const std::string program1 = Cached("Downloaded Programs\\", 'a'), program2 = Cached("Downloaded Programs\\", 'b');
  const std::string shared = Cached("Downloaded Programs\\", 'c');
  const std::vector<std::string> previous{script1, program1, shared};
  EXPECT_EQ(CabinetsNoLongerUsed(previous, {script2, program2, shared}, {}),
            (std::vector<std::string>{script1, program1}));
  // A cabinet another package still names stays; so does one named again in another case.
  EXPECT_EQ(CabinetsNoLongerUsed(previous, {script2, "DOWNLOADED PROGRAMS\\" + std::string(32, 'a') + ".CAB"},
                                 {{shared}}),
            (std::vector<std::string>{script1}));
  EXPECT_TRUE(CabinetsNoLongerUsed({}, {script2}, {}).empty());
}

TEST(PackageCacheTest, AnIndexIsReadBackAndAnythingElseInItIsSkipped) {
  const std::vector<std::string> names{Cached("Installed Scripts\\", 'f'), Cached("Downloaded Programs\\", '0')};
  EXPECT_EQ(ReadPackageCacheIndex(PackageCacheIndexText(names)), names);
  EXPECT_EQ(ReadPackageCacheIndex(names[0] + "\n..\\..\\Windows\\System32\\kernel32.dll\r\n"
                                  "Downloaded Programs\\..\\..\\x.cab\r\nDownloaded Programs\\" + std::string(32, 'g') +
                                  ".cab\r\nInstalled Scripts\\" + std::string(31, '1') + ".cab\r\n" +
                                  "C:\\" + names[1] + "\r\n" + names[1]),
            names);
  EXPECT_TRUE(ReadPackageCacheIndex(std::string(kMaxPackageIndexBytes + 1, '\n')).empty());
}
