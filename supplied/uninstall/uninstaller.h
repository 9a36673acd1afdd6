// The uninstall program: reads the uninstall data appended to its own file, asks, removes
// the installation with the engine's removal rules (engine/uninstall.h), removes itself
// (self_removal.h) and reports.
//
// Exit status, in the dialog and with /S, as deployment tools read it: 0 removed, 3010
// removed but files in use go at the next boot, 1602 the user answered No, 1603 failed
// (damaged data, a bad command line); nothing is changed on 1602 and 1603.
#pragma once

#include "uninstall_options.h"

int RunUninstaller(const UninstallOptions& options);
