// Form1, the wizard window as a portable model: every control is plain state (controls.h)
// and every handler carries the name of the window's event. The window, the console front
// end and the tests all drive this one model; what needs a person or the platform goes
// through the Host.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "controls.h"
#include "file_search.h"
#include "host.h"
#include "narrow_text.h"
#include "program_group_tree.h"
#include "project_settings.h"
#include "release_builder.h"

struct ReleaseFileNameRules;

inline constexpr const char* kWizardTitle = "Corvanta Netloom Wizard";
// The base URL suggested in the step 1 messages and used as the default web site.
inline constexpr const char* kExampleBaseURL = "http://www.mycompany.example/";
// The company name step 1 fills in when the field is left empty.
inline constexpr const char* kExampleCompanyName = "MyCompany";
// The maker's web address (Label32) and samples page (frmSamples).
inline constexpr const char* kMakerWebAddress = "http://www.corvanta.example/";
inline constexpr const char* kMakerSamplesAddress = "http://www.corvanta.example/netloom/samples.htm";

// The key code TreeView1_KeyDown takes for the menu key and Shift+F10 (VK_APPS).
inline constexpr int kMenuKeyCode = 93;

inline constexpr int kStepCount = 8;  // panels 0 to 7; 7 is "Working"
inline constexpr std::int16_t kFinalStep = 6;
inline constexpr std::int16_t kWorkingStep = 7;

// The title and text of a modal help window.
struct HelpWindowContent {
  std::string title;
  std::string text;
};

class Form1 {
 public:
  explicit Form1(Host& host, ReleaseBuilder* release_builder = nullptr);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // --- Handlers -------------------------------------------------------------------------
  void Form_Load();
  void cmdNext_Click();
  void cmdBack_Click();
  void cmdExit_Click();
  void cmdCancel_Click();
  // Finish (finish.cpp): the project directories, the two release names checked, then the
  // release builder on the answers, behind the Working panel.
  void cmdFinish_Click();
  // The "Cancel" button of the "Working" panel.
  void cmdCancelWork_Click();
  void txtHtmlFilenameNoPath_Change();
  void txtActiveXUrl_Change() {}
  void txtPublicationURL_Change() {}
  void Label32_Click();
  void cmdSamples_Click();
  // The buttons of the modal window frmSamples.
  void frmSamples_cmdSamples_Click();
  void frmSamples_cmdClose_Click() {}

  // Help buttons.
  void cmdHelpProgramFriendlyName_Click();
  void cmdHelpCompanyName_Click();
  void cmdHelpWebSiteURL_Click();
  void cmdHelpActiveXURL_Click();
  void cmdHelpPublicationURL_Click();
  void cmdHelpSelectDirectory_Click();
  void cmdHelpSelectProgramFiles_Click();
  void cmdHelpExeListbox_Click();
  void cmdHelpProgramGroup_Click();
  void cmdHelpOcxList_Click();
  void cmdHelpDllList_Click();
  void cmdHelpResultantHtmlPage_Click();
  void cmdHelpTitleOfResultantHtml_Click();
  void cmdHelpStandAloneExeFilename_Click();
  void cmdHelpMinimizeDownloadTime_Click();
  void cmdSignCodeHelp_Click();
  static HelpWindowContent HelpWindowText(ModalWindow window);

  // --- Program file selection (steps 1 to 3) ---------------------------------------------
  void cmdSelectDirectory_Click();
  // Ticks the lines of List1 from the saved selection, or all of them for a new project;
  // false when the developer cancelled.
  bool SelectProgramFilesInList();
  // `index` is the line whose box has just changed.
  void List1_ItemCheck(int index);
  void List1_MouseDown(MouseButton button);
  void List1_Click();
  void List2_Click();
  void List3_Click();
  void mnuSelectAllFiles_Click();
  void mnuClearAllFiles_Click();
  void chkShowSelectedItemsOnly_Click();
  // Ticks or unticks a line of List1 as the user's click does (List1_ItemCheck follows).
  void SetProgramFileTicked(int index, bool ticked);
  // The ticked lines with their files as they are on disk (full paths), for the release
  // builder.
  std::vector<TickedProgramFile> TickedProgramFileSources() const;
  // The answers as the release builder takes them.
  ReleaseAnswers ReleaseAnswersForBuild() const;

  // --- Shared component lists (step 5) --------------------------------------------------
  void cmdAddOCX_Click();
  void cmdAddDLL_Click();
  void cmdRemoveOCX_Click();
  void cmdRemoveDLL_Click();
  void lstOCX_Click();
  void lstDLL_Click() {}
  // The line of lstOCX or lstDLL whose component cabinet has the name that `path`'s would
  // have; empty when none.
  std::string ComponentSharingCabinet(const std::string& path) const;

  // --- Program group tree (step 4) ------------------------------------------------------
  void TreeView1_MouseDown(MouseButton button);
  // Prepares the menu for the selected node, and shows it after a right click.
  void TreeView1_Click();
  void TreeView1_KeyDown(int key_code);
  // The window collapsed `node`; the root is expanded again.
  void TreeView1_Collapse(int node);
  // The user selected `node` (ProgramGroup.selected already names it).
  void TreeView1_NodeClick(int node);
  // The in-place edit of the selected node ended with `new_text`; setting `cancel` keeps
  // the old text.
  void TreeView1_AfterLabelEdit(bool& cancel, const std::string& new_text);
  void mnuCreateLeaf_Click();
  void mnuRenameLeaf_Click();
  void mnuDeleteLeaf_Click();
  void mnuLinkTo_Click();
  void mnuUnlink_Click();
  void frmLinkTo_cmdOK_Click();
  void frmLinkTo_cmdCancel_Click();

  // --- Validations ----------------------------------------------------------------------
  bool ValidateProgramFriendlyName() const;
  // Each trims its field, shows the first failing rule's message, focuses the field and
  // returns false; rule 4 tests ReleaseDirectory + the trimmed name.
  bool ValidateHtmlFilenameNoPath();
  bool ValidateStandAloneExeFilename();

  // --- Project directory and settings ---------------------------------------------------
  // Recomputes the four project paths for a chosen program directory (ending in a separator).
  void SetProjectPaths(const std::string& program_directory);
  ProjectSettings CurrentProjectSettings() const;
  void SaveStepSettingsToProjectDirectory();
  void LoadStepSettingsFromProjectDirectory();

  // --- Program group tree (its file format) ---------------------------------------------
  void InitializeProgramGroupTree();
  void ProgramGroupTree2TextFile(const std::string& path) const;
  void TextFile2ProgramGroupTree(const std::string& path);
  // Reads a tree file the developer names (not the project's own): false, with the reason
  // and the tree unchanged, when the file cannot be read or is damaged in any way.
  bool LoadProgramGroupTreeFile(const std::string& path, std::string& reason);

  // --- Helpers the steps' handlers share ------------------------------------------------
  // Assigns a text field as the window would: a change runs the field's Change handler.
  // The window does the same when the user edits a field.
  void SetText(TextBox& box, std::string text);
  // Asks the window to put the focus in `control`; FocusRequests counts the requests, so
  // that the window also honours a second request for the control named last.
  void SetFocus(const Control& control) {
    Focus = &control;
    ++FocusRequests;
  }
  // Step 1's five fields, their labels and help buttons: enabled white with black labels,
  // or disabled grey.
  void SetStep1FieldsEnabled(bool enabled);
  void ShowPicLogoForPanel(int step);
  // The ticked lines of List1, in list order.
  std::vector<std::string> TickedProgramFiles() const;

  // --- State ----------------------------------------------------------------------------
  std::int16_t CurrentStep = 0;
  std::string Caption;
  // The client area's width in twips, which panels without the "FULL" tag reach to.
  int ScaleWidth = 9600;
  std::string WizardDirectory;
  std::string ProgramDirectory;
  std::string ProjectDirectory;
  std::string ProjectFilesDirectory;
  std::string ReleaseDirectory;
  std::string ReleaseActiveXDirectory;
  // The loader's cache directories on this machine, for the release builder.
  std::string InstalledScriptsCache;
  std::string DownloadedProgramsCache;
  bool KeepWorking = false;
  // Lines added by the last scan; on step 2 it follows the ticks.
  std::int32_t ListedFileCount = 0;
  std::int64_t UntitledCounter = 0;
  const Control* Focus = nullptr;
  int FocusRequests = 0;
  // Set once the program has been asked to end; handlers do nothing more after it.
  bool Ended = false;

  // --- Controls -------------------------------------------------------------------------
  std::array<Panel, kStepCount> fraStep;
  Control picLogo, picStatusbar;
  Label Label32;
  Control VexaCB1, VexaDnld1;

  // Panel 0, Introduction.
  Label Label4, Label23, Label5, Label13, Label16, Label17, lblVersion;

  // Panel 1.
  Control Frame1;
  TextBox txtDirectoryName;
  Control cmdSelectDirectory, cmdCancel;
  Label lblProgramFriendlyName, lblCompanyName, lblWebSiteURL, lblActiveXURL, lblPublicationURL;
  TextBox txtProgramFriendlyName, txtCompanyName, txtWebSiteURL, txtActiveXUrl, txtPublicationURL;
  Control cmdHelpSelectDirectory, cmdHelpProgramFriendlyName, cmdHelpCompanyName, cmdHelpWebSiteURL,
      cmdHelpActiveXURL, cmdHelpPublicationURL;

  // Panel 2.
  Label Label2, Label8, Label9, lblStep2Note;
  ListBox List1, List2;
  // Beside each line of List1: its path below ProgramDirectory as found on disk (the line
  // is lower-cased, which a case-sensitive file system does not find).
  std::vector<std::string> ProgramFileDiskPaths;
  CheckBox chkShowSelectedItemsOnly;
  TextBox txtSelectedItem;
  Control cmdHelpSelectProgramFiles;

  // Panel 3.
  Label Label3, Label21, lblExeParas;
  ListBox List3;
  TextBox txtExeFilename, txtExeParas;
  Control cmdHelpExeListbox;

  // Panel 4, and the list of the modal window frmLinkTo.
  Label Label7;
  Control TreeView1;
  ProgramGroupTree ProgramGroup;
  Control cmdHelpProgramGroup;
  ListBox lstLinkTo;
  // frmLinkTo's answer: the chosen program file, empty when cancelled.
  std::string frmLinkTo_Tag;

  // Panel 5.
  Label Label14, Label15;
  ListBox lstOCX, lstDLL;
  Control cmdAddOCX, cmdRemoveOCX, cmdHelpOcxList, cmdAddDLL, cmdRemoveDLL, cmdHelpDllList;

  // Panel 6, "Final Step".
  Label Label18, Label24, Label33, Label27;
  TextBox txtHtmlFilenameNoPath, txtHtmlTitle, txtStandAloneExeFilenameNoPath, txtSignCodeCommands;
  Control cmdHelpResultantHtmlPage, cmdHelpTitleOfResultantHtml, cmdHelpStandAloneExeFilename;
  Control fraMinimizeDownloadTime;
  CheckBox chkCreateMultiProgramCabs;
  Control cmdHelpMinimizeDownloadTime, cmdSignCodeHelp;
  // The single-byte Windows code page every text of the package is written in (a project
  // setting without a control of its own: CodePage.txt, or vexabuild --code-page).
  int PackageCodePage = kDefaultPackageCodePage;
  // "Sign every program": the sign code commands also sign Setup.exe, the stand-alone web
  // setup program and the loader's cabinet, not only the script cabinet.
  CheckBox chkSignEveryProgram;

  // Panel 7, "Working".
  Label lblWorkingTitle, lblWorkingNote;
  TextBox txtWorkProgress;
  Control cmdCancelWork;
  // The progress box's append rule: the line and CR LF go at the end (where the caret is
  // put, so that the newest line shows).
  void AppendWorkProgressLine(const std::string& line) { txtWorkProgress.text += line + "\r\n"; }

  // The text of the modal window frmSuccess, set before it is shown.
  std::string frmSuccess_Text;

  // Below the panels.
  Control cmdBack, cmdNext, cmdFinish, cmdExit, cmdSamples;

  // The pop-up menus.
  Control mnuSelectFiles, mnuSelectAllFiles, mnuClearAllFiles;
  Control mnuCreate, mnuCreateLeaf, mnuSep1, mnuLinkTo, mnuUnlink, mnuSep2, mnuRenameLeaf, mnuDeleteLeaf;

 private:
  void SetUpControls();
  void SetUpWindowControls();
  void SetUpIntroductionControls();
  void SetUpStep1Controls();
  void SetUpStep2Controls();
  void SetUpStep3Controls();
  void SetUpStep4Controls();
  void SetUpStep5Controls();
  void SetUpFinalStepControls();
  void SetUpWorkingControls();
  void SetUpMainButtons();
  void SetUpMenus();
  void PlacePanels();
  void ShowHelpMessage(const std::string& text);
  bool ValidateStep1();
  // Every shortcut of the tree must link to a ticked program file.
  bool ValidateProgramGroupLinks();
  // Every listed shared component that exists must be a Windows library.
  bool ValidateComponentLists();
  void EnterStep(int step);
  void EnterStep3();
  void EnterStep4();
  void EnterStep5();
  void EnterStep6();
  bool ValidateReleaseFileName(TextBox& field, const ReleaseFileNameRules& rules);
  // Finish's steps around the release builder (finish.cpp).
  class FinishHost;
  bool CreateProjectDirectories();
  void EnterWorkingPanel();
  void LeaveWorkingPanel();
  void ApplyReleaseFields(const ReleaseFieldValues& fields);
  void ShowSuccessWindow();
  void LoadWithFallback(TextBox& box, const char* file_name);

  struct ProjectSnapshot;
  std::vector<TextBox*> ProjectFields();
  ProjectSnapshot TakeProjectSnapshot();
  void RestoreProjectSnapshot(const ProjectSnapshot& snapshot);
  bool ChooseAndScanDirectory();
  void FillStep1Defaults();
  bool SearchProgramDirectory();
  bool ListProgramFiles();
  bool ReportListingProgress(std::int64_t done, std::int64_t count);
  void ClearProgramFileList();
  void CountTickedProgramFiles();
  void UpdateStep2Next();
  void TickAllProgramFiles(bool ticked);
  bool RefuseSharedCabinet(const std::string& path);
  void AppendComponent(ListBox& list, Control& remove_button, const std::string& path);
  // Enables the tree menu's items for the selected node; false when there is none.
  bool PrepareTreeMenu();

  Host& host_;
  ReleaseBuilder* release_builder_;
  FileSearch file_search_;  // the cabinet-builder component's search
  std::int32_t ticked_count_ = 0;
  MouseButton tree_mouse_button_ = MouseButton::Left;
};

// True for a character every URL path and every file system take as it is: an ASCII
// letter or digit, "-", "_" or ".".
bool IsWebFileNameCharacter(char c);

// `text` with every character dropped that IsWebFileNameCharacter refuses (the default
// names of the page and the web setup program are made from the directory's name).
std::string WebFileNameCharacters(const std::string& text);

// True for an address the package can be published at: absolute http or https naming a
// server (see step_flow.cpp for what else is refused).
bool IsWebDirectoryUrl(const std::string& url);

// Caption suffix numbers and the number files use a leading blank for the sign: " 3", "-1".
std::string SignedNumberText(long long value);
