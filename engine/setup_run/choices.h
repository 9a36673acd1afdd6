// What the install dialog offers before the run: the default destination, the program
// group, and the rule that keeps a chosen folder ending in the product's sub-directory.
#pragma once

#include <string>

#include "script.h"

inline constexpr const char* kInstalledProgramsKey = "SOFTWARE->Corvanta Install->Installed Programs";

// The destination offered first: the directory of an earlier installation of `product_name`
// while it is writable, else the SetProductDirectory value with "<ProgramFilesDir>"
// replaced. Ends with "\"; empty when the script names no product directory.
std::string DefaultDestination(const ScriptLines& script, const std::string& product_name);

// The program group of SetProductProgramGroup: its directory below the current user's
// Start-menu Programs folder (ending with "\") and its display name. False, with the
// directory empty and the name "(none)", when the product has no program group.
bool FindProgramGroup(const ScriptLines& script, std::string& directory, std::string& name);

// A folder the user chose, with "\" appended and the product sub-directory appended unless
// the folder already ends with it (D:\Tools and D:\Tools\Acme Paint both give
// D:\Tools\Acme Paint\).
std::string ChosenDestination(std::string folder, const std::string& product_sub_directory);
