// The end of an installation run, driven through a user interface that records what the
// user would have seen. The restart question is answered No here: a Yes would restart the
// machine running the tests.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "final_program.h"
#include "log_file.h"
#include "run.h"
#include "scratch_directory.h"
#include "shortcuts.h"

namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

constexpr const char* kProduct = "Vexa Finish Test";
constexpr const char* kRestartQuestion =
    "question: To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer "
    "now?";

class RecordingUi : public EngineUi {
 public:
  void ShowMessage(const std::string& text) override { events.push_back("message: " + text); }
  bool Ask(Question, const std::string& text) override {
    events.push_back("question: " + text);
    return false;
  }
  void ShowLog(const std::string& log_text, int) override { events.push_back("log: " + LastLogLine(log_text)); }
  void EnableCancel(bool enabled) override { events.push_back(enabled ? "cancel enabled" : "cancel disabled"); }
  void CloseDialog() override { events.push_back("closed"); }

  Events events;
};

void DeleteProductKeys() {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                (std::string("SOFTWARE\\Corvanta Install\\Installed Programs\\") + kProduct).c_str());
}

class FinishInstallationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteProductKeys();
    run_.product_name = kProduct;
    run_.product_directory = product_;
    // Not one of the engine's own "~ts" directories in the temporary path, which the
    // end-to-end tests running beside this one count: the run leaves it alone.
    run_.temporary_directory = product_ + "~tsWork\\";
    fs::create_directories(run_.temporary_directory);
    run_.ui = &ui_;
  }
  void TearDown() override {
    DeleteProductKeys();
  }
  void Script(const std::string& text) { run_.script = SplitScriptText(text); }
  std::string Recorded() const {
    return ReadRegistryValue("SOFTWARE\\Corvanta Install\\Installed Programs\\" + std::string(kProduct));
  }
  static std::string ReadRegistryValue(const std::string& key) {
    char value[300] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "Directory", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
      return "none";
    return value;
  }

  ScratchDirectory scratch_;
  const std::string product_ = scratch_.text();
  RunState run_;
  RecordingUi ui_;
};

TEST_F(FinishInstallationTest, PendingReplacementAsksToRestartAndSkipsDoneMessageAndProgram) {
  Script(
      "SetProductName \"Vexa Finish Test\"\r\nSetDoneMessage \"Done.\"\r\nExecute \"<ProductDirectory>Gone.exe\"\r\n");
  run_.restart_needed = true;
  FinishInstallation(run_);
  EXPECT_EQ(ui_.events, (Events{"cancel disabled", kRestartQuestion, "closed"}));
  EXPECT_EQ(run_.outcome, RunOutcome::RestartNeeded);
  EXPECT_EQ(Recorded(), product_);  // the installation itself is complete and recorded
}

TEST_F(FinishInstallationTest, WithoutPendingReplacementShowsDoneMessageThenTheProgramsError) {
  Script("SetDoneMessage \"Done.\"\r\nExecute \"<ProductDirectory>Gone.exe\", \"a b\"\r\n");
  FinishInstallation(run_);
  EXPECT_EQ(ui_.events, (Events{"cancel disabled", "log: Installation completed", "message: Done.",
                                "message: Error. Cannot execute " + product_ + "Gone.exe", "closed"}));
  EXPECT_EQ(run_.outcome, RunOutcome::Succeeded);
}

TEST_F(FinishInstallationTest, ProgramGroupsOnlyWhenTheProductHasAGroup) {
  std::ofstream(product_ + "App.txt") << "app";
  Script("CreateProgramGroup \"<ProductProgramGroup>\", \"App\", \"<ProductDirectory>App.txt\"\r\n");
  FinishInstallation(run_);
  EXPECT_EQ(ui_.events, (Events{"cancel disabled", "log: Installation completed", "closed"}));
  EXPECT_TRUE(run_.installed_files.empty());

  RecordingUi second;
  run_.ui = &second;
  run_.program_group_directory = product_ + "Menu\\";
  FinishInstallation(run_);
  EXPECT_EQ(second.events,
            (Events{"cancel disabled", "log: Creating Program Groups", "log: Installation completed", "closed"}));
  EXPECT_EQ(run_.installed_files, (std::vector<std::string>{product_ + "Menu\\App.LNK"}));
  EXPECT_TRUE(fs::exists(product_ + "Menu\\App.LNK"));
}

TEST_F(FinishInstallationTest, RunRemovesThePreviousInstallationFirstWithCancelDisabled) {
  std::ofstream(product_ + "Old.txt") << "old";
  run_.previous_installation = {kProduct, product_, "", product_ + "Old.txt"};
  RunInstallation(run_);
  ASSERT_GE(ui_.events.size(), 3u);
  EXPECT_EQ(Events(ui_.events.begin(), ui_.events.begin() + 3),
            (Events{"cancel disabled", "log: Removing previous installation of this program", "cancel enabled"}));
  EXPECT_FALSE(fs::exists(product_ + "Old.txt"));
  EXPECT_EQ(run_.outcome, RunOutcome::Succeeded);
}

// Cancel pressed as the last line ended: the question is open (the pause file exists) when
// the run would finish. Its Yes must cancel the run, not let it complete under "Canceling
// installation", and no flag file may be made after the directory is gone.
TEST_F(FinishInstallationTest, CancelConfirmedAsTheLastLineEndsCancelsTheRun) {
  Script("SetDoneMessage \"Done.\"\r\n");
  const std::string pause = run_.temporary_directory + kPauseFlagFile;
  std::ofstream(pause) << "";
  std::thread answer([&] {
    Sleep(300);
    std::ofstream(run_.temporary_directory + kCancelFlagFile) << "";
    fs::remove(pause);
  });
  FinishInstallation(run_);
  answer.join();
  EXPECT_EQ(ui_.events, (Events{"cancel disabled", "closed"}));
  EXPECT_EQ(run_.outcome, RunOutcome::Cancelled);
  EXPECT_EQ(Recorded(), "none");
}

TEST_F(FinishInstallationTest, CancelAnsweredNoAsTheLastLineEndsLetsTheRunFinish) {
  const std::string pause = run_.temporary_directory + kPauseFlagFile;
  std::ofstream(pause) << "";
  std::thread answer([&] {
    Sleep(300);
    fs::remove(pause);
  });
  FinishInstallation(run_);
  answer.join();
  EXPECT_EQ(ui_.events, (Events{"cancel disabled", "log: Installation completed", "closed"}));
  EXPECT_EQ(run_.outcome, RunOutcome::Succeeded);
}

// What the started program receives: the system's own command-line parser must hand it the
// program and exactly the non-empty parameters, however they are spelled.
TEST(ProgramCommandLineTest, TheStartedProgramGetsEachNonEmptyParameterAsGiven) {
  const std::string program = "C:\\Program Files\\Acme App\\App.exe";
  const std::vector<std::string> parameters = {"", "/a", "b c", "", "C:\\My Dir\\", "tab\there", "x\\\\", ""};
  const std::string command = ProgramCommandLine(program, ParameterText(parameters));
  const std::wstring wide(command.begin(), command.end());
  int count = 0;
  LPWSTR* parsed = CommandLineToArgvW(wide.c_str(), &count);
  ASSERT_NE(parsed, nullptr);
  std::vector<std::string> received;
  for (int i = 0; i < count; ++i) {
    const std::wstring argument(parsed[i]);
    received.emplace_back(argument.begin(), argument.end());
  }
  LocalFree(parsed);
  EXPECT_EQ(received, (std::vector<std::string>{program, "/a", "b c", "C:\\My Dir\\", "tab\there", "x\\\\"}))
      << command;
}

TEST(CreateShortcutEntryTest, RecordsOnlyLinkFilesThatWereWritten) {
  ScratchDirectory scratch;
  const std::string base = scratch.text();
  std::ofstream(base + "File") << "x";
  std::vector<std::string> files = {"first"};
  EXPECT_FALSE(CreateShortcutEntry(base + "File\\Sub", "Name", base + "File", files));   // folder cannot be made
  EXPECT_FALSE(CreateShortcutEntry(base, std::string(300, 'n'), base + "File", files));  // name too long
  EXPECT_TRUE(CreateShortcutEntry(base + "Group", "Mixed Case", base + "File", files));
  EXPECT_EQ(files, (std::vector<std::string>{"first", base + "Group\\Mixed Case.LNK"}));
  EXPECT_FALSE(CreateProgramGroups({}, "", base, files));
  EXPECT_FALSE(CreateProgramGroups({}, base, "", files));
}

}  // namespace
