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

void Form1::SetUpControls() {
  for (int i = 0; i < kStepCount; ++i) {
    fraStep[static_cast<std::size_t>(i)].name = "fraStep(" + std::to_string(i) + ")";
    fraStep[static_cast<std::size_t>(i)].tag = (i >= 1 && i <= 5) ? "FULL" : "";
    fraStep[static_cast<std::size_t>(i)].placement = {kFullPanelLeft, 0, kFullPanelWidth, kStatusbarPlacement.top};
  }
  Name(picLogo, "picLogo");
  picLogo.placement = kLogoPlacement;
  Name(picStatusbar, "picStatusbar");
  picStatusbar.placement = kStatusbarPlacement;
  Name(Label32, "Label32", kMakerWebAddress);
  Name(VexaCB1, "VexaCB1");
  Name(VexaDnld1, "VexaDnld1");

  Name(Label4, "Label4", "Welcome to");
  Name(Label23, "Label23", kWizardTitle);
  Name(Label5, "Label5", "Use this Wizard to create an Internet Setup program with great ease.");
  Name(Label13, "Label13",
       "Your program is downloaded and installed automatically, with its program group and an "
       "Uninstall program.");
  Name(Label16, "Label16", "Only the files that are missing or older on the user's computer are downloaded.");
  Name(Label17, "Label17", "An interrupted download resumes at the point where it was interrupted.");
  Name(lblVersion, "lblVersion");

  Name(Frame1, "Frame1", "Select the directory where your program files reside:");
  Name(txtDirectoryName, "txtDirectoryName");
  txtDirectoryName.read_only = true;
  Name(cmdSelectDirectory, "cmdSelectDirectory", "...", "Select a directory");
  Name(cmdCancel, "cmdCancel", "Cancel", "Cancel files selection");
  cmdCancel.enabled = false;
  Name(lblProgramFriendlyName, "lblProgramFriendlyName", "Type the program friendly name:");
  Name(txtProgramFriendlyName, "txtProgramFriendlyName");
  Name(lblCompanyName, "lblCompanyName", "Type your company name:");
  Name(txtCompanyName, "txtCompanyName");
  Name(lblWebSiteURL, "lblWebSiteURL", "Type the base URL of your web site:");
  Name(txtWebSiteURL, "txtWebSiteURL");
  Name(lblActiveXURL, "lblActiveXURL", "Type the ActiveX/DLL URL directory of your web site:");
  Name(txtActiveXUrl, "txtActiveXUrl");
  Name(lblPublicationURL, "lblPublicationURL", "Type the URL where the resultant Setup program will reside:");
  Name(txtPublicationURL, "txtPublicationURL");
  Name(cmdHelpSelectDirectory, "cmdHelpSelectDirectory", "Help...");
  Name(cmdHelpProgramFriendlyName, "cmdHelpProgramFriendlyName", "Help...");
  Name(cmdHelpCompanyName, "cmdHelpCompanyName", "Help...");
  Name(cmdHelpWebSiteURL, "cmdHelpWebSiteURL", "Help...");
  Name(cmdHelpActiveXURL, "cmdHelpActiveXURL", "Help...");
  Name(cmdHelpPublicationURL, "cmdHelpPublicationURL", "Help...");
  SetStep1FieldsEnabled(false);

  Name(Label2, "Label2", "Select the files of your program");
  Name(Label8, "Label8", "Example:");
  Name(Label9, "Label9", "MyProgram.exe, MyProgram.hlp and MyData.mdb are the files of MyProgram.");
  Name(List1, "List1");
  List1.has_check_boxes = true;
  Name(List2, "List2");
  List2.visible = false;
  Name(chkShowSelectedItemsOnly, "chkShowSelectedItemsOnly", "Show Selected Items Only");
  Name(txtSelectedItem, "txtSelectedItem");
  Name(lblStep2Note, "lblStep2Note", "Before you can move to the next step, you must select at least one file.");
  Name(cmdHelpSelectProgramFiles, "cmdHelpSelectProgramFiles", "Help...");

  Name(Label3, "Label3", "Select the file to be executed at the end of the installation");
  Name(List3, "List3");
  Name(Label21, "Label21", "The file that will be executed at the end of the installation is:");
  Name(txtExeFilename, "txtExeFilename");
  // The run file is the line chosen in List3, never typed: a typed text would become the
  // command the installation runs.
  txtExeFilename.read_only = true;
  Name(lblExeParas, "lblExeParas", "File Parameters (if any):");
  Name(txtExeParas, "txtExeParas");
  Name(cmdHelpExeListbox, "cmdHelpExeListbox", "Help...");

  Name(Label7, "Label7", "Specify the Program Group Structure of Your Program");
  Name(TreeView1, "TreeView1");
  Name(cmdHelpProgramGroup, "cmdHelpProgramGroup", "Help...");
  Name(lstLinkTo, "lstLinkTo");
  InitializeProgramGroupTree();

  Name(Label14, "Label14", "Specify the ActiveX (OCX) files your program uses (if any)");
  Name(lstOCX, "lstOCX");
  Name(cmdAddOCX, "cmdAddOCX", "Add OCX to List...");
  Name(cmdRemoveOCX, "cmdRemoveOCX", "Remove OCX from List");
  Name(cmdHelpOcxList, "cmdHelpOcxList", "Help...");
  Name(Label15, "Label15", "Specify the DLL files your program uses (if any)");
  Name(lstDLL, "lstDLL");
  Name(cmdAddDLL, "cmdAddDLL", "Add DLL to List...");
  Name(cmdRemoveDLL, "cmdRemoveDLL", "Remove DLL from List");
  Name(cmdHelpDllList, "cmdHelpDllList", "Help...");

  Name(Label18, "Label18", "Type the name of the resultant HTML page:");
  Name(txtHtmlFilenameNoPath, "txtHtmlFilenameNoPath");
  Name(cmdHelpResultantHtmlPage, "cmdHelpResultantHtmlPage", "Help...");
  Name(Label24, "Label24", "Type the title of the resultant HTML file:");
  Name(txtHtmlTitle, "txtHtmlTitle");
  Name(cmdHelpTitleOfResultantHtml, "cmdHelpTitleOfResultantHtml", "Help...");
  Name(Label33, "Label33", "Type the name of the resultant web setup program:");
  Name(txtStandAloneExeFilenameNoPath, "txtStandAloneExeFilenameNoPath");
  Name(cmdHelpStandAloneExeFilename, "cmdHelpStandAloneExeFilename", "Help...");
  Name(fraMinimizeDownloadTime, "fraMinimizeDownloadTime");
  fraMinimizeDownloadTime.visible = false;
  Name(chkCreateMultiProgramCabs, "chkCreateMultiProgramCabs", "Minimize Download Time",
       "When checked, download time is minimized, reusable files are used (things are downloaded only once).");
  chkCreateMultiProgramCabs.value = 1;
  Name(cmdHelpMinimizeDownloadTime, "cmdHelpMinimizeDownloadTime", "Help...",
       "Click for Help about the Minimize Download Time feature...");
  Name(Label27, "Label27", "Sign code command(s) to execute when done (optional):");
  Name(txtSignCodeCommands, "txtSignCodeCommands");
  Name(cmdSignCodeHelp, "cmdSignCodeHelp", "Help...");
  Name(chkSignEveryProgram, "chkSignEveryProgram", "Sign every program",
       "When checked, the sign code commands also sign Setup.exe, the web setup program and the loader's cabinet.");

  Name(lblWorkingTitle, "lblWorkingTitle", "Creating the Web Setup Program");
  Name(lblWorkingNote, "lblWorkingNote", "The Wizard is now creating your Web Setup program...");
  Name(txtWorkProgress, "txtWorkProgress");
  Name(cmdCancelWork, "cmdCancelWork", "Cancel");

  Name(cmdBack, "cmdBack", "< &Back", "Previous step");
  Name(cmdNext, "cmdNext", "&Next >", "Next step");
  Name(cmdFinish, "cmdFinish", "&Finish");
  Name(cmdExit, "cmdExit", "E&xit", "Terminate this program");
  Name(cmdSamples, "cmdSamples", "&Samples", "See samples in action...");

  // Pop-up menus hang on the window and are never shown in a menu bar.
  for (Control* menu : {&mnuSelectFiles, &mnuCreate}) menu->visible = false;
  Name(mnuSelectFiles, "mnuSelectFiles");
  Name(mnuSelectAllFiles, "mnuSelectAllFiles", "Select All Files");
  Name(mnuClearAllFiles, "mnuClearAllFiles", "Clear All Files");
  Name(mnuCreate, "mnuCreate");
  Name(mnuCreateLeaf, "mnuCreateLeaf", "Create Child");
  Name(mnuSep1, "mnuSep1", "-");
  Name(mnuLinkTo, "mnuLinkTo", "Link To...");
  Name(mnuUnlink, "mnuUnlink", "Unlink");
  Name(mnuSep2, "mnuSep2", "-");
  Name(mnuRenameLeaf, "mnuRenameLeaf", "Rename");
  Name(mnuDeleteLeaf, "mnuDeleteLeaf", "Delete");
}

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
