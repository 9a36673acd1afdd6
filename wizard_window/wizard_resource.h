// Resource symbols of the wizard window. Each control's symbol is IDC_ + the control's name
// in the Form1 model, so a template, the window code and a test driver speak of the same
// control. The panels are child dialogs of the main window; their controls keep window
// identifiers unique across all of them, so one handler serves every panel.
#pragma once

#define IDI_VexaWizard 1
#define IDD_Form1 100
#define IDD_fraStep0 110
#define IDD_fraStep1 111
#define IDD_fraStep2 112
#define IDD_fraStep3 113
#define IDD_fraStep4 114
#define IDD_fraStep5 115
#define IDD_fraStep6 116
#define IDD_fraStep7 117
#define IDD_frmLinkTo 130
#define IDD_frmSuccess 131
#define IDD_frmSamples 132
#define IDD_HelpWindow 133

// The main window.
#define IDC_picLogo 1000
#define IDC_picStatusbar 1001
#define IDC_Label32 1002
#define IDC_cmdBack 1003
#define IDC_cmdNext 1004
#define IDC_cmdFinish 1005
#define IDC_cmdExit 1006
#define IDC_cmdSamples 1007
#define IDC_fraStep0 1010  // the panels: IDC_fraStep0 + index

// Panel 0.
#define IDC_Label4 1100
#define IDC_Label23 1101
#define IDC_Label5 1102
#define IDC_Label13 1103
#define IDC_Label16 1104
#define IDC_Label17 1105
#define IDC_lblVersion 1106

// Panel 1.
#define IDC_Frame1 1200
#define IDC_txtDirectoryName 1201
#define IDC_cmdSelectDirectory 1202
#define IDC_cmdCancel 1203
#define IDC_cmdHelpSelectDirectory 1204
#define IDC_lblProgramFriendlyName 1205
#define IDC_txtProgramFriendlyName 1206
#define IDC_cmdHelpProgramFriendlyName 1207
#define IDC_lblCompanyName 1208
#define IDC_txtCompanyName 1209
#define IDC_cmdHelpCompanyName 1210
#define IDC_lblWebSiteURL 1211
#define IDC_txtWebSiteURL 1212
#define IDC_cmdHelpWebSiteURL 1213
#define IDC_lblActiveXURL 1214
#define IDC_txtActiveXUrl 1215
#define IDC_cmdHelpActiveXURL 1216
#define IDC_lblPublicationURL 1217
#define IDC_txtPublicationURL 1218
#define IDC_cmdHelpPublicationURL 1219

// Panel 2.
#define IDC_Label2 1300
#define IDC_Label8 1301
#define IDC_Label9 1302
#define IDC_List1 1303
#define IDC_List2 1304
#define IDC_chkShowSelectedItemsOnly 1305
#define IDC_txtSelectedItem 1306
#define IDC_lblStep2Note 1307
#define IDC_cmdHelpSelectProgramFiles 1308

// Panel 3.
#define IDC_Label3 1400
#define IDC_List3 1401
#define IDC_Label21 1402
#define IDC_txtExeFilename 1403
#define IDC_lblExeParas 1404
#define IDC_txtExeParas 1405
#define IDC_cmdHelpExeListbox 1406

// Panel 4.
#define IDC_Label7 1500
#define IDC_TreeView1 1501
#define IDC_cmdHelpProgramGroup 1502

// Panel 5.
#define IDC_Label14 1600
#define IDC_lstOCX 1601
#define IDC_cmdAddOCX 1602
#define IDC_cmdRemoveOCX 1603
#define IDC_cmdHelpOcxList 1604
#define IDC_Label15 1605
#define IDC_lstDLL 1606
#define IDC_cmdAddDLL 1607
#define IDC_cmdRemoveDLL 1608
#define IDC_cmdHelpDllList 1609

// Panel 6.
#define IDC_Label18 1700
#define IDC_txtHtmlFilenameNoPath 1701
#define IDC_cmdHelpResultantHtmlPage 1702
#define IDC_Label24 1703
#define IDC_txtHtmlTitle 1704
#define IDC_cmdHelpTitleOfResultantHtml 1705
#define IDC_Label33 1706
#define IDC_txtStandAloneExeFilenameNoPath 1707
#define IDC_cmdHelpStandAloneExeFilename 1708
#define IDC_fraMinimizeDownloadTime 1709
#define IDC_chkCreateMultiProgramCabs 1710
#define IDC_cmdHelpMinimizeDownloadTime 1711
#define IDC_Label27 1712
#define IDC_txtSignCodeCommands 1713
#define IDC_cmdSignCodeHelp 1714
#define IDC_chkSignEveryProgram 1715

// Panel 7.
#define IDC_lblWorkingTitle 1800
#define IDC_lblWorkingNote 1801
#define IDC_txtWorkProgress 1802
#define IDC_cmdCancelWork 1803

// The pop-up menus' items.
#define IDM_mnuSelectAllFiles 1900
#define IDM_mnuClearAllFiles 1901
#define IDM_mnuCreateLeaf 1902
#define IDM_mnuLinkTo 1903
#define IDM_mnuUnlink 1904
#define IDM_mnuRenameLeaf 1905
#define IDM_mnuDeleteLeaf 1906

// The modal windows.
#define IDC_lstLinkTo 2000
#define IDC_txtSuccess 2010
#define IDC_cmdPrint 2011
#define IDC_lblSamples 2020
#define IDC_cmdSamplesOpen 2021
#define IDC_txtHelp 2030
