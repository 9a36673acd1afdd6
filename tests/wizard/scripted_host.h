// A host for the wizard's model that records every call and answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <utility>
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
  void ProcessEvents() override {
    ++events_processed;
    if (on_process_events) on_process_events();
  }
  void Sleep(int milliseconds) override { slept_milliseconds += milliseconds; }
  std::string BrowseForFolder(const std::string& prompt, int flags) override;
  std::string BrowseForFile(const std::string& filter, const std::string& default_extension) override;
  void ShowModalWindow(ModalWindow window) override {
    modal_windows.push_back(window);
    if (on_modal_window) on_modal_window(window);
  }
  void ShowPopupMenu(PopupMenu menu) override { popup_menus.push_back(menu); }
  void BeginTreeLabelEdit(int node) override { label_edits.push_back(node); }
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
  std::vector<std::pair<std::string, std::string>> file_requests;  // filter, default extension
  std::vector<ModalWindow> modal_windows;
  std::vector<PopupMenu> popup_menus;
  std::vector<int> label_edits;
  // What the user does while the window processes events, or while a modal window is open.
  std::function<void()> on_process_events;
  std::function<void(ModalWindow)> on_modal_window;
  std::vector<std::string> opened_documents;
  std::string program_directory;
  ProgramVersion version{1, 2, 3};
  bool busy_pointer = false;
  bool ended = false;
  int events_processed = 0;
  int slept_milliseconds = 0;
};
