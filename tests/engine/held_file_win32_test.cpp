// Held files and administrators-only directories, with the real file system (under Wine in
// the test runs). Sharing modes hold between handles of one process as between processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "administrators_only.h"
#include "held_file.h"
#include "scratch_directory.h"

namespace {

namespace fs = std::filesystem;

class HeldFileTest : public ::testing::Test {
 protected:
  void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  static std::string ReadAll(std::FILE* stream) {
    std::string text;
    char buffer[256];
    std::size_t read = 0;
    while (stream && (read = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, read);
    if (stream) std::fclose(stream);
    return text;
  }
  // What another process of the user tries: write, delete, rename, replace.
  static bool CanWrite(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }
  ScratchDirectory scratch_;
  const std::string root_ = scratch_.text();
};

TEST_F(HeldFileTest, NobodyWritesRenamesDeletesOrReplacesAHeldFile) {
  const std::string path = root_ + "checked.cab";
  Write(path, "checked bytes");
  Write(root_ + "other.cab", "other bytes");
  HeldFile held;
  ASSERT_TRUE(held.Open(path));
  EXPECT_FALSE(CanWrite(path));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_FALSE(MoveFileA(path.c_str(), (root_ + "moved.cab").c_str()));
  EXPECT_FALSE(MoveFileExA((root_ + "other.cab").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
  // Every stream reads the held bytes from the start, on its own.
  std::FILE* first = held.NewStream();
  std::FILE* second = held.NewStream();
  EXPECT_EQ(ReadAll(first), "checked bytes");
  EXPECT_EQ(ReadAll(second), "checked bytes");
  held.Close();
  EXPECT_TRUE(CanWrite(path));
}

TEST_F(HeldFileTest, AFileBeingWrittenCannotBeHeld) {
  const std::string path = root_ + "busy.partial";
  Write(path, "half");
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  HeldFile held;
  EXPECT_FALSE(held.Open(path));
  EXPECT_FALSE(held.is_open());
  CloseHandle(writer);
  EXPECT_FALSE(held.Open(root_ + "missing.cab"));
}

TEST_F(HeldFileTest, AHeldDownloadTakesItsNameAndStaysHeld) {
  const std::string partial = root_ + "x.cab.partial";
  const std::string final_name = root_ + "x.cab";
  Write(partial, "downloaded");
  Write(final_name, "stale");
  HeldFile held;
  ASSERT_TRUE(held.Open(partial));
  ASSERT_TRUE(held.MoveTo(final_name));
  EXPECT_EQ(held.path(), final_name);
  EXPECT_FALSE(fs::exists(partial));
  EXPECT_FALSE(CanWrite(final_name));
  EXPECT_EQ(ReadAll(held.NewStream()), "downloaded");
}

// What Wine can show of the access list: the one the directories are made with.
TEST(AdministratorsOnlyTest, TheAccessListGivesOnlySystemAndAdministratorsAnything) {
  EXPECT_EQ(AdministratorsOnlyAccessList(), "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
}

TEST(AdministratorsOnlyTest, ADirectoryThatExistsIsNeverTakenOver) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "VexaAdministratorsOnly";
  RemoveDirectoryA(path.c_str());
  ASSERT_TRUE(CreateAdministratorsOnlyDirectory(path));
  EXPECT_FALSE(CreateAdministratorsOnlyDirectory(path));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  RemoveDirectoryA(path.c_str());
}

}  // namespace
