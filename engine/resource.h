// Resource and control identifiers of the setup engine's window.
#pragma once

#define IDR_MAINFRAME 128

#define IDD_INSTALL 102
#define IDD_CHOOSE_DIRECTORY 133

#define IDC_LOG_TEXT 1000
#define IDC_INSTALL 1001
#define IDC_CANCEL_RUN 1002
#define IDC_DESTINATION_GROUP 1005
#define IDC_PROGRAM_GROUP_GROUP 1006
#define IDC_DESTINATION 201
#define IDC_CHANGE_FOLDER 202
#define IDC_PRODUCT_NAME 203
#define IDC_PROGRAM_GROUP 204
#define IDC_CHANGE_PROGRAM_GROUP 205
