// The InstallProgram action: a program cabinet stored in the attachment is taken out into
// the temporary directory and expanded into the product directory (or a sub-directory of
// it); every file written is added to the installed-files list.
#pragma once

#include <string>

struct RunState;

// Returns the error text: empty on success, else the one message of the failure.
// `cabinet_argument` is argument 1 of the line (only its file name counts),
// `sub_directory_argument` argument 7.
std::string InstallProgram(RunState& run, const std::string& cabinet_argument,
                           const std::string& sub_directory_argument);
