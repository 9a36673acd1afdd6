// Silent mode (/S): the run without a window. Messages and questions go to the log file;
// questions get the answer an unattended installation needs.
#pragma once

#include "log_file.h"
#include "run_state.h"

class SilentUi : public EngineUi {
 public:
  explicit SilentUi(const LogFile& log) : log_(log) {}
  void ShowMessage(const std::string& text) override;
  bool Ask(Question question, const std::string& text) override;
  void ShowLog(const std::string& log_text, int lines) override;
  void EnableCancel(bool) override {}
  void CloseDialog() override {}

 private:
  const LogFile& log_;
};

// Installs without a window and returns the exit status for deployment tools.
int RunSilently(RunState& run, const LogFile& log);
