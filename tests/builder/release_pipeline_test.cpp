// Finish end to end on the model: the package's files, both scripts byte for byte, the
// page, Setup.exe, SAAttach.txt, and the edge cases of the question, cancel and failures.
#include <filesystem>

#include "build_clock.h"
#include "cache_directories.h"
#include "download_files.h"
#include "file_signature.h"
#include "path_services.h"
#include "pe_version.h"
#include "release_pipeline_test.h"
#include "server_class_id.h"
#include "split_cab.h"
#include "text_files.h"

namespace {

// Builds the group tree of the "full" project: Paint, Tools\Help and an unlinked Empty.
void FullTree(Form1& form) {
  ProgramGroupTree& tree = form.ProgramGroup;
  const int paint = tree.AddChild(0, "Untitled1", "Paint");
  const int tools = tree.AddChild(0, "Untitled2", "Tools");
  const int help = tree.AddChild(tools, "Untitled3", "Help");
  tree.AddChild(0, "Untitled4", "Empty");
  tree.nodes[static_cast<std::size_t>(paint)].tag = "paint.exe";
  tree.nodes[static_cast<std::size_t>(paint)].image = kShortcutImage;
  tree.nodes[static_cast<std::size_t>(help)].tag = "docs\\help.txt";
  tree.nodes[static_cast<std::size_t>(help)].image = kShortcutImage;
}

void AddLoaderValues(const Form1& form, std::map<std::string, std::string>& values) {
  CabinetValues(form.ReleaseActiveXDirectory + "VexaLoad.cab", "LOADER", values);
  values["LOADER_SIZE"] = std::to_string(GetFileSize(form.WizardDirectory + "VexaLoad.ocx"));
}

}  // namespace

TEST_F(ReleasePipelineTest, FullProjectScriptsSplitCabinetAndPackage) {
  WriteFileBytes(program_directory + "Data/Noise.bin", NoiseBytes(70'000, 4));
  WriteFileBytes(shared_directory + "Helper.dll", ReadFileBytes(VEXA_SAMPLE_CONTROL));
  WriteFileBytes(shared_directory + "mapview.ocx", ReadFileBytes(VEXA_SAMPLE_CONTROL));
  // The run file has no version resource: the entry takes the highest of the executables.
  WriteFileBytes(program_directory + "Tools/Convert.exe", ReadFileBytes(VEXA_PE_LIBRARY));
  GoToFinalStep([&](int step) {
    // A double quote would end the script argument early.
    if (step == 1) form->SetText(form->txtCompanyName, " Acme \"Tools\" ");
    if (step == 3) form->SetText(form->txtExeParas, " \"a\", \"b\" ");
    if (step == 4) FullTree(*form);
    if (step == 5) {
      host.file_answers = {shared_directory + "Helper.dll"};
      form->cmdAddDLL_Click();
      host.file_answers = {shared_directory + "mapview.ocx"};
      form->cmdAddOCX_Click();
      ASSERT_EQ(form->lstOCX.ListCount(), 2) << MessageTexts().back();
    }
  });
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  EXPECT_TRUE(host.ended);

  std::map<std::string, std::string> values;
  CabinetValues(ProjectFile("Program.cab"), "PROGRAM", values);
  CabinetValues(ReleaseActiveX("helper.Cab"), "DLL", values);
  CabinetValues(ReleaseActiveX("mapview.Cab"), "OCX", values);
  values["CONVERT_VERSION"] = GetFileVersion(program_directory + "Tools/Convert.exe");
  ASSERT_FALSE(values["CONVERT_VERSION"].empty());
  AddLoaderValues(*form, values);
  values["DLL_SIZE"] = std::to_string(GetFileSize(shared_directory + "Helper.dll"));
  values["OCX_SIZE"] = std::to_string(GetFileSize(shared_directory + "mapview.ocx"));
  values["OCX_CLSID"] = GetServerClassId(shared_directory + "mapview.ocx", true);
  // The split setup cabinet is published as its parts only; joined, they are the cabinet.
  std::string joined;
  int parts = 0;
  for (; fs::exists(Release(PartFileName("Prog1.cab", parts + 1))); ++parts) {
    joined += ReadFileBytes(Release(PartFileName("Prog1.cab", parts + 1)));
  }
  EXPECT_FALSE(fs::exists(Release("Prog1.cab")));
  ASSERT_GE(parts, 2);
  EXPECT_EQ(SetupCabinetParts(static_cast<std::int64_t>(joined.size()), true), parts);
  WriteFileBytes(scratch / "Prog1.cab", joined);
  StampWithFixedBuildTime(scratch / "Prog1.cab");
  CabinetValues(scratch / "Prog1.cab", "PROG1", values);
  values["PROG1_PARTS"] = std::to_string(parts);

  EXPECT_EQ(ReadFileBytes(ProjectFile("Script.txt")), Golden("full-setup-script.txt", values));
  EXPECT_EQ(WebScript(), Golden("full-web-script.txt", values));
  EXPECT_EQ(form->txtExeParas.text, "\"a\", \"b\"");  // trimmed in the field
  std::vector<std::string> expected{"AcmePaint.htm", "AcmePaintScript.Cab", "AcmePaintWebSetup.exe",
                                    "Prog1_parts.txt", "VexaLoad.cab", "VexaLoad.ocx", "helper.Cab", "mapview.Cab"};
  for (int i = 1; i <= parts; ++i) expected.push_back(PartFileName("Prog1.cab", i));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ReleaseFiles(), expected);
  // No loader runs on a Linux build machine: its cache gets no second copy of the package.
  EXPECT_TRUE(fs::is_empty(NativeDirectoryText(form->DownloadedProgramsCache)));
  EXPECT_TRUE(fs::is_empty(NativeDirectoryText(form->InstalledScriptsCache)));
}

TEST_F(ReleasePipelineTest, BareProjectNoComponentLinesNoTitleNoRunFileRootOnly) {
  GoToFinalStep([&](int step) {
    if (step == 3) {
      form->List3.list_index = 0;
      form->List3_Click();
    }
    if (step == kFinalStep) {
      // Nothing for the uninstall entry: no company, no run file, the example web site.
      form->SetText(form->txtWebSiteURL, kExampleBaseURL);
      form->lstOCX.Clear();
      form->SetText(form->txtHtmlTitle, "");
      form->chkCreateMultiProgramCabs.value = 0;
    }
  });
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  std::map<std::string, std::string> values;
  CabinetValues(ProjectFile("Program.cab"), "PROGRAM", values);
  CabinetValues(Release("Prog1.cab"), "PROG1", values);
  EXPECT_EQ(ReadFileBytes(ProjectFile("Script.txt")), Golden("bare-setup-script.txt", values));
  EXPECT_EQ(WebScript(), Golden("bare-web-script.txt", values));
}

TEST_F(ReleasePipelineTest, LoaderOnlyProjectAndTheRestOfThePackage) {
  GoToFinalStep([&](int step) {
    if (step == 4) {
      const int paint = form->ProgramGroup.AddChild(0, "Untitled1", "Paint");
      form->ProgramGroup.nodes[static_cast<std::size_t>(paint)].tag = "paint.exe";
    }
  });
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  std::map<std::string, std::string> values;
  CabinetValues(ProjectFile("Program.cab"), "PROGRAM", values);
  CabinetValues(Release("Prog1.cab"), "PROG1", values);
  AddLoaderValues(*form, values);
  EXPECT_EQ(ReadFileBytes(ProjectFile("Script.txt")), Golden("loader-only-setup-script.txt", values));
  EXPECT_EQ(WebScript(), Golden("loader-only-web-script.txt", values));

  // SAAttach.txt: six lines, the last without a line end; line 5 names the script cabinet.
  const std::string attachment = ReadFileBytes(ProjectFile("SAAttach.txt"));
  const std::string script_cabinet_signature = LongSigToShortSig(GetFileSignature(Release("AcmePaintScript.Cab")));
  EXPECT_EQ(attachment, "http://www.acme.example/ActiveX/\r\n\r\nhttp://www.acme.example/paint/\r\n"
                        "AcmePaintScript.Cab\r\n" + script_cabinet_signature + "\r\nWEBSETUP");
  EXPECT_EQ(ReadFileBytes(Release("AcmePaintWebSetup.exe")),
            ReadFileBytes(wizard_directory + "/VexaStandAloneWebProg.exe") + attachment);
  // The project was saved; the release files are where the success text says.
  EXPECT_EQ(ReadFileBytes(ProjectFile("ProgramFriendlyName.txt")), "Acme Paint");
  EXPECT_EQ(ReadFileBytes(ProjectFile("ExeFilename.txt")), "paint.exe");
  EXPECT_FALSE(fs::exists(ProjectFile("Setup.exe")));
  EXPECT_EQ(form->frmSuccess_Text,
            "Successfully created the Web Setup program: \r\nAcmePaintWebSetup.exe\r\n\r\n"
            "To test the Web Setup program locally: \r\nDouble-click the file: \r\n" +
                Release("AcmePaintWebSetup.exe") +
                "\r\n\r\nTo publish your Web Setup program: \r\n\r\n(1) Copy all the files in the Release directory: "
                "\r\n" + form->ReleaseDirectory + "\r\ninto the following directory on your Web site: \r\n"
                "http://www.acme.example/paint/\r\n\r\n(2) Copy all the files in the Release directory: \r\n" +
                form->ReleaseActiveXDirectory + "\r\ninto the following directory of your Web site: \r\n"
                "http://www.acme.example/ActiveX/");
  const std::string progress = form->txtWorkProgress.text;
  for (const char* line : {"Adding files to Cab image...\r\n", "Adding Paint.exe into Program.cab\r\n",
                           "Completed making Program.cab\r\n", "Completed making Attachment.CAB\r\n",
                           "Adding Setup.exe into Prog1.cab\r\n", "Completed making AcmePaintScript.Cab\r\n"}) {
    EXPECT_NE(progress.find(line), std::string::npos) << line << " in\n" << progress;
  }
  EXPECT_TRUE(progress.ends_with("Done!\r\n")) << progress;
}

TEST_F(ReleasePipelineTest, SetupExeIsTheEngineFollowedByTheAttachment) {
  GoToFinalStep();
  for (const std::string& directory : {form->ProjectFilesDirectory, form->ReleaseDirectory}) fs::create_directories(directory);
  AttachAnswers();
  ASSERT_TRUE(pipeline.CreateSingleProgramCabFile());
  ASSERT_TRUE(pipeline.CreateSetupExeProgram());
  const std::string setup = ProjectFile("Setup.exe");
  EXPECT_EQ(GetFileSize(setup), GetFileSize(wizard_directory + "/VexaInstall.exe") + GetFileSize(ProjectFile("Attachment.CAB")));
  EXPECT_EQ(ReadFileBytes(setup), ReadFileBytes(wizard_directory + "/VexaInstall.exe") + ReadFileBytes(ProjectFile("Attachment.CAB")));
  std::string members;
  ASSERT_EQ(RunCommand("cabextract -l " + Quoted(ProjectFile("Attachment.CAB")) + " | awk -F'|' 'NF == 3 && $3 !~ /^ *Name *$/ {sub(/^ +/, \"\", $3); print $3}'", &members), 0);
  EXPECT_EQ(members, "Script.txt\nUninstall.exe\nProgram.cab\n");
  EXPECT_FALSE(fs::exists(wizard_directory + "/~tmp_ctm.tmp"));
}

TEST_F(ReleasePipelineTest, ProgramCabinetIsLzxWhenDownloadTimeIsMinimizedOrAsTheProjectAndCommandLineSay) {
  GoToFinalStep();
  for (const std::string& directory : {form->ProjectFilesDirectory, form->ReleaseDirectory}) fs::create_directories(directory);
  auto first_folder_type = [](const std::string& cabinet) {
    const std::string bytes = ReadFileBytes(cabinet);
    return static_cast<unsigned char>(bytes.at(42)) | (static_cast<unsigned char>(bytes.at(43)) << 8);
  };
  auto program_cabinet_type = [&] {
    AttachAnswers();
    EXPECT_TRUE(pipeline.CreateSingleProgramCabFile());
    return first_folder_type(ProjectFile("Program.cab"));
  };
  form->chkCreateMultiProgramCabs.value = 1;
  EXPECT_EQ(program_cabinet_type(), 0x1503);
  ASSERT_TRUE(pipeline.CreateSetupExeProgram());
  EXPECT_EQ(first_folder_type(ProjectFile("Attachment.CAB")), 1);
  form->chkCreateMultiProgramCabs.value = 0;
  EXPECT_EQ(program_cabinet_type(), 1);
  WriteFileBytes(ProjectFile("CabCompression.txt"), " lzx\r\n");
  EXPECT_EQ(program_cabinet_type(), 0x1503);
  pipeline.SetProgramCompression(CabCompression::kMszip);
  EXPECT_EQ(program_cabinet_type(), 1);
}

TEST_F(ReleasePipelineTest, PagePlaceholdersInOrderAndValuesEscaped) {
  WriteFileBytes(wizard_directory + "/HtmlTemplates/TemplateSetup01.htm",
                 "<title>VEXA_HTML_TITLE</title><a href=\"VEXA_STAND_ALONE_EXE_NAME\">VEXA_PROGRAM_FRIENDLY_NAME</a>"
                 "<p>VEXA_SCRIPT_FILENAME VEXA_LOAD_OCX_URL VEXA_WIZARD_VERSION VEXA_GENERATED_TIME</p>");
  GoToFinalStep([&](int step) {
    if (step == 1) form->SetText(form->txtActiveXUrl, " http://www.acme.example/ActiveX\\ ");
    if (step == kFinalStep) form->SetText(form->txtHtmlTitle, "Get VEXA_PROGRAM_FRIENDLY_NAME <now> & \"free\"");
  });
  form->SetText(form->txtProgramFriendlyName, "Tom & Jerry");
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(ReadFileBytes(Release("AcmePaint.htm")),
            "<title>Get Tom &amp; Jerry &lt;now&gt; &amp; &quot;free&quot;</title>"
            "<a href=\"AcmePaintWebSetup.exe\">Tom &amp; Jerry</a>"
            "<p>AcmePaintScript.Cab http://www.acme.example/ActiveX\\/VexaLoad.cab 1.2 12/07/26 08:00:00</p>");
}

TEST_F(ReleasePipelineTest, TheQuestionAndItsAnswers) {
  GoToFinalStep();
  fs::create_directories(form->ReleaseDirectory);
  fs::create_directories(form->ReleaseActiveXDirectory + "keep");
  WriteFileBytes(Release("old.htm"), "old");
  host.answers = {MessageAnswer::No};
  EXPECT_FALSE(Finish());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Updating Release Files");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
  EXPECT_EQ(host.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(host.messages[0].text,
            "Continuing will delete all the current files in the Release directories: \r\n\r\n" +
                form->ReleaseDirectory + "\r\n" + form->ReleaseActiveXDirectory +
                "\r\n\r\nThe Release directories will be updated with new updated files. Do you wish to continue?");
  EXPECT_EQ(ReadFileBytes(Release("old.htm")), "old");
  EXPECT_EQ(form->CurrentStep, kFinalStep);
  EXPECT_TRUE(form->cmdFinish.enabled);

  host.messages.clear();
  host.answers = {MessageAnswer::Yes};
  ASSERT_TRUE(Finish());
  EXPECT_FALSE(fs::exists(Release("old.htm")));
  EXPECT_TRUE(fs::is_directory(form->ReleaseActiveXDirectory + "keep"));  // sub-directories stay
}

TEST_F(ReleasePipelineTest, EmptyReleaseDirectoriesAskNothing) {
  GoToFinalStep();
  fs::create_directories(form->ReleaseDirectory);
  ASSERT_TRUE(Finish());
  EXPECT_TRUE(host.messages.empty()) << host.messages[0].text;
}

TEST_F(ReleasePipelineTest, CancelDuringACabinetBuildEndsOnStep6WithEmptyReleaseDirectories) {
  WriteFileBytes(program_directory + "Big.bin", NoiseBytes(24u << 20, 7));
  GoToFinalStep();
  int calls_while_working = 0;
  host.on_process_events = [&] {
    if (form->CurrentStep == kWorkingStep && ++calls_while_working == 2) form->cmdCancelWork_Click();
  };
  EXPECT_FALSE(Finish());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Error. Cab creation cancelled by user."});
  EXPECT_EQ(form->CurrentStep, kFinalStep);
  EXPECT_FALSE(form->cmdNext.enabled);
  EXPECT_TRUE(form->cmdExit.enabled && form->cmdSamples.enabled && form->cmdFinish.enabled);
  EXPECT_EQ(form->Caption, std::string(kWizardTitle) + " - Step  6");
  EXPECT_TRUE(ReleaseFiles().empty());
  EXPECT_FALSE(fs::exists(ProjectFile("ProgramFriendlyName.txt")));  // nothing saved by a failed build
}

// A Cancel that arrives while the files are being queued, before a yield point that would
// notice it, must still stop the build: the cabinet is not started, and Finish fails.
TEST_F(ReleasePipelineTest, CancelWhileFilesAreQueuedStopsBeforeTheCabinetIsBuilt) {
  GoToFinalStep();
  bool cancelled = false;
  host.on_process_events = [&] {
    if (!cancelled && form->txtWorkProgress.text.find("Adding files to Cab image...") != std::string::npos) {
      cancelled = true;
      form->cmdCancelWork_Click();
    }
  };
  EXPECT_FALSE(Finish());
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Files Addition to Cab Image canceled."});
  EXPECT_EQ(form->CurrentStep, kFinalStep);
  EXPECT_TRUE(ReleaseFiles().empty());
  EXPECT_FALSE(fs::exists(form->ProjectFilesDirectory + "Program.cab"));
}

TEST_F(ReleasePipelineTest, CancelledSigningStillEndsWithTheStandAloneProgram) {
  GoToFinalStep([&](int step) {
    if (step == kFinalStep) form->SetText(form->txtSignCodeCommands, "  sleep 5\r\ntrue %1 %1 \"%2\"  ");
  });
  int polls = 0;
  host.on_process_events = [&] {
    if (form->txtWorkProgress.text.find("Executing Sign Code Command: sleep 5") != std::string::npos && ++polls == 2) {
      form->cmdCancelWork_Click();
    }
  };
  ASSERT_TRUE(Finish());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Signing commands canceled."});
  EXPECT_TRUE(fs::exists(Release("AcmePaintWebSetup.exe")));
  EXPECT_EQ(form->txtSignCodeCommands.text, "sleep 5\r\ntrue %1 %1 \"%2\"");
  // The record holds both lines with "%1" replaced twice, though the second never ran.
  const std::string cabinet = Release("AcmePaintScript.Cab");
  EXPECT_EQ(ReadFileBytes(ProjectFile("SignCodeCommands.BAT")),
            "sleep 5\r\ntrue " + cabinet + " " + cabinet + " \"Acme Paint Web Setup Page\"");
  EXPECT_EQ(form->txtWorkProgress.text.find("Executing Sign Code Command: true"), std::string::npos);
}

TEST_F(ReleasePipelineTest, SignCommandsRunInOrderEachToItsEnd) {
  const std::string record = scratch / "order.txt";
  GoToFinalStep([&](int step) {
    if (step == kFinalStep) {
      form->SetText(form->txtSignCodeCommands, "sh -c \"echo one >>" + record + "; sleep 1\"\r\n\r\nsh -c \"echo two >>" +
                                                   record + "\"");
    }
  });
  ASSERT_TRUE(Finish());
  EXPECT_EQ(ReadFileBytes(record), "one\ntwo\n");
  EXPECT_NE(form->txtWorkProgress.text.find("Executing the Sign Code Commands...\r\n"), std::string::npos);
  // The empty middle line starts an empty program name and is logged alone.
  EXPECT_NE(form->txtWorkProgress.text.find("Executing Sign Code Command: \r\n"), std::string::npos);
}

// Each failure in a fixture of its own: a case must not build on the project, the release
// directories or the remembered answers an earlier case left behind.
struct BuildFailure {
  const char* name;
  bool in_wizard_directory;  // the file removed lies in the wizard's directory, else in the shared one
  const char* removed;
  const char* message;
};

class ReleasePipelineFailureTest : public ReleasePipelineTest, public ::testing::WithParamInterface<BuildFailure> {};

TEST_P(ReleasePipelineFailureTest, ShowsOneMessageEmptiesTheReleaseDirectoriesAndKeepsTheProject) {
  const BuildFailure& failure = GetParam();
  WriteFileBytes(shared_directory + "gone.dll", ReadFileBytes(VEXA_PE_LIBRARY));
  GoToFinalStep([&](int step) {
    if (step == 5) {
      host.file_answers = {shared_directory + "gone.dll"};
      form->cmdAddDLL_Click();
    }
  });
  fs::create_directories(form->ProjectFilesDirectory);
  WriteFileBytes(ProjectFile("Custom.txt"), "' kept\r\n");
  ASSERT_TRUE(fs::remove((failure.in_wizard_directory ? wizard_directory + "/" : shared_directory) + failure.removed));
  EXPECT_FALSE(Finish());
  std::string message = ReplaceText(failure.message, "{P}", form->ProjectFilesDirectory);
  message = ReplaceText(message, "{A}", form->ReleaseActiveXDirectory);
  message = ReplaceText(message, "{R}", form->ReleaseDirectory);
  message = ReplaceText(message, "{W}", form->WizardDirectory);
  message = ReplaceText(message, "{D}", shared_directory);
  message = ReplaceText(message, "{S}", std::string(1, kDirectorySeparator));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{message});
  EXPECT_TRUE(ReleaseFiles().empty()) << ::testing::PrintToString(ReleaseFiles());
  EXPECT_EQ(ReadFileBytes(ProjectFile("Custom.txt")), "' kept\r\n");
  EXPECT_EQ(form->CurrentStep, kFinalStep);
}

INSTANTIATE_TEST_SUITE_P(
    EachMissingFile, ReleasePipelineFailureTest,
    ::testing::Values(
        BuildFailure{"MissingPageTemplate", true, "HtmlTemplates/TemplateSetup01.htm",
                     "Error. Cannot read file: {W}HtmlTemplates{S}TemplateSetup01.htm"},
        BuildFailure{"MissingUninstaller", true, "Uninstall.exe",
                     "Error. Cannot create cab file: {P}Attachment.CAB\r\nCannot read file: {W}Uninstall.exe"},
        BuildFailure{"MissingEngine", true, "VexaInstall.exe",
                     "Error. Cannot create Setup.exe\r\nCannot read file: {W}VexaInstall.exe"},
        BuildFailure{"VanishedComponent", false, "gone.dll",
                     "Error. Cannot create cab file: {A}gone.Cab\r\nCannot read file: {D}gone.dll"},
        BuildFailure{"MissingStandAloneProgram", true, "VexaStandAloneWebProg.exe",
                     "Error. Cannot create stand-alone exe file: {R}AcmePaintWebSetup.exe\r\n"
                     "Cannot read file: {W}VexaStandAloneWebProg.exe"}),
    [](const ::testing::TestParamInfo<BuildFailure>& failure) { return std::string(failure.param.name); });

// A control that was registered when step 5 listed it and is not when Finish runs (natively:
// it now declares no class) stops the build with the message that names it; nothing of the
// package is left and the project is not kept.
TEST_F(ReleasePipelineTest, FinishWithAnUnregisteredOcx) {
  WriteFileBytes(shared_directory + "mapview.ocx", ReadFileBytes(VEXA_SAMPLE_CONTROL));
  GoToFinalStep([&](int step) {
    if (step == 5) {
      host.file_answers = {shared_directory + "mapview.ocx"};
      form->cmdAddOCX_Click();
      ASSERT_EQ(form->lstOCX.ListCount(), 2) << MessageTexts().back();
    }
  });
  WriteFileBytes(shared_directory + "mapview.ocx", ReadFileBytes(VEXA_PE_LIBRARY));
  EXPECT_FALSE(Finish());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "The OCX/DLL file " + form->lstOCX.lines[1] +
                " that you selected in step 5 is not registered.\r\n\r\nSolution: \r\n"
                "[] Go back to step 5, remove this OCX/DLL from the list.\r\n"
                "[] If needed, register the OCX/DLL (e.g., use the RegSvr32 utility).\r\n"
                "[] In Step 5, add this OCX/DLL to the list.");
  EXPECT_EQ(host.messages[0].title, "Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
  EXPECT_TRUE(ReleaseFiles().empty()) << ::testing::PrintToString(ReleaseFiles());
  EXPECT_EQ(form->CurrentStep, kFinalStep);
  EXPECT_FALSE(form->cmdNext.enabled);
  EXPECT_TRUE(form->cmdFinish.enabled);
  EXPECT_FALSE(host.ended);
  EXPECT_FALSE(fs::exists(ProjectFile("OcxFiles.txt")));
}

// The builder on its own, from answers made without the wizard: a developer who does not
// want the published files replaced stops the build before anything is touched, and gets
// the ActiveX address back with its final "/".
TEST_F(ReleasePipelineTest, ADeclinedReplacementStopsTheBuildBeforeItsWork) {
  ReleaseAnswers answers;
  answers.ProgramFriendlyName = "Acme Paint";
  answers.ActiveXUrl = "http://www.acme.example/ActiveX";
  answers.PackageCodePage = 1252;
  answers.ProjectFilesDirectory = WithTrailingSeparator(scratch / "ProjectFiles");
  answers.ReleaseDirectory = WithTrailingSeparator(scratch / "Release");
  answers.ReleaseActiveXDirectory = WithTrailingSeparator(scratch / "ReleaseActiveX");
  WriteFileBytes(answers.ReleaseDirectory + "old.htm", "old");
  fs::create_directories(answers.ReleaseActiveXDirectory);
  release_host.answers = {false};
  const ReleaseResult result = pipeline.Build(answers, release_host);
  EXPECT_EQ(result.outcome, ReleaseOutcome::Stopped);
  EXPECT_EQ(result.fields.ActiveXUrl, "http://www.acme.example/ActiveX/");
  EXPECT_EQ(release_host.messages.size(), 1u);
  EXPECT_EQ(release_host.work_started, 0);
  EXPECT_EQ(ReadFileBytes(answers.ReleaseDirectory + "old.htm"), "old");
}

TEST_F(ReleasePipelineTest, AReleaseDirectoryThatCannotBeMadeStopsBeforeBuilding) {
  GoToFinalStep();
  fs::create_directories(form->ProjectDirectory);
  WriteFileBytes(form->ProjectDirectory + "ReleaseActiveX", "a file where the directory belongs");
  EXPECT_FALSE(Finish());
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Error. Cannot create project directory: " + form->ReleaseActiveXDirectory});
  EXPECT_EQ(form->CurrentStep, kFinalStep);
}

TEST(SetupCabinetPartsTest, SplitRule) {
  EXPECT_EQ(SetupCabinetParts(50'000, true), 0);
  EXPECT_EQ(SetupCabinetParts(50'001, true), 2);
  EXPECT_EQ(SetupCabinetParts(30'000'000, true), 1000);
  EXPECT_EQ(SetupCabinetParts(90'000'000, true), 1000);
  EXPECT_EQ(SetupCabinetParts(90'000'000, false), 0);
}

TEST(ProgramGroupTree2StringTest, NestedGroupsAndTheRootsOwnLinkedChild) {
  const std::vector<ProgramGroupEntry> tree{
      {"Acme Paint", "", -1}, {"Help", "Docs\\Help.hlp", 0}, {"Tools", "", 0}, {"Run", "Run.exe", 2}};
  EXPECT_EQ(ProgramGroupTree2String(tree),
            "SetProductProgramGroup  \"<ProgramsGroup>\\Acme Paint\"\r\n"
            "CreateProgramGroup \"<ProductProgramGroup>\", \"Help\", \"<ProductDirectory>\\Docs\\Help.hlp\"\r\n"
            "CreateProgramGroup \"<ProductProgramGroup>\\Tools\", \"Run\", \"<ProductDirectory>\\Run.exe\"\r\n");
}

TEST_F(ReleasePipelineTest, ProgressEventsLogEachFileOnceAndCancelEndsTheWait) {
  pipeline.Attach(ReleaseAnswers{}, release_host);
  pipeline.VexaCB1_MakeCabProgress("C:\\P\\Program.cab", "C:\\Prog\\A.exe");
  pipeline.VexaCB1_MakeCabProgress("C:\\P\\Program.cab", "C:\\Prog\\A.exe");
  pipeline.VexaCB1_MakeCabProgress("C:\\P\\Program.cab", "");
  pipeline.VexaCB1_MakeCabProgress("C:\\P\\Program.cab", "C:\\Prog\\B.dll");
  EXPECT_EQ(release_host.progress, "Adding A.exe into Program.cab\r\nAdding B.dll into Program.cab\r\n");
  // The Working panel's Cancel: the wizard's flag cleared, the builder's result set.
  form->KeepWorking = true;
  form->cmdCancelWork_Click();
  EXPECT_FALSE(form->KeepWorking);
  EXPECT_EQ(pipeline.CabResult, "Error. Cab creation cancelled by user.");
  release_host.keep_working = true;
  pipeline.VexaCB1_MakeCabError("C:\\P\\Program.cab");
  EXPECT_EQ(pipeline.CabResult, "Error. Cannot create cab file: C:\\P\\Program.cab");
  EXPECT_FALSE(release_host.keep_working);
}

// A setup cabinet cut into the most parts leaves over a thousand files in Release; each
// rebuild must empty that directory whole, and none may fail for the count alone.
TEST_F(ReleasePipelineTest, ReleaseOfOverAThousandFilesIsRebuiltEveryTime) {
  WriteFileBytes(program_directory + "Data/Noise.bin", NoiseBytes(25'100'000, 11));
  for (int build = 1; build <= 3; ++build) {
    SCOPED_TRACE("build " + std::to_string(build));
    form = std::make_unique<Form1>(host, &pipeline);
    host.messages.clear();
    host.modal_windows.clear();
    GoToFinalStep();
    ASSERT_EQ(form->chkCreateMultiProgramCabs.value, 1);
    ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
    const std::vector<std::string> files = ReleaseFiles();
    // Release: 1,000 parts, their list, the page, the script cabinet, the stand-alone
    // program; ReleaseActiveX: the loader and its cabinet.
    EXPECT_EQ(files.size(), 1006u);
    EXPECT_TRUE(std::binary_search(files.begin(), files.end(), "Prog1_part1000.bin"))
        << ::testing::PrintToString(std::vector<std::string>(files.begin(), files.begin() + 8));
  }
}
