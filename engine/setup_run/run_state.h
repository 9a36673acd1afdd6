// The state of one installation run and the interface it shows and asks through.
//
// The run state lives for the whole process. The user-interface thread fills it before the
// Install button starts the worker; from then on only the worker writes the installed-files
// list, the restart flag and the log. Cancel and pause reach the worker only as the flag
// files "~cancel.flg" and "~pause.flg" in the temporary directory, which it checks between
// script lines.
//
// The run shows and asks through EngineUi: the install dialog is one implementation, silent
// mode (no window, messages to the log) the other, so both follow the same code path.
// The installation actions take the run state; they need this header only, not the run's.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "held_file.h"
#include "script.h"

enum class Question {
  RunWithoutTrustCheck,
  RemovePreviousInstallation,
  CancelInstallation,
  RestartNow,
};

class EngineUi {
 public:
  virtual ~EngineUi() = default;
  // A message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question with Yes and No buttons; true for Yes.
  virtual bool Ask(Question question, const std::string& text) = 0;
  // The log text changed; `lines` lines have been added so far.
  virtual void ShowLog(const std::string& log_text, int lines) = 0;
  virtual void EnableCancel(bool enabled) = 0;
  // Ends the dialog (from the worker it posts a message to the dialog).
  virtual void CloseDialog() = 0;
};

enum class RunOutcome {
  NotStarted,
  Succeeded,
  RestartNeeded,
  Failed,
  Cancelled,
};

struct RunState {
  EngineOptions options;
  std::string own_exe_path;         // upper case, ends in ".EXE"
  // The program's own file, held from start-up on: the script, the signature check and the
  // attachment of the run are all read through it, from the same bytes.
  HeldFile own_exe;
  std::string temporary_directory;  // ends with "\"
  ScriptLines script;
  std::string product_name;
  std::string product_directory;  // ends with "\" once the run starts
  std::string product_sub_directory;
  std::string program_group_directory;  // ends with "\", or empty for none
  std::string program_group_name = "(none)";
  std::vector<std::string> previous_installation;
  std::vector<std::string> installed_files;
  bool restart_needed = false;
  bool installing = false;
  std::string log_text;
  int log_lines = 0;
  RunOutcome outcome = RunOutcome::NotStarted;
  void (*win_verify_trust)() = nullptr;  // WinTrust's WinVerifyTrust, when loaded
  EngineUi* ui = nullptr;
};

inline constexpr const char* kCancelFlagFile = "~cancel.flg";
inline constexpr const char* kPauseFlagFile = "~pause.flg";

// Appends CR LF and `text` to the log and shows it. Inline, so that a program that only
// writes to a run's log (the uninstall program) does not link the whole run.
inline void AddLogLine(RunState& run, const std::string& text) {
  run.log_text += "\r\n" + text;
  ++run.log_lines;
  run.ui->ShowLog(run.log_text, run.log_lines);
}
