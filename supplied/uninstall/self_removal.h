// How the uninstall program removes its own file. Windows build only.
//
// A running program cannot delete its own image, and the uninstall program lies in the
// product directory it removes. So, after the user agreed, the original copies itself to a
// new temporary directory of its own (the engine's "~ts" naming) and starts the copy with
// inherited handles of its own process and of a pipe, and its own path (/CLEANUP=,
// /STATUS=, /ORIGINAL=). The copy removes everything but the original's file, hands the
// exit status back through the pipe, and then waits for the original to end. The original
// waits for that status, so that a deployment tool reading its exit status finds the
// product gone: the program group, both registry keys and every file but its own. Before
// it ends, the original moves its own file into the copy's directory (a running program's
// file may be renamed, not deleted), so that only its emptied Uninstall folder is left,
// for the copy to remove a moment later together with the moved file.
//
// A user's process could start a copy of the program in a "~ts" directory of its own with
// these switches, naming a file of its own making as the original. So the copy honours them
// only when the handle is one of the process that started it, and that process runs the
// program /ORIGINAL names (the handle carries the query right for that check); and the
// copy checks the original's data as the original did, against the installed-programs
// record, which is still in place when the copy starts.
//
// The copy's own file is opened with delete-on-close before it starts and the handle is
// inherited, so the system deletes the file when the copy ends. Its directory cannot go
// while the copy runs from it; the copy leaves the empty directory (and, should the
// delete-on-close have failed, its file) to be removed at the next boot.
#pragma once

#include <string>

#include "win32_handles.h"

// The temporary copy, as the original sees it.
class TemporaryCopy {
 public:
  TemporaryCopy() = default;
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;

  // Starts the temporary copy of the program at `own_path`, passing on `log_file` (may be
  // empty). False when no copy could be made or started; nothing is left behind then.
  bool Start(const std::string& own_path, const std::string& log_file);

  // Waits until the copy has done the removal and returns its exit status; the failure
  // status when the copy ended without handing one over.
  int WaitForRemoval();

  // Moves the original's file at `own_path` into the copy's directory, where the copy
  // deletes it once the original has ended. False when it stays where it is (another
  // volume); the copy then deletes it there.
  bool MoveOriginalAside(const std::string& own_path) const;

 private:
  std::string directory_;  // ends with "\"
  UniqueHandle status_pipe_;
  UniqueHandle process_;
};

// The name under which the original's file waits in the copy's directory.
inline constexpr const char* kMovedOriginalName = "Original.exe";

// In the copy: true when `process_handle` is an inherited handle of the process that
// started this one, and that process runs the program at `original_program`.
bool IsStartedByOriginal(unsigned long long process_handle, const std::string& original_program);

// In the copy: hands `status` to the original through the inherited pipe `pipe_handle`
// (nothing when it is 0 or no pipe) and closes it.
void ReportStatusToOriginal(unsigned long long pipe_handle, int status);

// In the copy: waits until the original's process (the inherited handle) has ended.
void WaitForOriginal(unsigned long long process_handle);

// In the copy: true when the program runs from a temporary directory of its own.
bool RunsFromOwnTemporaryDirectory(const std::string& own_path);

// In the copy, once the original has ended: deletes the original's file that was moved
// beside the copy; true when there was one.
bool DeleteMovedOriginal(const std::string& own_path);

// In the copy: leaves its own file and directory for removal at the next boot.
void RemoveOwnDirectoryAtRestart(const std::string& own_path);
