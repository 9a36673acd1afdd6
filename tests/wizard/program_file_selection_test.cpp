// Choosing the program directory on step 1 and working with the file lists of steps 2
// and 3, on real directories.
#include "path_case.h"
#include "text_files.h"
#include "wizard_fixture.h"

namespace {

const char kSep = kDirectorySeparator;

class FileSelectionTest : public WizardTest {
 protected:
  // A fresh program directory "name" with `files` (relative, "/" between folders).
  std::string MakeProgram(const std::string& name, const std::vector<std::string>& files) {
    const std::string directory = WithTrailingSeparator(scratch / name);
    std::filesystem::create_directories(directory);
    for (const std::string& file : files) WriteFileBytes(directory + file, "x");
    return directory;
  }

  void Choose(const std::string& directory) {
    host.folder_answers.push_back(directory);
    form->cmdSelectDirectory_Click();
  }

  // The progress texts shown whenever the window was let process its events.
  std::vector<std::string> progress;
  void RecordProgress() {
    host.on_process_events = [this] { progress.push_back(form->txtDirectoryName.text); };
  }
  // Cancel is clicked while the window processes its events for the `nth` time (from 1).
  void CancelAt(int nth) {
    host.on_process_events = [this, nth] {
      if (host.events_processed == nth) form->cmdCancel_Click();
    };
  }

  void ExpectEndedWithPrevious(const std::string& previous, const std::string& message, const std::string& title) {
    EXPECT_EQ(host.OnlyMessage(), message);
    if (!host.messages.empty()) {
      EXPECT_EQ(host.messages[0].title, title);
      EXPECT_EQ(host.messages[0].icon, title.empty() ? MessageIcon::None : MessageIcon::Information);
    }
    EXPECT_EQ(form->List1.ListCount(), 0);
    EXPECT_EQ(form->txtDirectoryName.text, previous);
    EXPECT_TRUE(form->cmdSelectDirectory.enabled);
    EXPECT_TRUE(form->cmdBack.enabled);
    EXPECT_FALSE(form->cmdCancel.enabled);
    EXPECT_EQ(form->cmdNext.enabled, !previous.empty());
    EXPECT_EQ(form->txtCompanyName.enabled, !previous.empty());
    EXPECT_EQ(form->txtCompanyName.back_colour, previous.empty() ? kDisabledFieldGrey : kWhite);
    host.messages.clear();
  }

  std::vector<std::string> Ticked() const { return form->TickedProgramFiles(); }
};

TEST_F(FileSelectionTest, AProjectDirectoryCannotBeChosenInAnyCase) {
  for (const std::string& answer : {scratch / "p/VexaWizardNetloomProject/", scratch / "p/vexawizardnetloomproject/",
                                    scratch / "VEXAWIZARD/inner/"}) {
    std::filesystem::create_directories(answer);
    Choose(answer);
    ExpectEndedWithPrevious("", "Error. You cannot select a VexaWizard directory.", "");
    EXPECT_TRUE(form->ProgramDirectory.empty());
  }
  // Only a whole component that begins with the word counts.
  Choose(MakeProgram("MyVexaWizardTools", {"tool.exe"}));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(form->List1.lines, std::vector<std::string>{"tool.exe"});
}

TEST_F(FileSelectionTest, ANewProjectListsLowerCasePathsAllTickedWithTheDefaults) {
  const std::string directory = MakeProgram(
      "Acme Paint", {"Paint.EXE", "vexawizard_notes.txt", "Help/Paint.HLP", "Help/VexaWizard_notes.txt", "aa.dll",
                     "VexaWizardNetloomProject/ProjectFiles/ProgramFiles.txt.bak"});
  form->txtCompanyName.text = "stale";
  Choose(directory);
  ASSERT_TRUE(host.messages.empty()) << host.messages[0].text;
  EXPECT_EQ(form->List1.lines, (std::vector<std::string>{"aa.dll", "paint.exe", "help\\paint.hlp",
                                                          "help\\vexawizard_notes.txt"}));
  EXPECT_EQ(Ticked(), form->List1.lines);
  EXPECT_EQ(form->ListedFileCount, 4);
  EXPECT_EQ(form->List1.list_index, 0);
  EXPECT_EQ(form->txtDirectoryName.text, directory);
  EXPECT_EQ(form->ProgramDirectory, directory);
  EXPECT_EQ(form->ProjectFilesDirectory, directory + "VexaWizardNetloomProject" + kSep + "ProjectFiles" + kSep);
  EXPECT_TRUE(form->cmdNext.enabled);
  EXPECT_EQ(form->Focus, &form->cmdNext);
  EXPECT_FALSE(form->cmdCancel.enabled);
  EXPECT_TRUE(form->txtProgramFriendlyName.enabled);
  EXPECT_EQ(form->lblCompanyName.fore_colour, kBlack);
  // Loading replaced the stale text with the (empty) project's, and the defaults filled it.
  EXPECT_EQ(form->txtCompanyName.text, "MyCompany");
  EXPECT_EQ(form->txtProgramFriendlyName.text, "MyCompany Acme Paint");
  EXPECT_EQ(form->txtWebSiteURL.text, kExampleBaseURL);
  EXPECT_EQ(form->txtPublicationURL.text, std::string(kExampleBaseURL) + "Acme Paint/");
  EXPECT_EQ(form->txtActiveXUrl.text, std::string(kExampleBaseURL) + "ActiveX/");
  const std::string scripts = "Temporary VexaWeb Files\\Installed Scripts\\";
  ASSERT_GE(form->InstalledScriptsCache.size(), scripts.size());
  EXPECT_EQ(form->InstalledScriptsCache.substr(form->InstalledScriptsCache.size() - scripts.size()), scripts);
  EXPECT_EQ(form->DownloadedProgramsCache,
            form->InstalledScriptsCache.substr(0, form->InstalledScriptsCache.size() - scripts.size()) +
                "Temporary VexaWeb Files\\Downloaded Programs\\");
}

// The lists hold lower-cased paths; the files keep their spelling on disk, which a
// case-sensitive file system needs to open them.
TEST_F(FileSelectionTest, TickedFilesAreFoundOnDiskWhateverTheCaseOfTheirLines) {
  const std::string directory = MakeProgram("Paint", {"Paint.exe", "Data/Colours.TXT"});
  Choose(directory);
  ASSERT_EQ(form->List1.lines, (std::vector<std::string>{"paint.exe", "data\\colours.txt"}));
  const std::vector<TickedProgramFile> sources = form->TickedProgramFileSources();
  ASSERT_EQ(sources.size(), 2u);
  for (const TickedProgramFile& file : sources) EXPECT_TRUE(PathExists(file.source)) << file.source;
  EXPECT_EQ(sources[1].line, "data\\colours.txt");
  EXPECT_EQ(PathFileName(sources[1].source), "Colours.TXT");
  EXPECT_TRUE(PathExists(ResolvePathCase(directory + "paint.exe")));
  EXPECT_TRUE(PathExists(ResolvePathCase(directory + "DATA\\colours.txt")));
  EXPECT_TRUE(PathExists(ResolvePathCase(UpperAscii(wizard_directory + kSep + "VexaLoad.ocx"))));
  EXPECT_FALSE(PathExists(ResolvePathCase(directory + "data\\missing.txt")));
  // A list that was not made by a scan (a loaded project) is resolved line by line.
  ChooseProgramDirectory({"paint.exe", "data\\colours.txt", "other.txt"}, {true, true, false});
  form->ProgramDirectory = directory;
  ASSERT_EQ(form->TickedProgramFileSources().size(), 2u);
  for (const TickedProgramFile& file : form->TickedProgramFileSources()) {
    EXPECT_TRUE(PathExists(file.source)) << file.source;
  }
}

TEST_F(FileSelectionTest, OnlyProjectFilesIsNoFileFoundAndNothingIsAnEmptyDirectory) {
  Choose(MakeProgram("Only Project", {"VexaWizardNetloomProject/ProjectFiles/ProgramFiles.txt"}));
  ExpectEndedWithPrevious("",
                          "The directory you selected does not contain any files. You must select a directory that "
                          "contains at least one EXE file. You can also select a directory whose sub-directories "
                          "contain at least one file.",
                          "No File Found");
  const std::string empty = MakeProgram("Empty", {});
  std::filesystem::create_directories(empty + "sub/deeper");
  Choose(empty);
  ExpectEndedWithPrevious("",
                          "The directory you selected has no files in it. You must select a directory that is not "
                          "empty.",
                          "Empty Directory");
  EXPECT_TRUE(form->ProgramDirectory.empty());
  EXPECT_TRUE(form->ProjectFilesDirectory.empty());
}

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) files.push_back("f" + std::to_string(1000 + i) + ".dat");
  return files;
}

TEST_F(FileSelectionTest, ProgressIsShownEvery200FilesWithItsExactTexts) {
  RecordProgress();
  Choose(MakeProgram("Two Hundred", Numbered(200)));
  ASSERT_TRUE(host.messages.empty());
  // The search ends within its first step; the listing reports once and ticking the new
  // project's files once.
  EXPECT_EQ(progress, (std::vector<std::string>{"Listing file 200 of 200 files (100%)",
                                                "Listing file 200 of 200 files (100%)"}));
  progress.clear();
  Choose(MakeProgram("Four Hundred And One", Numbered(401)));
  ASSERT_TRUE(host.messages.empty());
  EXPECT_EQ(progress, (std::vector<std::string>{"Selecting files ( 200 files selected.)",
                                                "Selecting files ( 400 files selected.)",
                                                "Listing file 200 of 401 files (49%)",
                                                "Listing file 400 of 401 files (99%)",
                                                "Listing file 200 of 401 files (49%)",
                                                "Listing file 400 of 401 files (99%)"}));
  EXPECT_EQ(form->txtDirectoryName.text, form->ProgramDirectory);
}

TEST_F(FileSelectionTest, ASavedSelectionComesBackExactlyAndNewFilesStayUnticked) {
  const std::string directory = MakeProgram("Saved", {"A.exe", "b.txt", "Sub/C.dat", "new.txt"});
  const std::string project_files = directory + "VexaWizardNetloomProject/ProjectFiles/";
  WriteFileBytes(project_files + "ProgramFiles.txt", "a.exe\r\nSUB\\c.dat\r\nsub\\c.dat\r\ngone.txt\r\n");
  WriteFileBytes(project_files + "ProgramFriendlyName.txt", "Saved Bird");
  RecordProgress();
  Choose(directory);
  ASSERT_TRUE(host.messages.empty());
  EXPECT_EQ(form->List1.lines, (std::vector<std::string>{"a.exe", "b.txt", "new.txt", "sub\\c.dat"}));
  EXPECT_EQ(Ticked(), (std::vector<std::string>{"a.exe", "sub\\c.dat"}));
  EXPECT_EQ(form->txtProgramFriendlyName.text, "Saved Bird");
  EXPECT_TRUE(progress.empty());
  // With exactly 200 files (its saved selection one of them) a saved project shows one
  // progress line.
  const std::string large = MakeProgram("Saved Large", Numbered(199));
  WriteFileBytes(large + "VexaWizardNetloomProject/ProjectFiles/ProgramFiles.txt", "f1000.dat\r\n");
  Choose(large);
  EXPECT_EQ(progress, std::vector<std::string>{"Listing file 200 of 200 files (100%)"});
  EXPECT_EQ(Ticked(), std::vector<std::string>{"f1000.dat"});
}

TEST_F(FileSelectionTest, CancelDuringSearchListingOrTickingLeavesNoLinesAndThePreviousProject) {
  const std::string first = MakeProgram("First", {"first.exe"});
  WriteFileBytes(first + "VexaWizardNetloomProject/ProjectFiles/ProgramFriendlyName.txt", "First Bird");
  WriteFileBytes(first + "VexaWizardNetloomProject/ProjectFiles/OcxFiles.txt", "C:\\W\\VEXALOAD.OCX\r\n");
  Choose(first);
  ASSERT_TRUE(host.messages.empty());
  form->txtHtmlTitle.text = "typed, not saved";
  const std::string big = MakeProgram("Big", Numbered(450));
  WriteFileBytes(big + "VexaWizardNetloomProject/ProjectFiles/ProgramFriendlyName.txt", "Big Bird");

  const struct {
    int cancel_at;
    const char* message;
    const char* title;
  } cases[] = {{1, "Files Selection canceled.", "Files Selection Canceled"},
               {3, "Files listing canceled.", "Files Listing Canceled"},
               {5, "Files listing canceled.", "Files Listing Canceled"}};
  for (const auto& c : cases) {
    host.events_processed = 0;
    CancelAt(c.cancel_at);
    Choose(big);
    ExpectEndedWithPrevious(first, c.message, c.title);
    EXPECT_EQ(form->ProgramDirectory, first) << c.cancel_at;
    EXPECT_EQ(form->ProjectFilesDirectory, first + "VexaWizardNetloomProject" + kSep + "ProjectFiles" + kSep);
    EXPECT_EQ(form->txtProgramFriendlyName.text, "First Bird");
    EXPECT_EQ(form->txtHtmlTitle.text, "typed, not saved");
    EXPECT_EQ(form->lstOCX.lines, std::vector<std::string>{"C:\\W\\VEXALOAD.OCX"});
    EXPECT_EQ(form->ListedFileCount, 0);
  }
  // A failed choice restores the earlier project as well.
  host.on_process_events = nullptr;
  Choose(MakeProgram("Nothing", {}));
  ExpectEndedWithPrevious(first, "The directory you selected has no files in it. You must select a directory that "
                                 "is not empty.", "Empty Directory");
  EXPECT_EQ(form->txtProgramFriendlyName.text, "First Bird");
  // Cancelling a new scan of the same directory keeps what was typed since it was loaded.
  form->txtCompanyName.text = "Typed Company";
  host.events_processed = 0;
  CancelAt(1);
  for (const std::string& file : Numbered(450)) WriteFileBytes(first + "more/" + file, "x");
  Choose(first);
  ExpectEndedWithPrevious(first, "Files Selection canceled.", "Files Selection Canceled");
  EXPECT_EQ(form->txtCompanyName.text, "Typed Company");
  // A cancelled folder dialog changes nothing.
  host.on_process_events = nullptr;
  Choose("");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(form->txtDirectoryName.text, first);
}

class StepTwoTest : public FileSelectionTest {
 protected:
  void SetUp() override {
    FileSelectionTest::SetUp();
    Choose(MakeProgram("Steps", {"a.exe", "b.txt", "c.dat"}));
    ASSERT_TRUE(host.messages.empty());
    form->cmdNext_Click();
    form->cmdNext_Click();
    ASSERT_EQ(form->CurrentStep, 2);
  }
};

TEST_F(StepTwoTest, NextFollowsTheTicksThroughTheMenuAndSingleClicks) {
  EXPECT_TRUE(form->cmdNext.enabled);
  form->List1_MouseDown(MouseButton::Left);
  form->List1_MouseDown(MouseButton::Right);
  EXPECT_EQ(host.popup_menus, std::vector<PopupMenu>{PopupMenu::SelectFiles});
  form->List1.list_index = 2;
  form->mnuClearAllFiles_Click();
  EXPECT_TRUE(Ticked().empty());
  EXPECT_FALSE(form->cmdNext.enabled);
  EXPECT_TRUE(form->lblStep2Note.visible);
  EXPECT_EQ(form->ListedFileCount, 0);
  EXPECT_EQ(form->List1.list_index, 0);
  EXPECT_FALSE(host.busy_pointer);
  form->SetProgramFileTicked(1, true);
  EXPECT_TRUE(form->cmdNext.enabled);
  EXPECT_FALSE(form->lblStep2Note.visible);
  form->SetProgramFileTicked(1, false);
  EXPECT_FALSE(form->cmdNext.enabled);
  form->mnuSelectAllFiles_Click();
  EXPECT_EQ(Ticked().size(), 3u);
  EXPECT_EQ(form->ListedFileCount, 3);
  EXPECT_TRUE(form->cmdNext.enabled);
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 3);
}

TEST_F(StepTwoTest, SelectedOnlyShowsTheTickedLinesAndRestoresNext) {
  form->SetProgramFileTicked(0, false);
  form->chkShowSelectedItemsOnly.value = 1;
  form->chkShowSelectedItemsOnly_Click();
  EXPECT_FALSE(form->List1.visible);
  EXPECT_TRUE(form->List2.visible);
  EXPECT_EQ(form->List2.lines, (std::vector<std::string>{"b.txt", "c.dat"}));
  EXPECT_EQ(form->List2.list_index, 0);
  EXPECT_EQ(form->txtSelectedItem.text, "b.txt");
  EXPECT_TRUE(form->cmdNext.enabled);
  EXPECT_TRUE(form->cmdBack.enabled);
  form->List2.list_index = 1;
  form->List2_Click();
  EXPECT_EQ(form->txtSelectedItem.text, "c.dat");
  form->chkShowSelectedItemsOnly.value = 0;
  form->chkShowSelectedItemsOnly_Click();
  EXPECT_TRUE(form->List1.visible);
  EXPECT_FALSE(form->List2.visible);
  EXPECT_EQ(form->txtSelectedItem.text, "a.exe");
  form->List1.list_index = 2;
  form->List1_Click();
  EXPECT_EQ(form->txtSelectedItem.text, "c.dat");
  // Turned on with Next disabled, it stays disabled; a long list yields every 300 lines.
  form->mnuClearAllFiles_Click();
  ChooseProgramDirectory(Numbered(700), std::vector<bool>(700, false));
  host.events_processed = 0;
  form->chkShowSelectedItemsOnly.value = 1;
  form->chkShowSelectedItemsOnly_Click();
  EXPECT_EQ(host.events_processed, 2);
  EXPECT_FALSE(form->cmdNext.enabled);
  EXPECT_TRUE(form->List2.lines.empty());
}

TEST_F(StepTwoTest, TheRunFileNoneGreysTheParametersButKeepsThem) {
  form->cmdNext_Click();
  ASSERT_EQ(form->CurrentStep, 3);
  ASSERT_EQ(form->List3.lines, (std::vector<std::string>{"<none>", "a.exe", "b.txt", "c.dat"}));
  form->List3.list_index = 1;
  form->List3_Click();
  EXPECT_EQ(form->txtExeFilename.text, "a.exe");
  form->txtExeParas.text = "\"-quiet\"";
  EXPECT_TRUE(form->txtExeParas.enabled);
  form->List3.list_index = 0;
  form->List3_Click();
  EXPECT_EQ(form->txtExeFilename.text, "<none>");
  EXPECT_FALSE(form->txtExeParas.enabled);
  EXPECT_EQ(form->txtExeParas.back_colour, kDisabledFieldGrey);
  EXPECT_EQ(form->lblExeParas.fore_colour, kDisabledLabelGrey);
  EXPECT_EQ(form->txtExeParas.text, "\"-quiet\"");
  form->List3.list_index = 3;
  form->List3_Click();
  EXPECT_TRUE(form->txtExeParas.enabled);
  EXPECT_EQ(form->txtExeParas.back_colour, kWhite);
  EXPECT_EQ(form->lblExeParas.fore_colour, kBlack);
}

}  // namespace
