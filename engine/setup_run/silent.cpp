#include "silent.h"

#include "install_checks.h"
#include "run.h"
#include "temporary_directory.h"

namespace {

// Unattended answers: an earlier installation is replaced; a package whose signature cannot
// be checked is not run; the computer is never restarted (the exit status says it must be).
bool SilentAnswer(Question question) {
  switch (question) {
    case Question::RemovePreviousInstallation:
      return true;
    case Question::RunWithoutTrustCheck:
    case Question::CancelInstallation:
    case Question::RestartNow:
      return false;
  }
  return false;
}

int ExitStatusOf(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Succeeded:
      return kExitSuccess;
    case RunOutcome::RestartNeeded:
      return kExitRestartNeeded;
    case RunOutcome::Cancelled:
      return kExitCancelled;
    case RunOutcome::NotStarted:
    case RunOutcome::Failed:
      return kExitFailure;
  }
  return kExitFailure;
}

}  // namespace

void SilentUi::ShowMessage(const std::string& text) { log_.Append("Message: " + text); }

bool SilentUi::Ask(Question question, const std::string& text) {
  const bool answer = SilentAnswer(question);
  log_.Append("Question: " + text + (answer ? " -> Yes" : " -> No"));
  return answer;
}

void SilentUi::ShowLog(const std::string& log_text, int) { log_.Append(LastLogLine(log_text)); }

int RunSilently(RunState& run, const LogFile& log) {
  SilentUi ui(log);
  run.ui = &ui;
  if (!InitializeRun(run)) return kExitFailure;
  if (!PrepareInstallation(run, run.product_directory)) {
    DeleteTemporaryDirectory(run.temporary_directory);
    return kExitFailure;
  }
  run.installing = true;
  RunInstallation(run);
  return ExitStatusOf(run.outcome);
}
