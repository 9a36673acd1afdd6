// The directory chooser of the Change Folder button.
#pragma once

#include <windows.h>

#include <string>

// Shows the chooser (template 133) over `owner`, starting in the process's current
// directory. True with the chosen directory (ending with "\") on OK; false on Cancel.
bool ChooseDirectory(HWND owner, HINSTANCE instance, std::string& directory);
