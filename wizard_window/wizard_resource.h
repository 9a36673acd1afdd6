// Resource symbols of the wizard window. Each control's symbol is IDC_ + the control's name
// in the Form1 model, so a template, the window code and a test driver speak of the same
// control. The panels are child dialogs of the main window; their controls keep window
// identifiers unique across all of them, so one handler serves every panel.
#pragma once

#include "wizard_controls.h"

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

// The main window's panels: IDC_fraStep0 + index.
#define IDC_fraStep0 1010

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

#ifndef RC_INVOKED
// The identifiers of the main window's and the panels' controls, from the control table.
#define WIZARD_CONTROL_ID(kind, name, id, ...) IDC_##name = id,
enum WizardControlId : int { WIZARD_CONTROLS(WIZARD_CONTROL_ID) };
#undef WIZARD_CONTROL_ID
#endif
