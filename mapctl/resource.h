// Resource identifiers of VEXAUSA.OCX. Hosts and tools read some of them by number (the
// toolbox picture 1, the type library 1), so the numbers are fixed.
#pragma once

// Pictures.
#define IDB_TOOLBOX 1
#define IDB_MASK 207
#define IDB_MAP 221
#define IDB_COLOUR_STRIP 236
#define IDI_VEXAUSA 10

// Strings.
#define IDS_CONTROL_NAME 1
#define IDS_PROPERTY_PAGE_NAME 2
#define IDS_GENERAL_PAGE_TITLE 101
#define IDS_ABOUT_PAGE_NAME 102
#define IDS_ABOUT_PAGE_TITLE 103

// Dialogs and their controls.
#define IDD_ABOUTBOX 100
#define IDD_GENERAL_PAGE 101
#define IDD_ABOUT_PAGE 220
#define IDC_AUTOSIZE 201
#define IDC_ENABLED 202
