// The control's two property pages: "General" (CVexausaPropPage, dialog 101), which edits
// AutoSize and Enabled of every selected control, and "About" (CAboutPropPage, dialog
// 220), which edits nothing.
#pragma once

#include <windows.h>
#include <ole2.h>

HRESULT CreateVexausaPropPage(REFIID iid, void** object);
HRESULT CreateAboutPropPage(REFIID iid, void** object);
