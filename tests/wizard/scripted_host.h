// A host for the wizard's model that records every call and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "host.h"

struct RecordedMessage {
  std::string text;
  std::string title;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
};

class ScriptedHost : public Host {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override;
  void ProcessEvents() override { ++events_processed; }
  void Sleep(int milliseconds) override { slept_milliseconds += milliseconds; }
  std::string BrowseForFolder(const std::string& prompt, int flags) override;
  std::string BrowseForFile(const std::string& filter, const std::string& default_extension) override;
  void ShowModalWindow(ModalWindow window) override { modal_windows.push_back(window); }
  void SetBusyPointer(bool busy) override { busy_pointer = busy; }
  void EndProgram() override { ended = true; }
  void OpenDocument(const std::string& address) override { opened_documents.push_back(address); }
  std::string ProgramDirectoryPath() override { return program_directory; }
  ProgramVersion GetProgramVersion() override { return version; }

  // The text of the only message shown so far; a test failure when there were others.
  std::string OnlyMessage() const;

  std::vector<RecordedMessage> messages;
  std::deque<MessageAnswer> answers;  // for Yes/No questions; Yes when it runs out
  std::deque<std::string> folder_answers;
  std::deque<std::string> file_answers;
  std::vector<ModalWindow> modal_windows;
  std::vector<std::string> opened_documents;
  std::string program_directory;
  ProgramVersion version{1, 2, 3};
  bool busy_pointer = false;
  bool ended = false;
  int events_processed = 0;
  int slept_milliseconds = 0;
};
