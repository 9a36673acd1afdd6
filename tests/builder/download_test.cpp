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

namespace vexa::test {
namespace {

namespace c = components;

TEST(FileSignatureTest, LongFormIsTheSha256AndSizeAndTheShortFormItsFirst32Digits) {
  ScratchDirectory scratch;
  const std::string bytes = NoiseBytes(100003, 5);
  WriteFile(scratch / "a.cab", bytes);
  WriteFile(scratch / "empty.cab", "");
  const std::string digest = Sha256sumOf(scratch / "a.cab");
  const std::string signature = c::GetFileSignature(scratch / "a.cab");
  EXPECT_EQ(signature, "sha256-" + digest + "-100003");
  EXPECT_EQ(c::CallFunction("LongSigToShortSig", signature), digest.substr(0, 32));
  EXPECT_EQ(c::GetFileSignature(scratch / "empty.cab"),
            "sha256-e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855-0");
  EXPECT_EQ(c::GetFileSignature(scratch / "missing.cab"), "");
  EXPECT_EQ(c::GetFileSignature(scratch.path().string()), "");
}

TEST(FileSignatureTest, OnlyAWellFormedLongSignatureHasAShortForm) {
  const std::string digits(64, 'a');
  EXPECT_EQ(c::LongSigToShortSig("sha256-" + digits + "-12"), std::string(32, 'a'));
  for (const std::string& bad : {std::string(), "sha256-" + digits, "sha256-" + digits + "-", "sha256-" + digits + "-012",
                                "sha256-" + digits + "-1x", "SHA256-" + digits + "-1", "sha256-" + std::string(63, 'a') + "-1",
                                "sha256-" + std::string(64, 'A') + "-1", "sha256-../../" + std::string(58, 'a') + "-1"}) {
    EXPECT_EQ(c::LongSigToShortSig(bad), "") << bad;
  }
  EXPECT_EQ(c::CallFunction("SomethingElse", "sha256-" + digits + "-12"), "");
}

TEST(DownloadFilesTest, SizeInfoAndComponentFileName) {
  ScratchDirectory scratch;
  WriteFile(scratch / "x.ocx", std::string(12345, 'x'));
  fs::last_write_time(scratch / "x.ocx", fs::file_time_type::clock::from_sys(std::chrono::sys_days{std::chrono::year{2026} /
                                                                                                      12 / 7} +
                                                                              std::chrono::hours{10} +
                                                                              std::chrono::minutes{15} +
                                                                              std::chrono::seconds{30}));
  EXPECT_EQ(c::GetFileSize(scratch / "x.ocx"), 12345);
  EXPECT_EQ(c::GetFileSize(scratch / "missing"), -1);
  EXPECT_EQ(c::GetFileInfo(scratch / "x.ocx"), "12345;20261207101530");
  EXPECT_EQ(c::GetFileInfo(scratch / "missing"), "");
  EXPECT_EQ(c::ComponentFileName("C:\\WINDOWS\\SYSTEM\\COMCTL32.OCX"), "COMCTL32.OCX");
  EXPECT_EQ(c::ComponentFileName("/usr/share/x/Map.ocx"), "Map.ocx");
  EXPECT_EQ(c::ComponentFileName("D:Map.ocx"), "Map.ocx");
}

TEST(DownloadFilesTest, JoinFilesWritesBothInOrderAndLeavesNothingOnFailure) {
  ScratchDirectory scratch;
  WriteFile(scratch / "engine.exe", NoiseBytes(70000, 1));
  WriteFile(scratch / "Attachment.CAB", NoiseBytes(50000, 2));
  ASSERT_TRUE(c::JoinFiles(scratch / "engine.exe", scratch / "Attachment.CAB", scratch / "Setup.exe"));
  EXPECT_TRUE(ReadFile(scratch / "Setup.exe") == ReadFile(scratch / "engine.exe") + ReadFile(scratch / "Attachment.CAB"));
  // The output may be one of the inputs.
  ASSERT_TRUE(c::JoinFiles(scratch / "engine.exe", scratch / "Attachment.CAB", scratch / "engine.exe"));
  EXPECT_TRUE(ReadFile(scratch / "engine.exe") == ReadFile(scratch / "Setup.exe"));
  EXPECT_FALSE(c::JoinFiles(scratch / "engine.exe", scratch / "missing.txt", scratch / "out.exe"));
  EXPECT_FALSE(fs::exists(scratch / "out.exe"));
  EXPECT_FALSE(c::JoinFiles(scratch / "engine.exe", scratch / "Attachment.CAB", scratch / "no/such/dir/out.exe"));
  EXPECT_EQ(FilesBelow(scratch.path()), (std::vector<std::string>{"Attachment.CAB", "Setup.exe", "engine.exe"}));
}

bool RunsUntilEnd(std::int64_t handle) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (c::IsProcessRunning(handle)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(ProcessTest, AStartedProgramRunsWithItsArgumentsAndThenIsNotRunning) {
  ScratchDirectory scratch;
  const std::string out = scratch / "args.txt";
  const std::int64_t handle =
      c::StartProcess("sh", "-c \"sleep 0.3; printf '%s|' \\\"$0\\\" \\\"$1\\\" > '" + out + "'\" \"first arg\" second", true);
  ASSERT_NE(handle, 0);
  EXPECT_TRUE(c::IsProcessRunning(handle));
  EXPECT_TRUE(RunsUntilEnd(handle));
  EXPECT_FALSE(c::IsProcessRunning(handle));
  EXPECT_EQ(ReadFile(out), "first arg|second|");
}

TEST(ProcessTest, AProgramThatCannotStartGivesAHandleThatIsNotRunning) {
  const std::int64_t handle = c::StartProcess("/no/such/program", "x", true);
  EXPECT_FALSE(c::IsProcessRunning(handle));
  EXPECT_FALSE(c::IsProcessRunning(c::StartProcess("", "", true)));
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
  const std::string base = c::GetCacheBaseDirectory();
  EXPECT_EQ(base, scratch.path().string() + "/corvanta/");
  // The wizard joins the cache paths with "\".
  const std::string scripts = base + "Temporary VexaWeb Files\\" + "Installed Scripts\\";
  ASSERT_TRUE(c::ResetCacheDirectory(scripts));
  const fs::path directory = fs::path(base) / "Temporary VexaWeb Files" / "Installed Scripts";
  ASSERT_TRUE(fs::is_directory(directory));
  WriteFile(directory / "0123.cab", "old");
  WriteFile(directory / "keep/inner.txt", "sub-directories stay");
  WriteFile(scratch / "outside.txt", "never touched");
  fs::create_symlink(scratch / "outside.txt", directory / "link.cab");
  ASSERT_TRUE(c::ResetCacheDirectory(scripts));
  EXPECT_EQ(FilesBelow(directory), std::vector<std::string>{"keep/inner.txt"});
  EXPECT_EQ(ReadFile(scratch / "outside.txt"), "never touched");
  // Paths outside the loader's cache are refused and left alone.
  WriteFile(fs::path(base) / "other" / "file.txt", "x");
  EXPECT_FALSE(c::ResetCacheDirectory(base + "other/"));
  EXPECT_FALSE(c::ResetCacheDirectory(base));
  EXPECT_FALSE(c::ResetCacheDirectory(base + "Temporary VexaWeb Files/../other/"));
  EXPECT_FALSE(c::ResetCacheDirectory(scratch.path().string()));
  EXPECT_FALSE(c::ResetCacheDirectory(""));
  EXPECT_TRUE(fs::exists(fs::path(base) / "other" / "file.txt"));
}

}  // namespace
}  // namespace vexa::test
