// The sign code commands in the build: a failing command fails it, "Sign every program"
// signs each program where the build completes it (before anything records its bytes),
// "%3" is the build's fixed time, and a Cancel stops the signing of later files.
// The "signing" command here appends a mark and records the file, so that each file shows
// whether it was signed before or after it was packed, listed or attached.
#include <cstdlib>
#include <filesystem>

#include "download_files.h"
#include "file_signature.h"
#include "path_services.h"
#include "release_pipeline_test.h"
#include "text_files.h"

namespace {

constexpr const char* kMark = "|SIGNED|";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

class SignCodeTest : public ReleasePipelineTest {
 protected:
  // A command that marks "%1" and records it, one path a line.
  std::string MarkingCommand() const {
    return "sh -c \"printf '" + std::string(kMark) + "' >>\\\"$0\\\"; echo \\\"$0\\\" >>'" + record() + "'\" \"%1\"";
  }
  std::string record() const { return scratch / "signed.txt"; }
  std::vector<std::string> SignedFiles() const { return SplitTextLines(ReadFileBytes(record())); }
  bool Progress(const std::string& line) const {
    return form->txtWorkProgress.text.find(line + "\r\n") != std::string::npos;
  }
};

TEST_F(SignCodeTest, EveryProgramIsSignedWhereTheBuildCompletesIt) {
  GoToFinalStep([&](int step) {
    if (step == kFinalStep) {
      form->SetText(form->txtSignCodeCommands, MarkingCommand());
      form->chkSignEveryProgram.value = 1;
    }
  });
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  const std::string setup = ProjectFile("Setup.exe");
  EXPECT_EQ(SignedFiles(), (std::vector<std::string>{setup, ReleaseActiveX("VexaLoad.cab"), Release("AcmePaintScript.Cab"),
                                                      Release("AcmePaintWebSetup.exe")}));
  for (const char* name : {"Setup.exe", "VexaLoad.cab", "AcmePaintScript.Cab", "AcmePaintWebSetup.exe"}) {
    EXPECT_TRUE(Progress(std::string("Signing ") + name)) << name << "\n" << form->txtWorkProgress.text;
  }
  // Prog1.cab holds the signed Setup.exe: the engine, the attachment, then the signature.
  const std::string expanded = scratch / "prog1";
  ASSERT_EQ(RunCommand("cabextract -q -d " + Quoted(expanded) + " " + Quoted(Release("Prog1.cab"))), 0);
  const std::string packed_setup = ReadFileBytes(expanded + "/Setup.exe");
  EXPECT_EQ(packed_setup, ReadFileBytes(wizard_directory + "/VexaInstall.exe") +
                              ReadFileBytes(ProjectFile("Attachment.CAB")) + kMark);
  // The web script lists the signed loader cabinet, size and signature.
  const std::string loader = ReleaseActiveX("VexaLoad.cab");
  EXPECT_EQ(ReadFileBytes(loader), ReadFileBytes(wizard_directory + "/VexaLoad.cab") + kMark);
  const std::string web_script = WebScript();
  EXPECT_NE(web_script.find("\"" + std::to_string(GetFileSize(loader)) + "\""), std::string::npos) << web_script;
  EXPECT_NE(web_script.find(GetFileSignature(loader)), std::string::npos) << web_script;
  // The stand-alone program: its lines name the signed script cabinet, its signature
  // follows them.
  const std::string attachment = ReadFileBytes(ProjectFile("SAAttach.txt"));
  EXPECT_EQ(SplitTextLines(attachment).at(4), LongSigToShortSig(GetFileSignature(Release("AcmePaintScript.Cab"))));
  EXPECT_EQ(ReadFileBytes(Release("AcmePaintWebSetup.exe")),
            ReadFileBytes(wizard_directory + "/VexaStandAloneWebProg.exe") + attachment + kMark);
  EXPECT_EQ(ReadTextFile(ProjectFile("SignEveryProgram.txt")), " 1");
}

TEST_F(SignCodeTest, OffOnlyTheScriptCabinetIsSigned) {
  GoToFinalStep([&](int step) {
    if (step == kFinalStep) form->SetText(form->txtSignCodeCommands, MarkingCommand());
  });
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(SignedFiles(), std::vector<std::string>{Release("AcmePaintScript.Cab")});
  EXPECT_FALSE(Progress("Signing AcmePaintScript.Cab"));
  EXPECT_FALSE(EndsWith(ReadFileBytes(Release("AcmePaintWebSetup.exe")), kMark));
  EXPECT_EQ(ReadTextFile(ProjectFile("SignEveryProgram.txt")), " 0");
}

// A command that cannot be started or ends with a non-zero status: the message, the
// Release directories emptied, back on the last step. With "Sign every program" the first
// file signed is Setup.exe, so the build stops before Prog1.cab exists.
struct SignFailure {
  const char* name;
  const char* commands;
  bool every_program;
  const char* message;  // {C}: the script cabinet, {S}: Setup.exe
};

class SignFailureTest : public SignCodeTest, public ::testing::WithParamInterface<SignFailure> {};

TEST_P(SignFailureTest, FailsTheBuild) {
  const SignFailure& failure = GetParam();
  GoToFinalStep([&](int step) {
    if (step == kFinalStep) {
      form->SetText(form->txtSignCodeCommands, failure.commands);
      form->chkSignEveryProgram.value = failure.every_program ? 1 : 0;
    }
  });
  EXPECT_FALSE(Finish());
  std::string message = ReplaceText(failure.message, "{C}", Release("AcmePaintScript.Cab"));
  message = ReplaceText(message, "{S}", ProjectFile("Setup.exe"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{message});
  EXPECT_TRUE(ReleaseFiles().empty()) << ::testing::PrintToString(ReleaseFiles());
  EXPECT_EQ(form->CurrentStep, kFinalStep);
  EXPECT_FALSE(form->cmdNext.enabled);
  EXPECT_FALSE(host.ended);
}

INSTANTIATE_TEST_SUITE_P(
    EachWayToFail, SignFailureTest,
    ::testing::Values(
        SignFailure{"NonZeroExitStatus", "true %1\r\nsh -c \"exit 3\" %1", false,
                    "Error. The sign code command failed: sh -c \"exit 3\" {C} (exit status 3)."},
        SignFailure{"NoSuchProgram", "/no/such/signer \"%1\"", false,
                    "Error. The sign code command could not be started: /no/such/signer \"{C}\"."},
        SignFailure{"KilledBySignal", "sh -c \"kill -9 $$\"", true,
                    "Error. The sign code command failed: sh -c \"kill -9 $$\" (exit status 137)."},
        SignFailure{"SetupExeFails", "sh -c \"exit 4\" \"%1\"", true,
                    "Error. The sign code command failed: sh -c \"exit 4\" \"{S}\" (exit status 4)."}),
    [](const ::testing::TestParamInfo<SignFailure>& failure) { return std::string(failure.param.name); });

TEST_F(SignCodeTest, ACancelLeavesTheLaterFilesUnsigned) {
  const std::string slow = "sh -c \"echo \\\"$0\\\" >>'" + record() + "'; sleep 5\" \"%1\"";
  GoToFinalStep([&](int step) {
    if (step == kFinalStep) {
      form->SetText(form->txtSignCodeCommands, slow);
      form->chkSignEveryProgram.value = 1;
    }
  });
  bool cancelled = false;
  host.on_process_events = [&] {
    if (!cancelled && Progress("Signing Setup.exe") && !SignedFiles().empty()) {
      cancelled = true;
      form->cmdCancelWork_Click();
    }
  };
  ASSERT_TRUE(Finish());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Signing commands canceled."});
  EXPECT_EQ(SignedFiles(), std::vector<std::string>{ProjectFile("Setup.exe")});
  EXPECT_FALSE(Progress("Signing VexaLoad.cab"));
  EXPECT_FALSE(Progress("Executing the Sign Code Commands..."));
  EXPECT_TRUE(fs::exists(Release("AcmePaintWebSetup.exe")));
}

// "%3" is replaced first, by SOURCE_DATE_EPOCH, and by nothing when it is unset or not a
// number; a "%3" inside the title stays as typed.
TEST_F(SignCodeTest, PercentThreeIsTheFixedBuildTime) {
  GoToFinalStep([&](int step) {
    if (step == kFinalStep) {
      form->SetText(form->txtSignCodeCommands, "true %1 -time %3 \"%2\"");
      form->SetText(form->txtHtmlTitle, "Paint %3");
    }
  });
  AttachAnswers();
  fs::create_directories(form->ProjectFilesDirectory);
  const std::string cabinet = Release("AcmePaintScript.Cab");
  const std::string record = ProjectFile("SignCodeCommands.BAT");
  struct Case {
    const char* epoch;  // null: unset
    std::string time;
  };
  for (const Case& c : {Case{kFixedEpoch, kFixedEpoch}, Case{nullptr, ""}, Case{"17966 30400", ""},
                       Case{"-5", ""}, Case{"+5", ""}}) {
    if (c.epoch) setenv("SOURCE_DATE_EPOCH", c.epoch, 1);
    else unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_TRUE(pipeline.ExecuteSignCodeCommands());
    EXPECT_EQ(ReadFileBytes(record), "true " + cabinet + " -time " + c.time + " \"Paint %3\"") << (c.epoch ? c.epoch : "");
  }
}
