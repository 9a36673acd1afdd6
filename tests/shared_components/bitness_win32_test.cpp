// The engine's view of 64-bit Windows from a 32-bit process, under the WoW64 test prefix:
// redirection, the Sysnative alias, and the paths that name files without redirection.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "bitness.h"

namespace {

std::string Directory(UINT(WINAPI* query)(LPSTR, UINT)) {
  char path[MAX_PATH] = {};
  const UINT length = query(path, MAX_PATH);
  return std::string(path, length);
}

class WindowsBitnessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (EngineBitness() != Bitness::k32 || !WindowsIs64Bit()) GTEST_SKIP() << "needs a 32-bit process on 64-bit Windows";
  }
  const std::string system_ = Directory(GetSystemDirectoryA);
  const std::string windows_ = Directory(GetWindowsDirectoryA);
  const std::string wow64_ = Directory(GetSystemWow64DirectoryA);
};

TEST_F(WindowsBitnessTest, EachBitnessHasItsSystemDirectory) {
  EXPECT_EQ(SystemDirectoryFor(Bitness::k32), system_);
  EXPECT_EQ(SystemDirectoryFor(Bitness::k64), windows_ + "\\Sysnative");
  // The same name in both is a program of each bitness: redirection and the alias work.
  EXPECT_EQ(FileBitness(SystemDirectoryFor(Bitness::k32) + "\\regsvr32.exe"), Bitness::k32);
  EXPECT_EQ(FileBitness(SystemDirectoryFor(Bitness::k64) + "\\regsvr32.exe"), Bitness::k64);
  EXPECT_EQ(FileBitness(wow64_ + "\\regsvr32.exe"), Bitness::k32);
  EXPECT_EQ(FileBitness(windows_ + "\\win.ini"), std::nullopt);
  EXPECT_EQ(FileBitness(windows_ + "\\no-such-file.dll"), std::nullopt);
}

TEST_F(WindowsBitnessTest, UnredirectedPathsNameWhereTheFileLies) {
  EXPECT_EQ(UnredirectedPath(system_ + "\\Vexa.dll"), wow64_ + "\\Vexa.dll");
  EXPECT_EQ(UnredirectedPath(windows_ + "\\Sysnative\\Vexa.dll"), system_ + "\\Vexa.dll");
  EXPECT_EQ(UnredirectedPath(windows_ + "\\SYSNATIVE\\Vexa.dll"), system_ + "\\Vexa.dll");
  EXPECT_EQ(UnredirectedPath(wow64_ + "\\Vexa.dll"), wow64_ + "\\Vexa.dll");
  EXPECT_EQ(UnredirectedPath("C:\\Acme\\Vexa.dll"), "C:\\Acme\\Vexa.dll");
  // Only the directory itself, not a name that merely starts like it.
  EXPECT_EQ(UnredirectedPath(system_ + "x\\Vexa.dll"), system_ + "x\\Vexa.dll");
  EXPECT_EQ(UnredirectedPath(system_), system_);
}

TEST_F(WindowsBitnessTest, PathsOfA64BitProcessAreReachedThroughSysnative) {
  EXPECT_EQ(ReachablePath(system_ + "\\Vexa.ocx", Bitness::k64), windows_ + "\\Sysnative\\Vexa.ocx");
  EXPECT_EQ(ReachablePath(system_ + "\\Vexa.ocx", Bitness::k32), system_ + "\\Vexa.ocx");
  EXPECT_EQ(ReachablePath("C:\\Acme\\Vexa.ocx", Bitness::k64), "C:\\Acme\\Vexa.ocx");
}

TEST_F(WindowsBitnessTest, RedirectionCanBeTurnedOffForAWhile) {
  {
    FileSystemRedirectionOff off;
    EXPECT_EQ(FileBitness(system_ + "\\regsvr32.exe"), Bitness::k64);
  }
  EXPECT_EQ(FileBitness(system_ + "\\regsvr32.exe"), Bitness::k32);
}

TEST_F(WindowsBitnessTest, RegistryViewsAreNamed) {
  EXPECT_EQ(RegistryViewFor(Bitness::k32), static_cast<unsigned long>(KEY_WOW64_32KEY));
  EXPECT_EQ(RegistryViewFor(Bitness::k64), static_cast<unsigned long>(KEY_WOW64_64KEY));
}

}  // namespace
