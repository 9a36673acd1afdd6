// Start-up and the installation run of the setup engine (the state it works on is in
// run_state.h).
#pragma once

#include "run_state.h"

// Start-up: takes the script out of the package, checks the signature when the script
// asks for it, takes the attachment out again for the run and works out the product name,
// destination and program group. False after a stop; its message has been shown and no
// temporary directory is left.
bool InitializeRun(RunState& run);

// The installation run (the worker). Sets run.outcome and ends by closing the dialog.
void RunInstallation(RunState& run);

// The end of a run once the installation actions are done: program groups, uninstall
// program, installed-programs record, removal of the temporary directory, then either
// the restart question or the done message and the Execute program. Closes the dialog.
void FinishInstallation(RunState& run);

// Called inside a catch block at a boundary of the engine (WinMain, the window procedure,
// the worker), where no exception may pass: shows "Error. " and what went wrong, removes
// the temporary directory and marks the run failed. Throws nothing.
void StopRunAfterException(RunState& run) noexcept;
