// The uninstall program: reads the uninstall data appended to its own file, asks, has its
// temporary copy remove the installation with the engine's removal rules
// (engine/install_actions/uninstall.h) and the program itself (self_removal.h), and reports.
//
// Exit status, in the dialog and with /S, as deployment tools read it: 0 removed, 3010
// removed but files in use go at the next boot, 1602 the user answered No (nothing is
// changed), 1603 failed (damaged data or a bad command line, nothing changed; or a
// temporary copy that ended without finishing the removal). The status is final: the
// original ends only after its copy has done the removal (self_removal.h).
#pragma once

#include "uninstall_options.h"

int RunUninstaller(const UninstallOptions& options);
