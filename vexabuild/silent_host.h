// A host with nobody in front of it: messages are answered OK (Yes to a question),
// dialogs are cancelled, windows and menus close at once. Programs that drive the model
// without a window (fuzz targets, benchmarks) start from it and override what they need.
#pragma once

#include <string>

#include "host.h"

class SilentHost : public Host {
 public:
  MessageAnswer ShowMessage(const std::string&, const std::string&, MessageIcon, MessageButtons buttons) override {
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
  }
  void ProcessEvents() override {}
  void Sleep(int) override {}
  std::string BrowseForFolder(const std::string&, int) override { return {}; }
  std::string BrowseForFile(const std::string&, const std::string&) override { return {}; }
  void ShowModalWindow(ModalWindow) override {}
  void ShowPopupMenu(PopupMenu) override {}
  void BeginTreeLabelEdit(int) override {}
  void SetBusyPointer(bool) override {}
  void EndProgram() override {}
  void OpenDocument(const std::string&) override {}
  std::string ProgramDirectoryPath() override { return wizard_directory; }
  ProgramVersion GetProgramVersion() override { return {}; }

  // The wizard's own directory as the host reports it.
  std::string wizard_directory;
};
