#include "form1.h"

#include "documents.h"
#include "path_services.h"

namespace {

// Designed layout, in twips.
constexpr Placement kLogoPlacement{0, 0, 2400, 5400};
constexpr Placement kStatusbarPlacement{0, 5400, 9600, 360};
constexpr int kFullPanelLeft = 120;
constexpr int kFullPanelWidth = 9360;
constexpr int kPanelGap = 20;

}  // namespace

std::string SignedNumberText(long long value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::vector<std::string> Form1::TickedProgramFiles() const {
  std::vector<std::string> ticked;
  for (std::size_t i = 0; i < List1.lines.size(); ++i) {
    if (i < List1.checked.size() && List1.checked[i]) ticked.push_back(List1.lines[i]);
  }
  return ticked;
}

Form1::Form1(Host& host, ReleaseBuilder* release_builder) : host_(host), release_builder_(release_builder) {
  SetUpControls();
}

static void Name(Control& control, const char* name, const char* caption = "", const char* tool_tip = "") {
  control.name = name;
  control.caption = caption;
  control.tool_tip = tool_tip;
}

// Names a control after its member, with its caption and tool tip if any.
#define NAME(control, ...) Name(control, #control __VA_OPT__(, ) __VA_ARGS__)

void Form1::SetUpControls() {
  SetUpWindowControls();
  SetUpIntroductionControls();
  SetUpStep1Controls();
  SetUpStep2Controls();
  SetUpStep3Controls();
  SetUpStep4Controls();
  SetUpStep5Controls();
  SetUpFinalStepControls();
  SetUpWorkingControls();
  SetUpMainButtons();
  SetUpMenus();
}

// The window around the panels: the panels themselves, the logo, the status bar and what lies on it.
void Form1::SetUpWindowControls() {
  for (int i = 0; i < kStepCount; ++i) {
    fraStep[static_cast<std::size_t>(i)].name = "fraStep(" + std::to_string(i) + ")";
    fraStep[static_cast<std::size_t>(i)].tag = (i >= 1 && i <= 5) ? "FULL" : "";
    fraStep[static_cast<std::size_t>(i)].placement = {kFullPanelLeft, 0, kFullPanelWidth, kStatusbarPlacement.top};
  }
  NAME(picLogo);
  picLogo.placement = kLogoPlacement;
  NAME(picStatusbar);
  picStatusbar.placement = kStatusbarPlacement;
  NAME(Label32, kMakerWebAddress);
  NAME(VexaCB1);
  NAME(VexaDnld1);
}

// The introduction panel.
void Form1::SetUpIntroductionControls() {
  NAME(Label4, "Welcome to");
  NAME(Label23, kWizardTitle);
  NAME(Label5, "Use this Wizard to create an Internet Setup program with great ease.");
  NAME(Label13,
       "Your program is downloaded and installed automatically, with its program group and an "
       "Uninstall program.");
  NAME(Label16, "Only the files that are missing or older on the user's computer are downloaded.");
  NAME(Label17, "An interrupted download resumes at the point where it was interrupted.");
  NAME(lblVersion);
}

// Step 1: the program directory, its names and the web addresses.
void Form1::SetUpStep1Controls() {
  NAME(Frame1, "Select the directory where your program files reside:");
  NAME(txtDirectoryName);
  txtDirectoryName.read_only = true;
  NAME(cmdSelectDirectory, "...", "Select a directory");
  NAME(cmdCancel, "Cancel", "Cancel files selection");
  cmdCancel.enabled = false;
  NAME(lblProgramFriendlyName, "Type the program friendly name:");
  NAME(txtProgramFriendlyName);
  NAME(lblCompanyName, "Type your company name:");
  NAME(txtCompanyName);
  NAME(lblWebSiteURL, "Type the base URL of your web site:");
  NAME(txtWebSiteURL);
  NAME(lblActiveXURL, "Type the ActiveX/DLL URL directory of your web site:");
  NAME(txtActiveXUrl);
  NAME(lblPublicationURL, "Type the URL where the resultant Setup program will reside:");
  NAME(txtPublicationURL);
  NAME(cmdHelpSelectDirectory, "Help...");
  NAME(cmdHelpProgramFriendlyName, "Help...");
  NAME(cmdHelpCompanyName, "Help...");
  NAME(cmdHelpWebSiteURL, "Help...");
  NAME(cmdHelpActiveXURL, "Help...");
  NAME(cmdHelpPublicationURL, "Help...");
  SetStep1FieldsEnabled(false);
}

// Step 2: the program files.
void Form1::SetUpStep2Controls() {
  NAME(Label2, "Select the files of your program");
  NAME(Label8, "Example:");
  NAME(Label9, "MyProgram.exe, MyProgram.hlp and MyData.mdb are the files of MyProgram.");
  NAME(List1);
  List1.has_check_boxes = true;
  NAME(List2);
  List2.visible = false;
  NAME(chkShowSelectedItemsOnly, "Show Selected Items Only");
  NAME(txtSelectedItem);
  NAME(lblStep2Note, "Before you can move to the next step, you must select at least one file.");
  NAME(cmdHelpSelectProgramFiles, "Help...");
}

// Step 3: the file run at the end of the installation.
void Form1::SetUpStep3Controls() {
  NAME(Label3, "Select the file to be executed at the end of the installation");
  NAME(List3);
  NAME(Label21, "The file that will be executed at the end of the installation is:");
  NAME(txtExeFilename);
  // The run file is the line chosen in List3, never typed: a typed text would become the
  // command the installation runs.
  txtExeFilename.read_only = true;
  NAME(lblExeParas, "File Parameters (if any):");
  NAME(txtExeParas);
  NAME(cmdHelpExeListbox, "Help...");
}

// Step 4: the program group.
void Form1::SetUpStep4Controls() {
  NAME(Label7, "Specify the Program Group Structure of Your Program");
  NAME(TreeView1);
  NAME(cmdHelpProgramGroup, "Help...");
  NAME(lstLinkTo);
  InitializeProgramGroupTree();
}

// Step 5: the shared OCX and DLL files.
void Form1::SetUpStep5Controls() {
  NAME(Label14, "Specify the ActiveX (OCX) files your program uses (if any)");
  NAME(lstOCX);
  NAME(cmdAddOCX, "Add OCX to List...");
  NAME(cmdRemoveOCX, "Remove OCX from List");
  NAME(cmdHelpOcxList, "Help...");
  NAME(Label15, "Specify the DLL files your program uses (if any)");
  NAME(lstDLL);
  NAME(cmdAddDLL, "Add DLL to List...");
  NAME(cmdRemoveDLL, "Remove DLL from List");
  NAME(cmdHelpDllList, "Help...");
}

// The final step: the resultant page, web setup program and signing.
void Form1::SetUpFinalStepControls() {
  NAME(Label18, "Type the name of the resultant HTML page:");
  NAME(txtHtmlFilenameNoPath);
  NAME(cmdHelpResultantHtmlPage, "Help...");
  NAME(Label24, "Type the title of the resultant HTML file:");
  NAME(txtHtmlTitle);
  NAME(cmdHelpTitleOfResultantHtml, "Help...");
  NAME(Label33, "Type the name of the resultant web setup program:");
  NAME(txtStandAloneExeFilenameNoPath);
  NAME(cmdHelpStandAloneExeFilename, "Help...");
  NAME(fraMinimizeDownloadTime);
  fraMinimizeDownloadTime.visible = false;
  NAME(chkCreateMultiProgramCabs, "Minimize Download Time",
       "When checked, download time is minimized, reusable files are used (things are downloaded only once).");
  chkCreateMultiProgramCabs.value = 1;
  NAME(cmdHelpMinimizeDownloadTime, "Help...",
       "Click for Help about the Minimize Download Time feature...");
  NAME(Label27, "Sign code command(s) to execute when done (optional):");
  NAME(txtSignCodeCommands);
  NAME(cmdSignCodeHelp, "Help...");
  NAME(chkSignEveryProgram, "Sign every program",
       "When checked, the sign code commands also sign Setup.exe, the web setup program and the loader's cabinet.");
}

// The Working panel.
void Form1::SetUpWorkingControls() {
  NAME(lblWorkingTitle, "Creating the Web Setup Program");
  NAME(lblWorkingNote, "The Wizard is now creating your Web Setup program...");
  NAME(txtWorkProgress);
  NAME(cmdCancelWork, "Cancel");
}

// The buttons under the panels.
void Form1::SetUpMainButtons() {
  NAME(cmdBack, "< &Back", "Previous step");
  NAME(cmdNext, "&Next >", "Next step");
  NAME(cmdFinish, "&Finish");
  NAME(cmdExit, "E&xit", "Terminate this program");
  NAME(cmdSamples, "&Samples", "See samples in action...");
}

// The pop-up menus.
void Form1::SetUpMenus() {
  // Pop-up menus hang on the window and are never shown in a menu bar.
  for (Control* menu : {&mnuSelectFiles, &mnuCreate}) menu->visible = false;
  NAME(mnuSelectFiles);
  NAME(mnuSelectAllFiles, "Select All Files");
  NAME(mnuClearAllFiles, "Clear All Files");
  NAME(mnuCreate);
  NAME(mnuCreateLeaf, "Create Child");
  NAME(mnuSep1, "-");
  NAME(mnuLinkTo, "Link To...");
  NAME(mnuUnlink, "Unlink");
  NAME(mnuSep2, "-");
  NAME(mnuRenameLeaf, "Rename");
  NAME(mnuDeleteLeaf, "Delete");
}

#undef NAME

void Form1::SetStep1FieldsEnabled(bool enabled) {
  for (TextBox* box : {&txtProgramFriendlyName, &txtCompanyName, &txtWebSiteURL, &txtActiveXUrl, &txtPublicationURL}) {
    box->enabled = enabled;
    box->back_colour = enabled ? kWhite : kDisabledFieldGrey;
  }
  for (Label* label : {&lblProgramFriendlyName, &lblCompanyName, &lblWebSiteURL, &lblActiveXURL, &lblPublicationURL}) {
    label->enabled = enabled;
    label->fore_colour = enabled ? kBlack : kDisabledLabelGrey;
  }
  for (Control* help : {&cmdHelpProgramFriendlyName, &cmdHelpCompanyName, &cmdHelpWebSiteURL, &cmdHelpActiveXURL,
                        &cmdHelpPublicationURL}) {
    help->enabled = enabled;
  }
}

// A panel with the "FULL" tag keeps its designed place and hides the logo; any other panel
// stands beside the logo.
void Form1::PlacePanels() {
  for (Panel& panel : fraStep) {
    panel.border = false;
    panel.visible = false;
    panel.placement.top = 0;
    panel.placement.height = picStatusbar.placement.top;
    if (panel.tag != "FULL") {
      panel.placement.left = picLogo.placement.left + picLogo.placement.width + kPanelGap;
      panel.placement.width = ScaleWidth - kPanelGap - panel.placement.left;
    }
  }
}

void Form1::ShowPicLogoForPanel(int step) {
  picLogo.visible = fraStep[static_cast<std::size_t>(step)].tag != "FULL";
}

void Form1::Form_Load() {
  WizardDirectory = WithTrailingSeparator(host_.ProgramDirectoryPath());
  VexaCB1.visible = false;
  VexaDnld1.visible = false;
  fraMinimizeDownloadTime.visible = true;
  for (const char* required : {"VexaLoad.ocx", "VexaLoad.cab"}) {
    if (!PathExists(WizardDirectory + required)) {
      host_.ShowMessage(std::string("Error. ") + required + "  must reside in the " + WizardDirectory + " directory.",
                        "", MessageIcon::None, MessageButtons::Ok);
      Ended = true;
      host_.EndProgram();
      return;
    }
  }
  InitializeComponent(true);
  Caption = std::string(kWizardTitle) + " - Introduction";
  PlacePanels();
  fraStep[0].visible = true;
  CurrentStep = 0;
  cmdFinish.enabled = false;
  cmdBack.enabled = false;
  ShowPicLogoForPanel(0);
  List2.placement = List1.placement;
  const ProgramVersion version = host_.GetProgramVersion();
  lblVersion.caption = "Version: " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                       std::to_string(version.revision);
  // Enter goes on; the Samples button comes first in the tab order, not in the way.
  SetFocus(cmdNext);
}

void Form1::cmdExit_Click() {
  Ended = true;
  host_.EndProgram();
}

void Form1::cmdCancel_Click() { KeepWorking = false; }

void Form1::SetText(TextBox& box, std::string text) {
  if (box.text == text) return;
  box.text = std::move(text);
  if (&box == &txtHtmlFilenameNoPath) txtHtmlFilenameNoPath_Change();
}

void Form1::txtHtmlFilenameNoPath_Change() {
  if (CurrentStep == kFinalStep) cmdFinish.enabled = !TrimBlanks(txtHtmlFilenameNoPath.text).empty();
}

void Form1::Label32_Click() { host_.OpenDocument(kMakerWebAddress); }

void Form1::cmdSamples_Click() { host_.ShowModalWindow(ModalWindow::Samples); }

void Form1::frmSamples_cmdSamples_Click() { host_.OpenDocument(kMakerSamplesAddress); }
