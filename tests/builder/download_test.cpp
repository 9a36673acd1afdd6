// The download component's file, signature, process and cache services.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "builder_test_support.h"
#include "cache_directories.h"
#include "download_files.h"
#include "file_signature.h"
#include "process.h"

namespace {


TEST(FileSignatureTest, LongFormIsTheSha256AndSizeAndTheShortFormItsFirst32Digits) {
  ScratchDirectory scratch;
  const std::string bytes = NoiseBytes(100003, 5);
  WriteFileBytes(scratch / "a.cab", bytes);
  WriteFileBytes(scratch / "empty.cab", "");
  const std::string digest = Sha256sumOf(scratch / "a.cab");
  const std::string signature = GetFileSignature(scratch / "a.cab");
  EXPECT_EQ(signature, "sha256-" + digest + "-100003");
  EXPECT_EQ(CallFunction("LongSigToShortSig", signature), digest.substr(0, 32));
  EXPECT_EQ(GetFileSignature(scratch / "empty.cab"),
            "sha256-e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855-0");
  EXPECT_EQ(GetFileSignature(scratch / "missing.cab"), "");
  EXPECT_EQ(GetFileSignature(scratch.path().string()), "");
}

TEST(FileSignatureTest, OnlyAWellFormedLongSignatureHasAShortForm) {
  const std::string digits(64, 'a');
  EXPECT_EQ(LongSigToShortSig("sha256-" + digits + "-12"), std::string(32, 'a'));
  for (const std::string& bad : {std::string(), "sha256-" + digits, "sha256-" + digits + "-", "sha256-" + digits + "-012",
                                "sha256-" + digits + "-1x", "SHA256-" + digits + "-1", "sha256-" + std::string(63, 'a') + "-1",
                                "sha256-" + std::string(64, 'A') + "-1", "sha256-../../" + std::string(58, 'a') + "-1"}) {
    EXPECT_EQ(LongSigToShortSig(bad), "") << bad;
  }
  EXPECT_EQ(CallFunction("SomethingElse", "sha256-" + digits + "-12"), "");
}

TEST(DownloadFilesTest, SizeInfoAndComponentFileName) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch / "x.ocx", std::string(12345, 'x'));
  fs::last_write_time(scratch / "x.ocx", fs::file_time_type::clock::from_sys(std::chrono::sys_days{std::chrono::year{2026} /
                                                                                                      12 / 7} +
                                                                              std::chrono::hours{10} +
                                                                              std::chrono::minutes{15} +
                                                                              std::chrono::seconds{30}));
  EXPECT_EQ(GetFileSize(scratch / "x.ocx"), 12345);
  EXPECT_EQ(GetFileSize(scratch / "missing"), -1);
  EXPECT_EQ(GetFileInfo(scratch / "x.ocx"), "12345;20261207101530");
  EXPECT_EQ(GetFileInfo(scratch / "missing"), "");
  EXPECT_EQ(ComponentFileName("C:\\WINDOWS\\SYSTEM\\COMCTL32.OCX"), "COMCTL32.OCX");
  EXPECT_EQ(ComponentFileName("/usr/share/x/Map.ocx"), "Map.ocx");
  EXPECT_EQ(ComponentFileName("D:Map.ocx"), "Map.ocx");
}

TEST(DownloadFilesTest, JoinFilesWritesBothInOrderAndLeavesNothingOnFailure) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch / "engine.exe", NoiseBytes(70000, 1));
  WriteFileBytes(scratch / "Attachment.CAB", NoiseBytes(50000, 2));
  ASSERT_TRUE(JoinFiles(scratch / "engine.exe", scratch / "Attachment.CAB", scratch / "Setup.exe"));
  EXPECT_TRUE(ReadFileBytes(scratch / "Setup.exe") == ReadFileBytes(scratch / "engine.exe") + ReadFileBytes(scratch / "Attachment.CAB"));
  // The output may be one of the inputs.
  ASSERT_TRUE(JoinFiles(scratch / "engine.exe", scratch / "Attachment.CAB", scratch / "engine.exe"));
  EXPECT_TRUE(ReadFileBytes(scratch / "engine.exe") == ReadFileBytes(scratch / "Setup.exe"));
  EXPECT_FALSE(JoinFiles(scratch / "engine.exe", scratch / "missing.txt", scratch / "out.exe"));
  EXPECT_FALSE(fs::exists(scratch / "out.exe"));
  EXPECT_FALSE(JoinFiles(scratch / "engine.exe", scratch / "Attachment.CAB", scratch / "no/such/dir/out.exe"));
  EXPECT_EQ(FilesBelow(scratch.path()), (std::vector<std::string>{"Attachment.CAB", "Setup.exe", "engine.exe"}));
}

bool RunsUntilEnd(std::int64_t handle) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (IsProcessRunning(handle)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(ProcessTest, AStartedProgramRunsWithItsArgumentsAndThenIsNotRunning) {
  ScratchDirectory scratch;
  const std::string out = scratch / "args.txt";
  const std::int64_t handle =
      StartProcess("sh", "-c \"sleep 0.3; printf '%s|' \\\"$0\\\" \\\"$1\\\" > '" + out + "'\" \"first arg\" second", true);
  ASSERT_NE(handle, 0);
  EXPECT_TRUE(IsProcessRunning(handle));
  EXPECT_TRUE(RunsUntilEnd(handle));
  EXPECT_FALSE(IsProcessRunning(handle));
  EXPECT_EQ(ReadFileBytes(out), "first arg|second|");
}

TEST(ProcessTest, AProgramThatCannotStartGivesAHandleThatIsNotRunning) {
  const std::int64_t handle = StartProcess("/no/such/program", "x", true);
  EXPECT_FALSE(IsProcessRunning(handle));
  EXPECT_FALSE(IsProcessRunning(StartProcess("", "", true)));
  std::uint32_t status = 7;
  EXPECT_FALSE(ProcessExitStatus(handle, status));
  EXPECT_EQ(status, 7u);
}

// The wait ends when the process does (a wait that ignored it would last a minute), and the
// exit status is kept for good, a signal's as 128 + its number.
TEST(ProcessTest, TheWaitEndsWithTheProcessWhoseExitStatusIsKept) {
  const std::int64_t exits = StartProcess("sh", "-c \"sleep 0.2; exit 3\"", true);
  ASSERT_NE(exits, 0);
  std::uint32_t status = 0;
  EXPECT_FALSE(ProcessExitStatus(exits, status));
  WaitForProcess(exits, 60'000);
  EXPECT_FALSE(IsProcessRunning(exits));
  ASSERT_TRUE(ProcessExitStatus(exits, status));
  EXPECT_EQ(status, 3u);
  ASSERT_TRUE(ProcessExitStatus(exits, status));
  EXPECT_EQ(status, 3u);
  const std::int64_t killed = StartProcess("sh", "-c \"kill -9 $$\"", true);
  WaitForProcess(killed, 60'000);
  ASSERT_TRUE(ProcessExitStatus(killed, status));
  EXPECT_EQ(status, 137u);
  const std::int64_t succeeds = StartProcess("true", "", true);
  WaitForProcess(succeeds, 60'000);
  ASSERT_TRUE(ProcessExitStatus(succeeds, status));
  EXPECT_EQ(status, 0u);
}

class CacheDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
    setenv("XDG_CACHE_HOME", scratch.path().c_str(), 1);
  }
  void TearDown() override {
    if (saved_.empty()) unsetenv("XDG_CACHE_HOME");
    else setenv("XDG_CACHE_HOME", saved_.c_str(), 1);
  }
  ScratchDirectory scratch;
  std::string saved_;
};

TEST_F(CacheDirectoryTest, ResetEmptiesOnlyFilesOfACacheDirectoryBelowTheBase) {
  const std::string base = GetCacheBaseDirectory();
  EXPECT_EQ(base, scratch.path().string() + "/corvanta/");
  // The wizard joins the cache paths with "\".
  const std::string scripts = base + "Temporary VexaWeb Files\\" + "Installed Scripts\\";
  ASSERT_TRUE(ResetCacheDirectory(scripts));
  const fs::path directory = fs::path(base) / "Temporary VexaWeb Files" / "Installed Scripts";
  ASSERT_TRUE(fs::is_directory(directory));
  WriteFileBytes(directory / "0123.cab", "old");
  WriteFileBytes(directory / "keep/inner.txt", "sub-directories stay");
  WriteFileBytes(scratch / "outside.txt", "never touched");
  fs::create_symlink(scratch / "outside.txt", directory / "link.cab");
  ASSERT_TRUE(ResetCacheDirectory(scripts));
  EXPECT_EQ(FilesBelow(directory), std::vector<std::string>{"keep/inner.txt"});
  EXPECT_EQ(ReadFileBytes(scratch / "outside.txt"), "never touched");
  // Paths outside the loader's cache are refused and left alone.
  WriteFileBytes(fs::path(base) / "other" / "file.txt", "x");
  EXPECT_FALSE(ResetCacheDirectory(base + "other/"));
  EXPECT_FALSE(ResetCacheDirectory(base));
  EXPECT_FALSE(ResetCacheDirectory(base + "Temporary VexaWeb Files/../other/"));
  EXPECT_FALSE(ResetCacheDirectory(scratch.path().string()));
  EXPECT_FALSE(ResetCacheDirectory(""));
  EXPECT_TRUE(fs::exists(fs::path(base) / "other" / "file.txt"));
}

}  // namespace
