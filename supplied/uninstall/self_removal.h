// How the uninstall program removes its own file. Windows build only.
//
// A running program cannot delete its own image, and the uninstall program lies in the
// product directory it removes. So, after the user agreed, the original copies itself to a
// new temporary directory of its own (the engine's "~ts" naming) and starts the copy with
// an inherited handle of its own process and its own path (/CLEANUP=, /ORIGINAL=). The
// original then removes everything else, says so, and ends. The copy waits for that end,
// runs the same removal once more on the original's data (which now deletes the original
// and the directories it kept), and ends without a window.
//
// A user's process could start a copy of the program in a "~ts" directory of its own with
// these switches, naming a file of its own making as the original. So the copy honours them
// only when the handle is one of the process that started it, and that process runs the
// program /ORIGINAL names (the handle carries the query right for that check); and the
// copy checks the original's data as the original did, against the installed-programs
// record, which the original leaves in place for that and the copy deletes.
//
// The copy's own file is opened with delete-on-close before it starts and the handle is
// inherited, so the system deletes the file when the copy ends. Its directory cannot go
// while the copy runs from it; the copy leaves the empty directory (and, should the
// delete-on-close have failed, its file) to be removed at the next boot.
#pragma once

#include <string>

// Starts the temporary copy of the program at `own_path`, passing on `log_file` (may be
// empty). False when no copy could be made or started; nothing is left behind then.
bool StartTemporaryCopy(const std::string& own_path, const std::string& log_file);

// In the copy: true when `process_handle` is an inherited handle of the process that
// started this one, and that process runs the program at `original_program`.
bool IsStartedByOriginal(unsigned long long process_handle, const std::string& original_program);

// In the copy: waits until the original's process (the inherited handle) has ended.
void WaitForOriginal(unsigned long long process_handle);

// In the copy: true when the program runs from a temporary directory of its own.
bool RunsFromOwnTemporaryDirectory(const std::string& own_path);

// In the copy: leaves its own file and directory for removal at the next boot.
void RemoveOwnDirectoryAtRestart(const std::string& own_path);
