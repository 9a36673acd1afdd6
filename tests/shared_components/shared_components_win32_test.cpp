// The Windows side of shared components, against the real version, registry, COM and
// delayed-move functions (under Wine in CI), with components built for these tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shared_components.h"
#include "next_boot_replacement.h"
#include "registry.h"
#include "scratch_directory.h"
#include "system_temporary_path_win32.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kControlClass = "{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}";
constexpr const char* kUnknownClass = "{5D0C7A52-0000-4F7A-9C2D-7A1E0B5C9D31}";

std::string OwnDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path().string() + "\\";
}

std::string Component(const char* name) { return OwnDirectory() + name + ".dll"; }

std::string SystemDirectory() {
  char path[MAX_PATH] = {};
  GetSystemDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\";
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

using Pair = std::pair<std::string, std::string>;

// The delayed moves recorded for the next boot, as (source, target) pairs; an empty
// target is a deletion.
std::vector<Pair> PendingRenames() {
  HKEY key = nullptr;
  std::vector<Pair> pairs;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS)
    return pairs;
  DWORD size = 0;
  RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size);
  std::string data(size, '\0');
  std::vector<std::string> strings;
  if (size && RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
    for (std::size_t start = 0; start < size;) {
      std::size_t end = data.find('\0', start);
      if (end == std::string::npos) end = size;
      strings.push_back(data.substr(start, end - start));
      start = end + 1;
    }
  }
  RegCloseKey(key);
  if (strings.size() % 2 == 1) strings.pop_back();  // the list's own terminator
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) pairs.emplace_back(strings[i], strings[i + 1]);
  return pairs;
}

// Puts the list of delayed moves back as it was before a test.
void RestorePendingRenames(const std::vector<Pair>& pairs) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_SET_VALUE,
                    &key) != ERROR_SUCCESS)
    return;
  std::string data;
  for (const Pair& pair : pairs) data += pair.first + '\0' + pair.second + '\0';
  data += '\0';
  if (pairs.empty()) {
    RegDeleteValueA(key, "PendingFileRenameOperations");
  } else {
    RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
  }
  RegCloseKey(key);
}

// Each test puts its components in the system directory under its own names and
// removes them again.
class SharedComponentTest : public ::testing::Test {
 protected:
  std::string Place(const char* component, const std::string& directory, const std::string& name) {
    const std::string path = directory + name;
    EXPECT_TRUE(CopyFileA(Component(component).c_str(), path.c_str(), FALSE)) << path;
    placed_.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const std::string& path : placed_) DeleteFileA(path.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kControlClass).c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\Classes\\CLSID\\") + kControlClass).c_str());
  }
  std::vector<std::string> placed_;
};

TEST(GetFileVersionStringTest, ReadsTheBlockNamedByTheTranslationTableFirst) {
  EXPECT_EQ(GetFileVersionString(Component("shared_104")), "1.0.0.4");
  EXPECT_EQ(GetFileVersionString(Component("shared_105_commas")), "1, 0, 0, 5");  // block 040704B0 only
  EXPECT_EQ(GetFileVersionString(Component("shared_105_fallback")), "1.0.0.5");    // falls back to 040904E4
}

TEST(GetFileVersionStringTest, NoVersionInformationGivesEmptyText) {
  EXPECT_EQ(GetFileVersionString(Component("shared_nover")), "");
  EXPECT_EQ(GetFileVersionString(OwnDirectory() + "no-such-file.dll"), "");
}

// A copy where the platform's shared-file search finds one (here the application directory
// "C:\\" the engine names) counts as the installed one: as new, nothing is installed;
// older, the new copy goes to the system directory.
TEST_F(SharedComponentTest, FindDllTargetWeighsACopyTheSearchFindsOutsideTheSystemDirectory) {
  Place("shared_104", "C:\\", "VexaInRoot.dll");
  EXPECT_EQ(FindDllTarget("VexaInRoot.dll", "1.0.0.4"), "");
  EXPECT_EQ(FindDllTarget("VexaInRoot.dll", "1.0.0.3"), "");
  EXPECT_EQ(FindDllTarget("VexaInRoot.dll", "1.0.0.5"), SystemDirectory() + "VexaInRoot.dll");
}

TEST_F(SharedComponentTest, FindDllTargetInstallsOnlyOverAnOlderCopy) {
  EXPECT_EQ(FindDllTarget("VexaAbsent.dll", ""), SystemDirectory() + "VexaAbsent.dll");
  Place("shared_104", SystemDirectory(), "VexaFind.dll");
  EXPECT_EQ(FindDllTarget("VexaFind.dll", "1.0.0.5"), SystemDirectory() + "VexaFind.dll");
  EXPECT_EQ(FindDllTarget("VexaFind.dll", "1, 0, 0, 5"), SystemDirectory() + "VexaFind.dll");
  EXPECT_EQ(FindDllTarget("VexaFind.dll", "1.0.0.4"), "");
  EXPECT_EQ(FindDllTarget("VexaFind.dll", "1.0.0.3"), "");
  Place("shared_nover", SystemDirectory(), "VexaBare.dll");
  EXPECT_EQ(FindDllTarget("VexaBare.dll", "0.0.0.1"), SystemDirectory() + "VexaBare.dll");
  EXPECT_EQ(FindDllTarget("VexaBare.dll", ""), "");
}

TEST_F(SharedComponentTest, NamesThatAreNotPlainFileNamesHaveNoTarget) {
  EXPECT_EQ(FindDllTarget("..\\VexaEscape.dll", "9"), "");
  EXPECT_EQ(FindDllTarget("C:\\VexaEscape.dll", "9"), "");
  EXPECT_EQ(FindOcxTarget("sub\\VexaEscape.ocx", "9", kUnknownClass), "");
}

TEST_F(SharedComponentTest, OcxTargetFollowsTheRegistration) {
  EXPECT_EQ(GetRegisteredServer(""), "");
  EXPECT_EQ(GetRegisteredServer(kUnknownClass), "");
  EXPECT_EQ(FindOcxTarget("VexaCtl.ocx", "1.0.0.5", kUnknownClass), SystemDirectory() + "VexaCtl.ocx");

  const std::string key = std::string("CLSID->") + kControlClass + "->InprocServer32";
  ASSERT_TRUE(WriteRegistryString(HKEY_CLASSES_ROOT, key, "", "C:\\vexa-gone\\VexaCtl.ocx", "->"));
  EXPECT_EQ(GetRegisteredServer(kControlClass), "C:\\vexa-gone\\VexaCtl.ocx");
  EXPECT_EQ(FindOcxTarget("VexaCtl.ocx", "1.0.0.5", kControlClass), SystemDirectory() + "VexaCtl.ocx");

  const std::string registered = Place("control_104", SystemTemporaryPath(), "VexaCtl.ocx");
  ASSERT_TRUE(WriteRegistryString(HKEY_CLASSES_ROOT, key, "", registered, "->"));
  EXPECT_EQ(FindOcxTarget("VexaCtl.ocx", "1.0.0.5", kControlClass), registered);
  EXPECT_EQ(FindOcxTarget("VexaCtl.ocx", "1.0.0.4", kControlClass), "");
}

// Windows shows a user's own Software\Classes over the machine's in HKEY_CLASSES_ROOT: a
// class registered there only, by a user without rights, must not decide which file an
// elevated installer replaces, loads or registers. (Wine's HKEY_CLASSES_ROOT holds the
// machine's classes only, so under Wine this guards the lookup without showing the merge.)
TEST_F(SharedComponentTest, OnlyTheMachinesClassRegistrationCounts) {
  const std::string planted = Place("control_104", SystemTemporaryPath(), "VexaPlanted.ocx");
  const std::string user_key = std::string("Software->Classes->CLSID->") + kControlClass + "->InprocServer32";
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, user_key, "", planted, "->"));
  EXPECT_EQ(GetRegisteredServer(kControlClass), "");
  EXPECT_EQ(FindOcxTarget("VexaPlanted.ocx", "1.0.0.5", kControlClass), SystemDirectory() + "VexaPlanted.ocx");

  const std::string machine = Place("control_104", SystemTemporaryPath(), "VexaMachine.ocx");
  const std::string machine_key = std::string("Software->Classes->CLSID->") + kControlClass + "->InprocServer32";
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, machine_key, "", machine, "->"));
  EXPECT_EQ(GetRegisteredServer(kControlClass), machine);
  EXPECT_EQ(FindOcxTarget("VexaMachine.ocx", "1.0.0.5", kControlClass), machine);
}

TEST_F(SharedComponentTest, RegisterServerCallsTheExportOfTheFileAtThePath) {
  const std::string control = Place("control_105", SystemTemporaryPath(), "VexaReg.ocx");
  EXPECT_TRUE(RegisterServer(control));
  EXPECT_EQ(GetRegisteredServer(kControlClass), control);
  EXPECT_FALSE(RegisterServer(Component("shared_104")));  // no DllRegisterServer
  EXPECT_FALSE(RegisterServer(SystemTemporaryPath() + "VexaMissing.ocx"));
  EXPECT_FALSE(RegisterServer(""));
}

// A control's own dependencies are found beside it; the current directory is never searched.
TEST_F(SharedComponentTest, RegisterServerFindsDependenciesBesideTheControlOnly) {
  const std::string beside = SystemTemporaryPath() + "VexaBeside\\";
  const std::string alone = SystemTemporaryPath() + "VexaAlone\\";
  const std::string current = SystemTemporaryPath() + "VexaCurrent\\";
  for (const std::string& directory : {beside, alone, current}) fs::create_directories(directory);
  Place("dependent_control", beside, "VexaDep.ocx");
  placed_.push_back(beside + "component_helper.dll");
  CopyFileA((OwnDirectory() + "component_helper.dll").c_str(), (beside + "component_helper.dll").c_str(), FALSE);
  EXPECT_TRUE(RegisterServer(beside + "VexaDep.ocx"));

  Place("dependent_control", alone, "VexaDep.ocx");
  placed_.push_back(current + "component_helper.dll");
  CopyFileA((OwnDirectory() + "component_helper.dll").c_str(), (current + "component_helper.dll").c_str(), FALSE);
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(current.c_str());
  EXPECT_FALSE(RegisterServer(alone + "VexaDep.ocx"));
  EXPECT_FALSE(RegisterServer("VexaDep.ocx"));  // a bare name is looked for in the system directory
  // The ordinary search would have taken the helper from the current directory.
  HMODULE ordinary = LoadLibraryA((alone + "VexaDep.ocx").c_str());
  EXPECT_NE(ordinary, nullptr);
  if (ordinary) FreeLibrary(ordinary);
  SetCurrentDirectoryA(previous);
}

TEST_F(SharedComponentTest, InstallSharedDllCopiesOnlyANewerFile) {
  bool restart = false;
  const std::string target = SystemDirectory() + "VexaCopy.dll";
  placed_.push_back(target);
  const std::string source = Place("shared_104", SystemTemporaryPath(), "VexaCopy.dll");
  EXPECT_TRUE(InstallSharedDll(source, restart));
  EXPECT_EQ(GetFileVersionString(target), "1.0.0.4");
  const std::string newer = Place("shared_105", SystemTemporaryPath(), "VexaCopy.dll");
  EXPECT_TRUE(InstallSharedDll(newer, restart));
  EXPECT_EQ(GetFileVersionString(target), "1.0.0.5");
  Place("shared_104", SystemTemporaryPath(), "VexaCopy.dll");
  EXPECT_TRUE(InstallSharedDll(source, restart));  // older: nothing to do
  EXPECT_EQ(GetFileVersionString(target), "1.0.0.5");
  EXPECT_FALSE(restart);
}

class IniFileTest : public ::testing::Test {
 protected:
  ScratchDirectory scratch_;
  const std::string directory_ = scratch_.text();
  const std::string ini_ = directory_ + "WININIT.INI";
};

TEST_F(IniFileTest, AMissingFileIsCreatedWithTheSection) {
  EXPECT_TRUE(AddIniLines("Rename", {{"NUL", "C:\\A.DLL"}, {"C:\\A.DLL", "C:\\T.TMP"}}, ini_));
  EXPECT_EQ(ReadFileText(ini_), "\r\n[Rename]\r\nNUL=C:\\A.DLL\r\nC:\\A.DLL=C:\\T.TMP");
  EXPECT_TRUE(AddIniLine("Rename", "NUL", "C:\\B.DLL", ini_));
  EXPECT_EQ(ReadFileText(ini_), "\r\n[Rename]\r\nNUL=C:\\A.DLL\r\nC:\\A.DLL=C:\\T.TMP\r\nNUL=C:\\B.DLL");
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);  // no stray files
}

// A replacement whose lines cannot be written leaves the file as it was: no lone NUL line
// that would delete the component at boot with nothing in its place.
TEST_F(IniFileTest, AFailedWriteLeavesTheFileAsItWas) {
  const std::string original = "[Rename]\r\nNUL=C:\\OLD.DLL\r\nC:\\OLD.DLL=C:\\OLD.TMP\r\n[Other]\r\nx=1\r\n";
  WriteFileText(ini_, original);
  HANDLE locked = CreateFileA(ini_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(AddIniLines("Rename", {{"NUL", "C:\\A.DLL"}, {"C:\\A.DLL", "C:\\T.TMP"}}, ini_));
  CloseHandle(locked);
  EXPECT_EQ(ReadFileText(ini_), original);

  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(AddIniLines("Rename", {{"NUL", "C:\\A.DLL"}, {"C:\\A.DLL", "C:\\T.TMP"}}, ini_));
  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileText(ini_), original);
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

// The copy waits for the boot where no process of the user can write it: not in the
// user's temporary directory, but in a new directory of its own at the root of the
// target's volume, made with an access list for administrators only (which Windows
// enforces and Wine does not), and removed at the boot after the move.
TEST_F(IniFileTest, ReplaceFileAtRestartRecordsTheDeleteAndTheMoveOfTheTargetsFullName) {
  // A name with no 8.3 form: the move must not put the new file under the short name.
  const std::string target = directory_ + "VexaBusyComponent.dll";
  const std::string source = directory_ + "new.dll";
  WriteFileText(target, "old");
  WriteFileText(source, "new");
  const std::vector<Pair> before = PendingRenames();
  ASSERT_TRUE(ReplaceFileAtRestart(source, target));
  const std::vector<Pair> after = PendingRenames();
  ASSERT_EQ(after.size(), before.size() + 3);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));

  const Pair& removal = after[before.size()];
  const Pair& move = after[before.size() + 1];
  const Pair& staging_removal = after[before.size() + 2];
  EXPECT_TRUE(EqualsIgnoringCase(removal.first, "\\??\\" + target)) << removal.first;
  EXPECT_EQ(removal.second, "");
  const std::string copy = move.first.substr(4);
  EXPECT_FALSE(StartsWithIgnoringCase(copy, SystemTemporaryPath())) << copy;
  const std::string staging = copy.substr(0, copy.find_last_of('\\'));
  EXPECT_TRUE(StartsWithIgnoringCase(staging, target.substr(0, 3) + "~ts")) << staging;
  EXPECT_EQ(staging.find('\\', 3), std::string::npos) << staging;
  EXPECT_EQ(ReadFileText(copy), "new");
  EXPECT_TRUE(EqualsIgnoringCase(move.second, "\\??\\" + target)) << move.second;
  EXPECT_TRUE(EqualsIgnoringCase(staging_removal.first, "\\??\\" + staging)) << staging_removal.first;
  EXPECT_EQ(staging_removal.second, "");
  EXPECT_EQ(ReadFileText(target), "old");

  // Taking back the deletion leaves every other record alone.
  EXPECT_TRUE(CancelPendingDelete(target));
  std::vector<Pair> expected = before;
  expected.push_back(move);
  expected.push_back(staging_removal);
  EXPECT_EQ(PendingRenames(), expected);
  EXPECT_FALSE(CancelPendingDelete(target));
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(staging.c_str());
  RestorePendingRenames(before);
}

// Each copy gets a directory of its own, never one that is there already.
TEST_F(IniFileTest, ReplaceFileAtRestartStagesEachCopyInANewDirectory) {
  const std::string target = directory_ + "VexaTwice.dll";
  const std::string source = directory_ + "new.dll";
  WriteFileText(target, "old");
  WriteFileText(source, "new");
  const std::vector<Pair> before = PendingRenames();
  ASSERT_TRUE(ReplaceFileAtRestart(source, target));
  ASSERT_TRUE(ReplaceFileAtRestart(source, target));
  const std::vector<Pair> after = PendingRenames();
  ASSERT_EQ(after.size(), before.size() + 6);
  const std::string first = after[before.size() + 2].first.substr(4);
  const std::string second = after[before.size() + 5].first.substr(4);
  EXPECT_FALSE(EqualsIgnoringCase(first, second)) << first;
  for (const std::string& staging : {first, second}) {
    for (const auto& entry : fs::directory_iterator(staging)) fs::remove(entry.path());
    RemoveDirectoryA(staging.c_str());
  }
  RestorePendingRenames(before);
}

TEST_F(IniFileTest, ReplaceFileAtRestartFailsWithoutASource) {
  const std::vector<Pair> before = PendingRenames();
  EXPECT_FALSE(ReplaceFileAtRestart(directory_ + "absent.dll", directory_ + "target.dll"));
  EXPECT_EQ(PendingRenames(), before);
}

}  // namespace
