// The Windows side of the package and of cabinet expansion: temporary directory naming,
// the shipped engine and a real Setup.exe made from it, file attributes and times.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "cab_writer.h"
#include "cabinet.h"
#include "engine_size.h"
#include "expansion_directories.h"
#include "package.h"
#include "scratch_directory.h"
#include "system_temporary_path_win32.h"

namespace {

namespace fs = std::filesystem;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

const std::string kDist = VEXA_DIST_DIR;
const std::string kFixtures = VEXA_CAB_FIXTURES;

class EngineWin32Test : public ::testing::Test {
 protected:
  // Setup.exe as the release builder makes it: the shipped engine, then the attachment.
  std::string MakeSetup(const std::string& trailing = {}) {
    const std::string engine = ReadFileBytes(kDist + "/VexaInstall.exe");
    EXPECT_FALSE(engine.empty()) << "no " << kDist << "/VexaInstall.exe: run scripts/assemble-dist";
    const std::string setup = dir_ + "Setup.exe";
    WriteFileBytes(setup, engine + ReadFileBytes(kFixtures + "/package/Attachment.CAB") + trailing);
    return setup;
  }

  ScratchDirectory scratch_;
  const std::string dir_ = scratch_.text();
};

TEST_F(EngineWin32Test, ExpansionDirectoryIsNamedAfterGetTempFileNameAndItsClaimFileIsGone) {
  const std::set<std::string> before = ExpansionDirectories();
  std::string directory;
  ASSERT_TRUE(CreateExpansionDirectory(directory));
  const std::string prefix = SystemTemporaryPath() + "~ts";
  ASSERT_EQ(directory.compare(0, prefix.size(), prefix), 0) << directory;
  ASSERT_EQ(directory.back(), '\\');
  // The unique part is hexadecimal (Windows writes four digits, Wine drops leading zeros).
  const std::string unique = directory.substr(prefix.size(), directory.size() - prefix.size() - 1);
  ASSERT_FALSE(unique.empty());
  for (char c : unique) EXPECT_TRUE(IsHexDigit(c)) << directory;
  EXPECT_EQ(GetFileAttributesA(directory.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA((prefix + unique + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveExpansionDirectory(directory);
  EXPECT_EQ(ExpansionDirectories(), before);
}

TEST_F(EngineWin32Test, UnusableTemporaryPathGivesItsMessageAndLeavesNothing) {
  const std::string setup = MakeSetup();
  char saved[2][MAX_PATH + 1] = {};
  GetEnvironmentVariableA("TMP", saved[0], MAX_PATH);
  GetEnvironmentVariableA("TEMP", saved[1], MAX_PATH);
  SetEnvironmentVariableA("TMP", "C:\\vexa-no-such-directory\\");
  SetEnvironmentVariableA("TEMP", "C:\\vexa-no-such-directory\\");
  std::string directory = "poison", error;
  const bool result = ExtractAttachment(setup, EngineFileSize(), directory, error);
  SetEnvironmentVariableA("TMP", saved[0]);
  SetEnvironmentVariableA("TEMP", saved[1]);
  EXPECT_FALSE(result);
  EXPECT_EQ(error, "Error. Cannot create temporary expansion directory.");
  EXPECT_EQ(directory, "");
  EXPECT_EQ(GetFileAttributesA("C:\\vexa-no-such-directory"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(EngineWin32Test, ShippedEngineKnowsItsOwnSizeAndAloneIsAnEmptyPackage) {
  const std::string engine = kDist + "/VexaInstall.exe";
  ASSERT_TRUE(fs::exists(engine)) << engine << " missing: run scripts/assemble-dist";
  EXPECT_EQ(EngineFileSize(), fs::file_size(engine));
  std::string directory = "poison", error;
  EXPECT_FALSE(ExtractAttachment(engine, EngineFileSize(), directory, error));
  EXPECT_EQ(error, "Error. Self-extract EXE file is empty.");
  EXPECT_EQ(directory, "");
}

TEST_F(EngineWin32Test, RealPackageGivesBackItsCabinetByteForByte) {
  const std::string cabinet = ReadFileBytes(kFixtures + "/package/Attachment.CAB");
  ASSERT_GT(cabinet.size(), 1000u);
  // Bytes after the cabinet, such as a signature added to Setup.exe, travel along.
  const std::string signature(5000, 'S');
  const std::string setup = MakeSetup(signature);
  std::string directory, error;
  ASSERT_TRUE(ExtractAttachment(setup, EngineFileSize(), directory, error)) << error;
  EXPECT_EQ(ReadFileBytes(directory + "Attachment.CAB"), cabinet + signature);

  ASSERT_TRUE(ExtractFileFromCab(directory + "Attachment.CAB", directory, "Script.TXT"));
  EXPECT_EQ(ReadFileBytes(directory + "Script.TXT"), ReadFileBytes(kFixtures + "/input/package/Script.TXT"));
  fs::remove_all(directory);
}

// Setup.exe itself, silently: start-up takes the package out twice, reads the script, and
// the run (which has nothing to install) removes its directory and ends with status 0.
TEST_F(EngineWin32Test, SetupExeRunsStartUpAndCleansUp) {
  const std::string setup = MakeSetup();
  const std::set<std::string> before = ExpansionDirectories();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + setup + "\" /S \"/D=" + dir_ + "product\"";
  ASSERT_TRUE(CreateProcessA(setup.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  const DWORD waited = WaitForSingleObject(process.hProcess, 30000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "Setup.exe did not end (a message box?)";
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(ExpansionDirectories(), before);
}

TEST_F(EngineWin32Test, ExpandedFilesGetTheMaskedAttributesAndTheCabinetTimeAsCreationAndWriteTime) {
  CabEntry flagged{"FLAGGED.DLL", "f", 0x01 | 0x02 | 0x04 | 0x20 | 0x40 | 0x80};
  flagged.dosDate = (44 << 9) | (7 << 5) | 4;  // 4 July 2024
  flagged.dosTime = (23 << 11) | (59 << 5) | 29;
  const CabEntry plain{"PLAIN.TXT", "p", 0};
  ASSERT_TRUE(WriteCabinet(dir_ + "a.cab", {flagged, plain}));
  std::vector<std::string> written;
  ASSERT_TRUE(ExpandCabFile(dir_ + "a.cab", dir_ + "out\\", written, ""));

  EXPECT_EQ(GetFileAttributesA((dir_ + "out\\FLAGGED.DLL").c_str()), 0x27u);
  // No bits: a "normal" file (Wine shows such a file as archived).
  EXPECT_EQ(GetFileAttributesA((dir_ + "out\\PLAIN.TXT").c_str()) & 0x07u, 0u);

  FILETIME local, expected;
  ASSERT_TRUE(DosDateTimeToFileTime(flagged.dosDate, flagged.dosTime, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &expected));
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA((dir_ + "out\\FLAGGED.DLL").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &expected), 0);
  EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &expected), 0);
  EXPECT_NE(CompareFileTime(&data.ftLastAccessTime, &expected), 0);
}

TEST_F(EngineWin32Test, FileInUseFailsTheExpansionAndKeepsEarlierFiles) {
  fs::create_directories(dir_ + "out");
  WriteFileBytes(dir_ + "out\\BUSY.TXT", "old");
  HANDLE busy = CreateFileA((dir_ + "out\\BUSY.TXT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(busy, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteCabinet(dir_ + "b.cab", {{"FIRST.TXT", "1"}, {"BUSY.TXT", "new"}, {"LAST.TXT", "3"}}));
  std::vector<std::string> written;
  const bool result = ExpandCabFile(dir_ + "b.cab", dir_ + "out\\", written, "");
  CloseHandle(busy);
  EXPECT_FALSE(result);
  EXPECT_EQ(written, (std::vector<std::string>{dir_ + "out\\FIRST.TXT", dir_ + "out\\BUSY.TXT"}));
  EXPECT_EQ(ReadFileBytes(dir_ + "out\\FIRST.TXT"), "1");
  EXPECT_EQ(ReadFileBytes(dir_ + "out\\BUSY.TXT"), "old");
  EXPECT_FALSE(fs::exists(dir_ + "out\\LAST.TXT"));
}

// A directory link below the target: see link_safety_test.sh (the link is made from the
// Linux side, which Wine shows as a directory reparse point).

}  // namespace
