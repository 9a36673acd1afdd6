#include "text_files.h"
#include "wizard_fixture.h"

namespace {

// Every field set to a value of its own, as a finished project would have it.
void FillEveryField(Form1& form) {
  form.txtProgramFriendlyName.text = "MyCompany My Bird";
  form.txtCompanyName.text = "MyCompany";
  form.txtWebSiteURL.text = "http://www.mycompany.example/";
  form.txtActiveXUrl.text = "http://www.mycompany.example/ActiveX/";
  form.txtPublicationURL.text = "http://www.mycompany.example/MyBird/";
  form.txtExeFilename.text = "mybird.exe";
  form.txtExeParas.text = "\"/fly\",\"high\"";
  form.lstOCX.lines = {"C:\\WIZARD\\VEXALOAD.OCX", "c:\\x\\map.ocx"};
  form.lstDLL.lines = {"c:\\x\\helper.dll"};
  form.txtHtmlFilenameNoPath.text = "MyBird.htm";
  form.txtHtmlTitle.text = "Birds \xE9t\xE9";
  form.chkCreateMultiProgramCabs.value = 0;
  form.txtSignCodeCommands.text = "sign.exe -prog %1\r\nsign.exe -name %2";
  form.txtStandAloneExeFilenameNoPath.text = "MyBirdWebSetup.exe";
  form.ProgramGroup.nodes = {{"My Program", "MyCompany MyBird", "", kGroupImage, -1, true},
                             {"Untitled1", "Tools", "", kGroupImage, 0, false},
                             {"Untitled2", "Bird", "mybird.exe", kShortcutImage, 1, false}};
}

}  // namespace

class ProjectSettingsTest : public WizardTest {
 protected:
  std::string ProjectFile(const std::string& name) { return form->ProjectFilesDirectory + name; }
  std::string WizardFile(const std::string& name) { return form->WizardDirectory + name; }

  void SaveProject() {
    ChooseProgramDirectory({"mybird.exe", "readme.txt", "sub\\data.bin"}, {true, false, true});
    FillEveryField(*form);
    std::filesystem::create_directories(form->ProjectFilesDirectory);
    form->SaveStepSettingsToProjectDirectory();
  }

  // A new window over the same directories, as the next run of the wizard.
  void Reopen() {
    host = ScriptedHost();
    host.program_directory = wizard_directory;
    form = std::make_unique<Form1>(host);
    form->Form_Load();
    form->SetProjectPaths(program_directory);
    form->LoadStepSettingsFromProjectDirectory();
  }
};

TEST_F(ProjectSettingsTest, ProjectPathsLieBelowTheProgramDirectory) {
  form->SetProjectPaths(program_directory);
  const std::string s(1, kDirectorySeparator);
  EXPECT_EQ(form->ProjectDirectory, program_directory + "VexaWizardNetloomProject" + s);
  EXPECT_EQ(form->ProjectFilesDirectory, form->ProjectDirectory + "ProjectFiles" + s);
  EXPECT_EQ(form->ReleaseDirectory, form->ProjectDirectory + "Release" + s);
  EXPECT_EQ(form->ReleaseActiveXDirectory, form->ProjectDirectory + "ReleaseActiveX" + s);
}

TEST_F(ProjectSettingsTest, FilesHoldTheThreeFormatsExactly) {
  SaveProject();
  EXPECT_EQ(ReadTextFile(ProjectFile("ProgramFriendlyName.txt")), "MyCompany My Bird");
  EXPECT_EQ(ReadTextFile(ProjectFile("ProgramFiles.txt")), "mybird.exe\r\nsub\\data.bin\r\n");
  EXPECT_EQ(ReadTextFile(ProjectFile("OcxFiles.txt")), "C:\\WIZARD\\VEXALOAD.OCX\r\nc:\\x\\map.ocx\r\n");
  EXPECT_EQ(ReadTextFile(ProjectFile("CreateMultiProgramCabs.txt")), " 0");
  EXPECT_EQ(ReadTextFile(ProjectFile("SignCodeCommands.txt")), "sign.exe -prog %1\r\nsign.exe -name %2");
  EXPECT_EQ(ReadTextFile(ProjectFile("ProgramGroup.txt")),
            "My Program\r\nMyCompany MyBird\r\n\r\nMy Program\r\nUntitled1\r\nTools\r\n\r\n"
            "Untitled1\r\nUntitled2\r\nBird\r\nmybird.exe\r\n");
  form->lstDLL.lines.clear();
  form->chkCreateMultiProgramCabs.value = 1;
  form->SaveStepSettingsToProjectDirectory();
  EXPECT_EQ(ReadTextFile(ProjectFile("DllFiles.txt")), "");
  EXPECT_TRUE(PathExists(ProjectFile("DllFiles.txt")));
  EXPECT_EQ(ReadTextFile(ProjectFile("CreateMultiProgramCabs.txt")), " 1");
  // The remembered defaults of the wizard's own directory.
  EXPECT_EQ(ReadTextFile(WizardFile("CompanyName.txt")), "MyCompany");
  EXPECT_EQ(ReadTextFile(WizardFile("WebSiteURL.txt")), "http://www.mycompany.example/");
  EXPECT_EQ(ReadTextFile(WizardFile("ActiveXUrl.txt")), "http://www.mycompany.example/ActiveX/");
  EXPECT_EQ(ReadTextFile(WizardFile("SignCodeCommands.txt")), "sign.exe -prog %1\r\nsign.exe -name %2");
  EXPECT_FALSE(PathExists(WizardFile("ProgramFriendlyName.txt")));
}

TEST_F(ProjectSettingsTest, SaveAndLoadGiveBackEveryField) {
  SaveProject();
  const ProjectSettings saved = form->CurrentProjectSettings();
  Reopen();
  const ProjectSettings loaded = form->CurrentProjectSettings();
  EXPECT_EQ(loaded.ProgramFriendlyName, saved.ProgramFriendlyName);
  EXPECT_EQ(loaded.CompanyName, saved.CompanyName);
  EXPECT_EQ(loaded.WebSiteURL, saved.WebSiteURL);
  EXPECT_EQ(loaded.ActiveXUrl, saved.ActiveXUrl);
  EXPECT_EQ(loaded.PublicationURL, saved.PublicationURL);
  EXPECT_EQ(loaded.ExeFilename, saved.ExeFilename);
  EXPECT_EQ(loaded.ExeParas, saved.ExeParas);
  EXPECT_EQ(loaded.OcxFiles, saved.OcxFiles);
  EXPECT_EQ(loaded.DllFiles, saved.DllFiles);
  EXPECT_EQ(loaded.HtmlFilenameNoPath, saved.HtmlFilenameNoPath);
  EXPECT_EQ(loaded.HtmlTitle, saved.HtmlTitle);
  EXPECT_EQ(loaded.CreateMultiProgramCabs, 0);
  EXPECT_EQ(loaded.SignCodeCommands, "sign.exe -prog %1\r\nsign.exe -name %2");
  EXPECT_EQ(loaded.StandAloneExeFilenameNoPath, saved.StandAloneExeFilenameNoPath);
  ASSERT_EQ(loaded.ProgramGroup.nodes.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded.ProgramGroup.nodes[i].key, saved.ProgramGroup.nodes[i].key);
    EXPECT_EQ(loaded.ProgramGroup.nodes[i].text, saved.ProgramGroup.nodes[i].text);
    EXPECT_EQ(loaded.ProgramGroup.nodes[i].tag, saved.ProgramGroup.nodes[i].tag);
    EXPECT_EQ(loaded.ProgramGroup.nodes[i].image, saved.ProgramGroup.nodes[i].image);
    EXPECT_EQ(loaded.ProgramGroup.nodes[i].parent, saved.ProgramGroup.nodes[i].parent);
  }
  EXPECT_EQ(form->UntitledCounter, 2);
  EXPECT_EQ(form->lstOCX.list_index, 0);
  EXPECT_EQ(form->lstDLL.list_index, 0);
  std::vector<std::string> ticked;
  ReadTextFileLines(ProjectFile("ProgramFiles.txt"), ticked);
  EXPECT_EQ(ticked, (std::vector<std::string>{"mybird.exe", "sub\\data.bin"}));
}

TEST_F(ProjectSettingsTest, ANewProjectTakesTheRememberedDefaults) {
  SaveProject();
  program_directory = WithTrailingSeparator(scratch / "Other Program");
  Reopen();
  EXPECT_EQ(form->txtCompanyName.text, "MyCompany");
  EXPECT_EQ(form->txtWebSiteURL.text, "http://www.mycompany.example/");
  EXPECT_EQ(form->txtActiveXUrl.text, "http://www.mycompany.example/ActiveX/");
  EXPECT_EQ(form->txtSignCodeCommands.text, "sign.exe -prog %1\r\nsign.exe -name %2");
  EXPECT_EQ(form->txtProgramFriendlyName.text, "");
  EXPECT_EQ(form->txtPublicationURL.text, "");
  EXPECT_EQ(form->chkCreateMultiProgramCabs.value, 1);
  EXPECT_TRUE(form->lstOCX.lines.empty());
  EXPECT_EQ(form->lstOCX.list_index, -1);
  ASSERT_EQ(form->ProgramGroup.nodes.size(), 1u);
  EXPECT_EQ(form->ProgramGroup.nodes[0].text, "My Program");
}

TEST_F(ProjectSettingsTest, ABlankProjectFieldFallsBackToTheRememberedOne) {
  SaveProject();
  ASSERT_TRUE(WriteTextFile("   ", ProjectFile("CompanyName.txt")));
  ASSERT_TRUE(WriteTextFile("", ProjectFile("WebSiteURL.txt")));
  ASSERT_TRUE(WriteTextFile("  ", ProjectFile("PublicationURL.txt")));
  ASSERT_TRUE(WriteTextFile("Other Company", WizardFile("CompanyName.txt")));
  Reopen();
  EXPECT_EQ(form->txtCompanyName.text, "Other Company");
  EXPECT_EQ(form->txtWebSiteURL.text, "http://www.mycompany.example/");
  // No remembered default for the publication address: the blanks stay as read.
  EXPECT_EQ(form->txtPublicationURL.text, "  ");
}

TEST_F(ProjectSettingsTest, CheckBoxNumberRules) {
  SaveProject();
  const std::string file = ProjectFile("CreateMultiProgramCabs.txt");
  for (const auto& [text, expected] : std::vector<std::pair<std::string, int>>{
           {" 0", 0}, {" 1", 1}, {"5", 1}, {"  -2", 1}, {"yes", 0}, {"", 0}, {"0.5", 1}, {"000", 0},
           {std::string(5000, '9'), 1}}) {
    ASSERT_TRUE(WriteTextFile(text, file));
    form->LoadStepSettingsFromProjectDirectory();
    EXPECT_EQ(form->chkCreateMultiProgramCabs.value, expected) << "'" << text << "'";
  }
  std::filesystem::remove(file);
  form->chkCreateMultiProgramCabs.value = 0;
  form->LoadStepSettingsFromProjectDirectory();
  EXPECT_EQ(form->chkCreateMultiProgramCabs.value, 1);
}

// "Sign every program" is off unless the project's file says otherwise: a project made
// before the setting existed keeps signing only the script cabinet.
TEST_F(ProjectSettingsTest, SignEveryProgramIsOffUnlessSaved) {
  SaveProject();
  const std::string file = ProjectFile("SignEveryProgram.txt");
  EXPECT_EQ(ReadTextFile(file), " 0");
  form->chkSignEveryProgram.value = 1;
  form->SaveStepSettingsToProjectDirectory();
  EXPECT_EQ(ReadTextFile(file), " 1");
  form->chkSignEveryProgram.value = 0;
  form->LoadStepSettingsFromProjectDirectory();
  EXPECT_EQ(form->chkSignEveryProgram.value, 1);
  std::filesystem::remove(file);
  form->LoadStepSettingsFromProjectDirectory();
  EXPECT_EQ(form->chkSignEveryProgram.value, 0);
}

TEST_F(ProjectSettingsTest, HostileFilesLoadWithinTheirBounds) {
  SaveProject();
  ASSERT_TRUE(WriteTextFile(std::string(8u << 20, 'x'), ProjectFile("HtmlTitle.txt")));
  ASSERT_TRUE(WriteTextFile(std::string("bi\0rd", 5), ProjectFile("ProgramFriendlyName.txt")));
  ASSERT_TRUE(WriteTextFile("one\rtwo", ProjectFile("ExeParas.txt")));
  std::string many;
  for (int i = 0; i < 100'000; ++i) many += "c:\\x\\f" + std::to_string(i) + ".dll\r\n";
  ASSERT_TRUE(WriteTextFile(many, ProjectFile("DllFiles.txt")));
  Reopen();
  EXPECT_EQ(form->txtHtmlTitle.text.size(), kMaxSettingsTextBytes);
  EXPECT_EQ(form->txtProgramFriendlyName.text, "bird");
  EXPECT_EQ(form->txtExeParas.text, "one\rtwo");
  ASSERT_EQ(form->lstDLL.ListCount(), 100'000);
  EXPECT_EQ(form->lstDLL.lines.back(), "c:\\x\\f99999.dll");
}

class ProgramGroupFileTest : public ProjectSettingsTest {
 protected:
  void Load(const std::string& text) {
    const std::string path = scratch / "ProgramGroup.txt";
    ASSERT_TRUE(WriteTextFile(text, path));
    form->TextFile2ProgramGroupTree(path);
  }
  bool IsDefaultTree() const {
    return form->ProgramGroup.nodes.size() == 1 && form->ProgramGroup.nodes[0].key == "My Program" &&
           form->ProgramGroup.nodes[0].text == "My Program";
  }
};

TEST_F(ProgramGroupFileTest, DamagedFilesGiveTheDefaultTree) {
  Load("My Program\r\nBirds\r\n");
  EXPECT_TRUE(IsDefaultTree());
  Load("My Program\r\nBirds\r\n\r\nNo Such Key\r\nUntitled1\r\nTools\r\n\r\n");
  EXPECT_TRUE(IsDefaultTree());
  Load("My Program\r\nBirds\r\n\r\nMy Program\r\nMy Program\r\nTwice\r\n\r\n");
  EXPECT_TRUE(IsDefaultTree());
  Load("R\r\nBirds\r\n\r\nR\r\nU1\r\nBird\r\nbird.exe\r\nU1\r\nU2\r\nUnder a shortcut\r\n\r\n");
  EXPECT_TRUE(IsDefaultTree());
}

TEST_F(ProgramGroupFileTest, AnIncompleteLastNodeIsIgnoredAndUntitledKeysRaiseTheCounter) {
  Load("My Program\r\nBirds\r\n\r\nMy Program\r\nUntitled12\r\nTools\r\n\r\nMy Program\r\nUntitled3\r\n"
       "Bird\r\nbird.exe\r\nUntitled12\r\nUntitled99\r\n");
  ASSERT_EQ(form->ProgramGroup.nodes.size(), 3u);
  EXPECT_EQ(form->ProgramGroup.nodes[0].text, "Birds");
  EXPECT_EQ(form->ProgramGroup.nodes[2].image, kShortcutImage);
  EXPECT_EQ(form->ProgramGroup.nodes[1].image, kGroupImage);
  EXPECT_EQ(form->UntitledCounter, 12);
  Load("R\r\nRoot\r\n\r\nR\r\nUntitled99999999999999999999\r\nHuge\r\n\r\n");
  EXPECT_EQ(form->UntitledCounter, 2147483647);
}
