#include "release_builder.h"
#include "wizard_fixture.h"

namespace {

const std::string kCharactersMessage =
    "The Program Friendly Name cannot contain any of the following characters: \r\n\\ / : * ? \" < > |";

}  // namespace

class StepOneTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    ChooseProgramDirectory({"mybird.exe"}, {true});
    form->cmdNext_Click();
    ASSERT_EQ(form->CurrentStep, 1);
    ASSERT_TRUE(form->cmdNext.enabled);
    FillStep1();
  }

  void ExpectRefused(const std::string& message, const Control& focus) {
    form->cmdNext_Click();
    EXPECT_EQ(form->CurrentStep, 1);
    EXPECT_TRUE(form->fraStep[1].visible);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, message);
    EXPECT_EQ(host.messages[0].title, "Wizard");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(form->Focus, &focus) << (form->Focus ? form->Focus->name : "no focus");
    host.messages.clear();
  }
};

TEST_F(StepOneTest, ColonInTheFriendlyNameBlocksBeforeAnyUrlCheck) {
  form->txtProgramFriendlyName.text = "My: Bird";
  form->txtWebSiteURL.text = "";
  form->txtActiveXUrl.text = "";
  ExpectRefused(kCharactersMessage, form->txtProgramFriendlyName);
  EXPECT_EQ(form->txtProgramFriendlyName.text, "My: Bird");
}

TEST_F(StepOneTest, EmptyFieldsAreReportedInTheirOrderAfterTrimming) {
  form->txtWebSiteURL.text = "   ";
  form->txtPublicationURL.text = "";
  form->txtActiveXUrl.text = " ";
  form->txtProgramFriendlyName.text = "  ";
  ExpectRefused("Before advancing to the next step, you must type the base URL address of your web site. If you are "
                "only experimenting locally, you can type: http://www.mycompany.example/",
                form->txtWebSiteURL);
  EXPECT_EQ(form->txtWebSiteURL.text, "");
  form->txtWebSiteURL.text = "http://site.example";
  ExpectRefused("Before advancing to the next step, you must type the URL address where the resultant Web Setup "
                "program will be stored. If you are only experimenting locally, you can type: "
                "http://www.mycompany.example/MyWebSetup/",
                form->txtPublicationURL);
  form->txtPublicationURL.text = "http://site.example/pub";
  ExpectRefused("Before advancing to the next step, you must type the URL address on your web site where ActiveX "
                "files and DLL files are stored. If you are only experimenting locally, you can type: "
                "http://www.mycompany.example/ActiveX/",
                form->txtActiveXUrl);
  form->txtActiveXUrl.text = "http://site.example/ax/";
  ExpectRefused("Before advancing to the next step, you must type the program friendly name.",
                form->txtProgramFriendlyName);
  // Nothing was changed by the refused clicks but the trimming: no "/" yet.
  EXPECT_EQ(form->txtWebSiteURL.text, "http://site.example");
  form->txtProgramFriendlyName.text = "Bird";
  form->txtCompanyName.text = "  ";
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 2);
  EXPECT_EQ(form->txtCompanyName.text, "");
}

TEST_F(StepOneTest, UrlsGainOneSlashAndOnlyOne) {
  form->txtWebSiteURL.text = " http://site.example ";
  form->txtPublicationURL.text = "http://site.example/pub/";
  form->txtActiveXUrl.text = "http://site.example/ax";
  form->cmdNext_Click();
  ASSERT_EQ(form->CurrentStep, 2);
  EXPECT_EQ(form->txtWebSiteURL.text, "http://site.example/");
  EXPECT_EQ(form->txtPublicationURL.text, "http://site.example/pub/");
  EXPECT_EQ(form->txtActiveXUrl.text, "http://site.example/ax/");
  form->cmdBack_Click();
  form->cmdNext_Click();
  EXPECT_EQ(form->txtWebSiteURL.text, "http://site.example/");
}

// The three addresses end up in the scripts the end user's loader follows: anything but an
// absolute http or https address naming a server is refused on leaving step 1, in the
// order the fields are checked, and the field is left as typed (trimmed).
TEST_F(StepOneTest, AddressesMustBeAbsoluteWebAddressesWithAHost) {
  const std::string web_site = "The base URL address of your web site must be a complete address beginning with "
                               "http:// or https:// and naming the web server, for example: "
                               "http://www.mycompany.example/";
  const std::string publication = "The URL address where the resultant Web Setup program will be stored must be a "
                                  "complete address beginning with http:// or https:// and naming the web server, "
                                  "for example: http://www.mycompany.example/MyWebSetup/";
  const std::string activex = "The URL address on your web site where ActiveX files and DLL files are stored must "
                              "be a complete address beginning with http:// or https:// and naming the web server, "
                              "for example: http://www.mycompany.example/ActiveX/";
  for (const char* bad : {"127.0.0.1:53451/x", "ftp://files.example/x/", "not a url", "http://", "https:///x/",
                          "http:/site.example/", "http://:80/x/", "http://site.example:99999/", "http://user@site.example/",
                          "http://site example/", "http://site.example/a\"b/", "http://site.example/?q=1",
                          "file:///tmp/x/", "//site.example/x/", "http://site.example:-1/", "http://site.example:+80/"}) {
    SCOPED_TRACE(bad);
    form->txtWebSiteURL.text = bad;
    ExpectRefused(web_site, form->txtWebSiteURL);
    EXPECT_EQ(form->txtWebSiteURL.text, TrimBlanks(bad));
  }
  form->txtWebSiteURL.text = "HTTPS://Site.Example:8443";
  form->txtPublicationURL.text = "http://";
  ExpectRefused(publication, form->txtPublicationURL);
  form->txtPublicationURL.text = "http://[2001:db8::1]:8080/pub";
  form->txtActiveXUrl.text = "ftp://site.example/ax/";
  ExpectRefused(activex, form->txtActiveXUrl);
  form->txtActiveXUrl.text = "http://10.0.0.7/ax";
  form->cmdNext_Click();
  ASSERT_EQ(form->CurrentStep, 2) << (host.messages.empty() ? "" : host.messages[0].text);
  EXPECT_EQ(form->txtWebSiteURL.text, "HTTPS://Site.Example:8443/");
  EXPECT_EQ(form->txtPublicationURL.text, "http://[2001:db8::1]:8080/pub/");
  EXPECT_EQ(form->txtActiveXUrl.text, "http://10.0.0.7/ax/");
}

TEST_F(StepOneTest, BackToStepOneAndNextValidatesAgain) {
  form->cmdNext_Click();
  ASSERT_EQ(form->CurrentStep, 2);
  form->cmdBack_Click();
  ASSERT_EQ(form->CurrentStep, 1);
  EXPECT_TRUE(host.messages.empty());
  form->txtProgramFriendlyName.text = " Bird|Two ";
  ExpectRefused(kCharactersMessage, form->txtProgramFriendlyName);
  EXPECT_EQ(form->txtProgramFriendlyName.text, "Bird|Two");
}

TEST_F(WizardTest, CaptionsFollowTheSignedNumberRule) {
  GoToStep(5);
  EXPECT_EQ(form->Caption, "Corvanta Netloom Wizard - Step  5");
  form->cmdNext_Click();
  EXPECT_EQ(form->Caption, "Corvanta Netloom Wizard - Final Step");
  form->cmdBack_Click();
  EXPECT_EQ(form->Caption, "Corvanta Netloom Wizard - Step  5");
  form->cmdNext_Click();
  // The release builder's Working panel, and back from it after a failed build.
  form->fraStep[6].visible = false;
  form->CurrentStep = kWorkingStep;
  form->fraStep[7].visible = true;
  form->cmdBack_Click();
  EXPECT_EQ(form->CurrentStep, 6);
  EXPECT_EQ(form->Caption, "Corvanta Netloom Wizard - Step  6");
  EXPECT_TRUE(form->fraStep[6].visible);
  EXPECT_FALSE(form->fraStep[7].visible);
  EXPECT_TRUE(form->cmdFinish.enabled);
  while (form->CurrentStep > 0) form->cmdBack_Click();
  EXPECT_EQ(form->Caption, "Corvanta Netloom Wizard - Introduction");
  EXPECT_FALSE(form->cmdBack.enabled);
}

TEST_F(WizardTest, NextAndBackSetButtonsPanelsAndLogo) {
  GoToStep(2);
  EXPECT_TRUE(form->fraStep[2].visible);
  EXPECT_FALSE(form->fraStep[1].visible);
  EXPECT_FALSE(form->picLogo.visible);
  EXPECT_TRUE(form->cmdBack.enabled);
  EXPECT_TRUE(form->cmdNext.enabled);
  EXPECT_FALSE(form->lblStep2Note.visible);
  form->cmdBack_Click();
  form->cmdBack_Click();
  EXPECT_TRUE(form->picLogo.visible);
  EXPECT_FALSE(form->cmdFinish.enabled);
}

TEST_F(WizardTest, StepTwoWithoutTicksKeepsNextDisabled) {
  ChooseProgramDirectory({"a.exe", "b.dll"}, {false, false});
  FillStep1();
  form->cmdNext_Click();
  form->cmdNext_Click();
  ASSERT_EQ(form->CurrentStep, 2);
  EXPECT_FALSE(form->cmdNext.enabled);
  EXPECT_TRUE(form->lblStep2Note.visible);
}

TEST_F(WizardTest, StepOneNeedsAChosenDirectory) {
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 1);
  EXPECT_FALSE(form->cmdNext.enabled);
}

// Enter goes on from the screens where going on is the usual answer; the tree of step 4
// takes the keys.
TEST_F(WizardTest, TheFocusStartsOnTheButtonThatGoesOn) {
  EXPECT_EQ(form->Focus, &form->cmdNext);
  form->cmdNext_Click();
  EXPECT_EQ(form->Focus, &form->cmdSelectDirectory);  // Next waits for a directory
  form->cmdBack_Click();
  ChooseProgramDirectory({"mybird.exe"}, {true});
  FillStep1();
  form->cmdNext_Click();
  EXPECT_EQ(form->Focus, &form->cmdNext);
  GoToStep(4);
  EXPECT_EQ(form->Focus, &form->TreeView1);
  GoToStep(kFinalStep);
  EXPECT_EQ(form->Focus, &form->cmdFinish);  // Next is disabled on the last step
}

TEST_F(WizardTest, StepThreeRebuildsTheRunFileListEachTime) {
  ChooseProgramDirectory({"mybird.exe", "help.hlp", "tool.exe"}, {true, false, true});
  FillStep1();
  form->txtExeFilename.text = "tool.exe";
  for (int i = 0; i < 3; ++i) form->cmdNext_Click();
  ASSERT_EQ(form->CurrentStep, 3);
  EXPECT_EQ(form->List3.lines, (std::vector<std::string>{"<none>", "mybird.exe", "tool.exe"}));
  EXPECT_EQ(form->List3.list_index, 2);
  EXPECT_TRUE(form->cmdNext.enabled);
  form->cmdBack_Click();
  form->List1.checked = {true, true, false};
  form->cmdNext_Click();
  EXPECT_EQ(form->List3.lines, (std::vector<std::string>{"<none>", "mybird.exe", "help.hlp"}));
  EXPECT_EQ(form->List3.list_index, 0);
}

// The run file is always the line chosen in List3: the field cannot be typed into, and a
// remembered name that is no longer a ticked file shows (and builds) as "<none>".
TEST_F(WizardTest, StepThreeRunFileIsOnlyEverTheChosenLine) {
  EXPECT_TRUE(form->txtExeFilename.read_only);
  ChooseProgramDirectory({"mybird.exe", "tool.exe"}, {true, false});
  FillStep1();
  form->txtExeFilename.text = "http://evil.example/run.exe";
  for (int i = 0; i < 3; ++i) form->cmdNext_Click();
  ASSERT_EQ(form->CurrentStep, 3);
  EXPECT_EQ(form->List3.list_index, 0);
  EXPECT_EQ(form->txtExeFilename.text, "<none>");
  EXPECT_FALSE(form->txtExeParas.enabled);
  form->cmdBack_Click();
  form->txtExeFilename.text = "tool.exe";  // remembered, but no longer ticked
  form->cmdNext_Click();
  EXPECT_EQ(form->txtExeFilename.text, "<none>");
  form->List3.list_index = 1;
  form->List3_Click();
  EXPECT_EQ(form->txtExeFilename.text, "mybird.exe");
  EXPECT_TRUE(form->txtExeParas.enabled);
}

TEST_F(WizardTest, StepFourRenamesOnlyALoneDefaultRoot) {
  GoToStep(4);
  ASSERT_EQ(form->ProgramGroup.nodes.size(), 1u);
  EXPECT_EQ(form->ProgramGroup.nodes[0].text, "MyCompany My Bird");
  EXPECT_EQ(form->ProgramGroup.nodes[0].key, "My Program");
  EXPECT_EQ(form->lstLinkTo.lines, (std::vector<std::string>{"mybird.exe", "readme.txt"}));
  EXPECT_TRUE(form->cmdNext.enabled);

  form->cmdBack_Click();
  form->ProgramGroup.nodes[0].text = "Birds";
  form->cmdNext_Click();
  EXPECT_EQ(form->ProgramGroup.nodes[0].text, "Birds");

  form->cmdBack_Click();
  form->ProgramGroup.nodes[0].text = kDefaultRootText;
  form->ProgramGroup.nodes.push_back({"Untitled1", "Tools", "", kGroupImage, 0, false});
  form->cmdNext_Click();
  EXPECT_EQ(form->ProgramGroup.nodes[0].text, kDefaultRootText);
  EXPECT_EQ(form->lstLinkTo.ListCount(), 2);
}

TEST_F(WizardTest, StepFiveKeepsTheLoaderControlOnLineZero) {
  const std::string loader = UpperAscii(WithTrailingSeparator(wizard_directory) + "VexaLoad.ocx");
  GoToStep(5);
  EXPECT_EQ(form->lstOCX.lines, std::vector<std::string>{loader});
  EXPECT_EQ(form->lstOCX.list_index, 0);
  EXPECT_FALSE(form->cmdRemoveOCX.enabled);
  EXPECT_FALSE(form->cmdRemoveDLL.enabled);
  EXPECT_TRUE(form->cmdNext.enabled);

  form->cmdBack_Click();
  form->lstOCX.lines = {"c:\\old\\vexaload.ocx", "c:\\x\\a.ocx"};
  form->lstOCX.list_index = 1;
  form->lstDLL.lines = {"c:\\x\\b.dll"};
  form->lstDLL.list_index = -1;
  form->cmdNext_Click();
  EXPECT_EQ(form->lstOCX.lines, (std::vector<std::string>{loader, "c:\\x\\a.ocx"}));
  EXPECT_TRUE(form->cmdRemoveOCX.enabled);
  EXPECT_EQ(form->lstDLL.list_index, 0);
  EXPECT_TRUE(form->cmdRemoveDLL.enabled);
}

TEST_F(WizardTest, StepSixFillsDefaultsOnlyIntoEmptyFields) {
  GoToStep(6);
  EXPECT_EQ(form->txtHtmlTitle.text, "MyCompany My Bird Web Setup Page");
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "MyBird.htm");
  EXPECT_EQ(form->txtStandAloneExeFilenameNoPath.text, "MyBirdWebSetup.exe");
  EXPECT_FALSE(form->cmdNext.enabled);
  EXPECT_TRUE(form->cmdFinish.enabled);

  form->cmdBack_Click();
  EXPECT_FALSE(form->cmdFinish.enabled);
  form->txtHtmlTitle.text = "My own title";
  form->txtHtmlFilenameNoPath.text = "page.htm";
  form->txtStandAloneExeFilenameNoPath.text = "   ";
  form->cmdNext_Click();
  EXPECT_EQ(form->txtHtmlTitle.text, "My own title");
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "page.htm");
  EXPECT_EQ(form->txtStandAloneExeFilenameNoPath.text, "MyBirdWebSetup.exe");
}

TEST_F(WizardTest, ProgramDirectoryNameWithADotLosesItsExtensionOnlyInThePageName) {
  program_directory = WithTrailingSeparator(scratch / "My Bird v2.0");
  GoToStep(6);
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "MyBirdv2.htm");
  EXPECT_EQ(form->txtStandAloneExeFilenameNoPath.text, "MyBirdv2.0WebSetup.exe");
}

// The names become URLs and file names on the end user's PC: a directory named with other
// characters gives names of the letters, digits, "-", "_" and "." it holds, or a fixed one.
TEST_F(WizardTest, DefaultNamesKeepOnlyCharactersEveryUrlAndFileSystemTakes) {
  program_directory = WithTrailingSeparator(scratch / "Caf\xC3\xA9 \xC3\x9C" "ber");
  GoToStep(6);
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "Cafber.htm");
  EXPECT_EQ(form->txtStandAloneExeFilenameNoPath.text, "CafberWebSetup.exe");

  form = std::make_unique<Form1>(host);
  form->Form_Load();
  program_directory = WithTrailingSeparator(scratch / "Jeux \xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAE");
  GoToStep(6);
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "Jeux.htm");
  form = std::make_unique<Form1>(host);
  form->Form_Load();
  program_directory = WithTrailingSeparator(scratch / "\xE6\x97\xA5\xE6\x9C\xAC (#1)");
  GoToStep(6);
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "1.htm");
  form = std::make_unique<Form1>(host);
  form->Form_Load();
  program_directory = WithTrailingSeparator(scratch / "\xE6\x97\xA5\xE6\x9C\xAC");
  GoToStep(6);
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "WebSetup.htm");
  EXPECT_EQ(form->txtStandAloneExeFilenameNoPath.text, "WebSetup.exe");
}

TEST_F(WizardTest, FinishIsEnabledOnStepSixExactlyWhileThePageNameIsNotBlank) {
  GoToStep(6);
  form->SetText(form->txtHtmlFilenameNoPath, "  ");
  EXPECT_FALSE(form->cmdFinish.enabled);
  form->SetText(form->txtHtmlFilenameNoPath, " a.htm");
  EXPECT_TRUE(form->cmdFinish.enabled);
  form->cmdBack_Click();
  form->SetText(form->txtHtmlFilenameNoPath, "");
  EXPECT_FALSE(form->cmdFinish.enabled);
}

namespace {

class RecordingBuilder : public ReleaseBuilder {
 public:
  ReleaseResult Build(const ReleaseAnswers& given, ReleaseHost&) override {
    answers.push_back(given);
    return {ReleaseOutcome::Stopped, {given.ActiveXUrl, given.ExeParas, given.SignCodeCommands}};
  }
  std::vector<ReleaseAnswers> answers;
};

}  // namespace

// The builder gets the answers as plain data, and only once the two release names pass.
TEST_F(WizardTest, FinishHandsTheAnswersToTheReleaseBuilder) {
  RecordingBuilder builder;
  form = std::make_unique<Form1>(host, &builder);
  form->Form_Load();
  GoToStep(6);
  form->ProgramGroup.AddChild(0, "Untitled1", "Bird");
  form->ProgramGroup.nodes[1].tag = "mybird.exe";
  form->SetText(form->txtStandAloneExeFilenameNoPath, "My Bird.exe");
  form->cmdFinish_Click();
  EXPECT_TRUE(builder.answers.empty());
  ASSERT_EQ(host.messages.size(), 1u);

  form->SetText(form->txtStandAloneExeFilenameNoPath, " MyBird.exe ");
  form->cmdFinish_Click();
  ASSERT_EQ(builder.answers.size(), 1u);
  const ReleaseAnswers& answers = builder.answers[0];
  EXPECT_EQ(answers.StandAloneExeFilenameNoPath, "MyBird.exe");  // as the check trimmed it
  ASSERT_EQ(answers.ProgramFiles.size(), 2u);
  EXPECT_EQ(answers.ProgramFiles[0].line, "mybird.exe");
  EXPECT_EQ(answers.ProgramFiles[0].source, program_directory + "mybird.exe");
  ASSERT_EQ(answers.ProgramGroup.size(), 2u);
  EXPECT_EQ(answers.ProgramGroup[1].text, "Bird");
  EXPECT_EQ(answers.ProgramGroup[1].link, "mybird.exe");
  EXPECT_EQ(answers.ProgramGroup[1].parent, 0);
  // Step 1's examples are not the developer's company and web site.
  EXPECT_EQ(answers.CompanyName, "");
  EXPECT_EQ(answers.WebSiteURL, "");
  EXPECT_EQ(answers.ActiveXUrl, "http://www.mycompany.example/ActiveX/");
  EXPECT_EQ(answers.OcxFiles, form->lstOCX.lines);
  EXPECT_EQ(answers.WizardVersion, "1.2");
  EXPECT_EQ(answers.ReleaseDirectory, form->ReleaseDirectory);
  EXPECT_TRUE(PathExists(form->ReleaseActiveXDirectory));
  // A build that stopped before its work leaves the wizard where it was.
  EXPECT_EQ(form->CurrentStep, kFinalStep);
  EXPECT_FALSE(form->Ended);
}

TEST_F(WizardTest, WithoutABuilderFinishDoesNothing) {
  GoToStep(6);
  form->cmdFinish_Click();
  EXPECT_EQ(form->CurrentStep, 6);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(PathExists(form->ProjectDirectory));
}
