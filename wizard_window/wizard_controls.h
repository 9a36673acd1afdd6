// The controls of the wizard window, one entry each: the window's identifiers, the dialog
// templates in VexaWizard.rc and the window's bindings to the Form1 model are all made
// from these lists, so a control is declared here and nowhere else in the window.
//
// An entry is X(kind, name, id, statement, arguments...):
//   kind       how the window shows the control (WizardWindow::Kind)
//   name       the control's member in the Form1 model; its identifier is IDC_ + name
//   id         the window identifier, unique across the main window and every panel
//   statement  the dialog template statement, followed by its arguments without the
//              identifier, as the resource compiler takes them
// Each list holds one dialog's controls in their tab order. The file holds nothing but
// macros, so that the resource compiler can read it as well.
#pragma once

// The main window.
#define WIZARD_MAIN_CONTROLS(X) \
  X(Frame, picLogo, 1000, CONTROL, "", "Static", SS_OWNERDRAW, 0, 0, 110, 247) \
  X(Frame, picStatusbar, 1001, CONTROL, "", "Static", SS_ETCHEDHORZ, 0, 247, 440, 2) \
  X(Label, Label32, 1002, CONTROL, "http://www.corvanta.example/", "Static", SS_NOTIFY | SS_LEFT, 7, 249, 120, 10) \
  X(Button, cmdSamples, 1007, PUSHBUTTON, "&Samples", 7, 242, 55, 14) \
  X(Button, cmdBack, 1003, PUSHBUTTON, "< &Back", 200, 242, 55, 14, WS_DISABLED) \
  X(Button, cmdNext, 1004, DEFPUSHBUTTON, "&Next >", 258, 242, 55, 14) \
  X(Button, cmdFinish, 1005, PUSHBUTTON, "&Finish", 316, 242, 55, 14, WS_DISABLED) \
  X(Button, cmdExit, 1006, PUSHBUTTON, "E&xit", 378, 242, 55, 14)

// The panels, fraStep(0) to fraStep(7).
#define WIZARD_STEP0_CONTROLS(X) \
  X(Label, Label4, 1100, LTEXT, "Welcome to", 5, 10, 310, 10) \
  X(Label, Label23, 1101, LTEXT, "Corvanta Netloom Wizard", 5, 22, 315, 20) \
  X(Label, Label5, 1102, LTEXT, "Use this Wizard to create an Internet Setup program with great ease.", 5, 50, 315, 20) \
  X(Label, Label13, 1103, LTEXT, "", 15, 80, 305, 24) \
  X(Label, Label16, 1104, LTEXT, "", 15, 110, 305, 24) \
  X(Label, Label17, 1105, LTEXT, "", 15, 140, 305, 24) \
  X(Label, lblVersion, 1106, LTEXT, "", 5, 205, 200, 10)

#define WIZARD_STEP1_CONTROLS(X) \
  X(Frame, Frame1, 1200, GROUPBOX, "Select the directory where your program files reside:", 5, 5, 415, 38) \
  X(TextBox, txtDirectoryName, 1201, EDITTEXT, 12, 20, 290, 14, ES_AUTOHSCROLL | ES_READONLY) \
  X(Button, cmdSelectDirectory, 1202, PUSHBUTTON, "...", 306, 20, 18, 14) \
  X(Button, cmdCancel, 1203, PUSHBUTTON, "Cancel", 328, 20, 40, 14, WS_DISABLED) \
  X(Button, cmdHelpSelectDirectory, 1204, PUSHBUTTON, "Help...", 372, 20, 42, 14) \
  X(Label, lblProgramFriendlyName, 1205, LTEXT, "Type the program friendly name:", 5, 52, 340, 9) \
  X(TextBox, txtProgramFriendlyName, 1206, EDITTEXT, 5, 62, 340, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpProgramFriendlyName, 1207, PUSHBUTTON, "Help...", 372, 62, 42, 14) \
  X(Label, lblCompanyName, 1208, LTEXT, "Type your company name:", 5, 85, 340, 9) \
  X(TextBox, txtCompanyName, 1209, EDITTEXT, 5, 95, 340, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpCompanyName, 1210, PUSHBUTTON, "Help...", 372, 95, 42, 14) \
  X(Label, lblWebSiteURL, 1211, LTEXT, "Type the base URL of your web site:", 5, 118, 340, 9) \
  X(TextBox, txtWebSiteURL, 1212, EDITTEXT, 5, 128, 340, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpWebSiteURL, 1213, PUSHBUTTON, "Help...", 372, 128, 42, 14) \
  X(Label, lblActiveXURL, 1214, LTEXT, "Type the ActiveX/DLL URL directory of your web site:", 5, 151, 340, 9) \
  X(TextBox, txtActiveXUrl, 1215, EDITTEXT, 5, 161, 340, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpActiveXURL, 1216, PUSHBUTTON, "Help...", 372, 161, 42, 14) \
  X(Label, lblPublicationURL, 1217, LTEXT, "Type the URL where the resultant Setup program will reside:", 5, 184, 340, 9) \
  X(TextBox, txtPublicationURL, 1218, EDITTEXT, 5, 194, 340, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpPublicationURL, 1219, PUSHBUTTON, "Help...", 372, 194, 42, 14)

#define WIZARD_STEP2_CONTROLS(X) \
  X(Label, Label2, 1300, LTEXT, "Select the files of your program", 5, 5, 415, 10) \
  X(Label, Label8, 1301, LTEXT, "Example:", 5, 18, 35, 9) \
  X(Label, Label9, 1302, LTEXT, "", 42, 18, 378, 9) \
  X(DataList, List1, 1303, LISTBOX, 5, 30, 415, 146, \
    LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT | WS_VSCROLL | WS_TABSTOP) \
  X(DataList, List2, 1304, LISTBOX, 5, 30, 415, 146, \
    LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | NOT WS_VISIBLE) \
  X(CheckBox, chkShowSelectedItemsOnly, 1305, AUTOCHECKBOX, "Show Selected Items Only", 5, 181, 110, 12) \
  X(TextBox, txtSelectedItem, 1306, EDITTEXT, 118, 180, 250, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpSelectProgramFiles, 1308, PUSHBUTTON, "Help...", 372, 180, 42, 14) \
  X(Label, lblStep2Note, 1307, LTEXT, "Before you can move to the next step, you must select at least one file.", 5, 200, 415, 10)

#define WIZARD_STEP3_CONTROLS(X) \
  X(Label, Label3, 1400, LTEXT, "Select the file to be executed at the end of the installation", 5, 5, 415, 10) \
  X(StringList, List3, 1401, LISTBOX, 5, 18, 415, 120, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP) \
  X(Label, Label21, 1402, LTEXT, "The file that will be executed at the end of the installation is:", 5, 145, 360, 9) \
  X(TextBox, txtExeFilename, 1403, EDITTEXT, 5, 155, 360, 14, ES_AUTOHSCROLL | ES_READONLY) \
  X(Button, cmdHelpExeListbox, 1406, PUSHBUTTON, "Help...", 372, 155, 42, 14) \
  X(Label, lblExeParas, 1404, LTEXT, "File Parameters (if any):", 5, 176, 360, 9) \
  X(TextBox, txtExeParas, 1405, EDITTEXT, 5, 186, 360, 14, ES_AUTOHSCROLL)

#define WIZARD_STEP4_CONTROLS(X) \
  X(Label, Label7, 1500, LTEXT, "Specify the Program Group Structure of Your Program", 5, 5, 415, 10) \
  X(Tree, TreeView1, 1501, CONTROL, "", WC_TREEVIEWA, \
    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 5, 18, 360, 200) \
  X(Button, cmdHelpProgramGroup, 1502, PUSHBUTTON, "Help...", 372, 18, 42, 14)

#define WIZARD_STEP5_CONTROLS(X) \
  X(Label, Label14, 1600, LTEXT, "Specify the ActiveX (OCX) files your program uses (if any)", 5, 5, 415, 10) \
  X(StringList, lstOCX, 1601, LISTBOX, 5, 17, 320, 84, \
    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP) \
  X(Button, cmdAddOCX, 1602, PUSHBUTTON, "Add OCX to List...", 332, 17, 88, 14) \
  X(Button, cmdRemoveOCX, 1603, PUSHBUTTON, "Remove OCX from List", 332, 35, 88, 14) \
  X(Button, cmdHelpOcxList, 1604, PUSHBUTTON, "Help...", 332, 53, 88, 14) \
  X(Label, Label15, 1605, LTEXT, "Specify the DLL files your program uses (if any)", 5, 112, 415, 10) \
  X(StringList, lstDLL, 1606, LISTBOX, 5, 124, 320, 84, \
    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP) \
  X(Button, cmdAddDLL, 1607, PUSHBUTTON, "Add DLL to List...", 332, 124, 88, 14) \
  X(Button, cmdRemoveDLL, 1608, PUSHBUTTON, "Remove DLL from List", 332, 142, 88, 14) \
  X(Button, cmdHelpDllList, 1609, PUSHBUTTON, "Help...", 332, 160, 88, 14)

#define WIZARD_STEP6_CONTROLS(X) \
  X(Label, Label18, 1700, LTEXT, "Type the name of the resultant HTML page:", 5, 5, 250, 9) \
  X(TextBox, txtHtmlFilenameNoPath, 1701, EDITTEXT, 5, 15, 250, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpResultantHtmlPage, 1702, PUSHBUTTON, "Help...", 262, 15, 45, 14) \
  X(Label, Label24, 1703, LTEXT, "Type the title of the resultant HTML file:", 5, 35, 250, 9) \
  X(TextBox, txtHtmlTitle, 1704, EDITTEXT, 5, 45, 250, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpTitleOfResultantHtml, 1705, PUSHBUTTON, "Help...", 262, 45, 45, 14) \
  X(Label, Label33, 1706, LTEXT, "Type the name of the resultant web setup program:", 5, 65, 250, 9) \
  X(TextBox, txtStandAloneExeFilenameNoPath, 1707, EDITTEXT, 5, 75, 250, 14, ES_AUTOHSCROLL) \
  X(Button, cmdHelpStandAloneExeFilename, 1708, PUSHBUTTON, "Help...", 262, 75, 45, 14) \
  X(Frame, fraMinimizeDownloadTime, 1709, GROUPBOX, "", 5, 95, 302, 30, NOT WS_VISIBLE) \
  X(CheckBox, chkCreateMultiProgramCabs, 1710, AUTOCHECKBOX, "Minimize Download Time", 12, 107, 150, 12) \
  X(Button, cmdHelpMinimizeDownloadTime, 1711, PUSHBUTTON, "Help...", 255, 106, 45, 14) \
  X(Label, Label27, 1712, LTEXT, "Sign code command(s) to execute when done (optional):", 5, 133, 250, 9) \
  X(TextBox, txtSignCodeCommands, 1713, EDITTEXT, 5, 143, 250, 62, \
    ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL) \
  X(Button, cmdSignCodeHelp, 1714, PUSHBUTTON, "Help...", 262, 143, 45, 14) \
  X(CheckBox, chkSignEveryProgram, 1715, AUTOCHECKBOX, "Sign every program", 5, 209, 250, 12)

#define WIZARD_STEP7_CONTROLS(X) \
  X(Label, lblWorkingTitle, 1800, LTEXT, "Creating the Web Setup Program", 5, 5, 310, 12) \
  X(Label, lblWorkingNote, 1801, LTEXT, "The Wizard is now creating your Web Setup program...", 5, 21, 310, 9) \
  X(TextBox, txtWorkProgress, 1802, EDITTEXT, 5, 34, 310, 164, \
    ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL) \
  X(Button, cmdCancelWork, 1803, PUSHBUTTON, "Cancel", 265, 203, 50, 14)

// Every control of the window.
#define WIZARD_CONTROLS(X)                                                                           \
  WIZARD_MAIN_CONTROLS(X) WIZARD_STEP0_CONTROLS(X) WIZARD_STEP1_CONTROLS(X) WIZARD_STEP2_CONTROLS(X) \
  WIZARD_STEP3_CONTROLS(X) WIZARD_STEP4_CONTROLS(X) WIZARD_STEP5_CONTROLS(X) WIZARD_STEP6_CONTROLS(X) \
  WIZARD_STEP7_CONTROLS(X)
