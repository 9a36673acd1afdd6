// A host for the release builder alone, without the wizard: it records what the builder
// reports and answers its questions from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "release_builder.h"

class RecordedReleaseHost : public ReleaseHost {
 public:
  void AppendProgressLine(const std::string& line) override { progress += line + "\r\n"; }
  void ProcessEvents() override {}
  void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
  void ShowCriticalMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
  bool Ask(const std::string& text, const std::string&) override {
    messages.push_back(text);
    const bool yes = answers.empty() || answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  bool KeepWorking() const override { return keep_working; }
  void SetKeepWorking(bool value) override { keep_working = value; }
  void WorkStarted() override { ++work_started; }
  void PackageMade(const ReleaseFieldValues&) override {}

  std::string progress;
  std::vector<std::string> messages;
  std::deque<bool> answers;  // for questions; Yes when it runs out
  bool keep_working = false;
  int work_started = 0;
};
