// Everything the wizard's model asks of a person or of the platform. The Win32 window
// implements it with real dialogs, the console front end prints messages and answers
// questions from its options, and the tests script it and record every call.
#pragma once

#include <string>

enum class MessageIcon { None, Information, Exclamation, Question, Critical };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The small modal windows of the wizard. Their texts come from the model (HelpWindowText);
// the samples window's buttons call back into the model.
// frmLinkTo's list is the model's lstLinkTo; its buttons call frmLinkTo_cmdOK_Click and
// frmLinkTo_cmdCancel_Click.
enum class ModalWindow { Samples, OcxListHelp, MinimizeDownloadTimeHelp, SignCodeHelp, LinkTo };

// The window's two pop-up menus: mnuSelectFiles over List1, mnuCreate over TreeView1. A
// chosen item calls its handler in the model.
enum class PopupMenu { SelectFiles, Create };

enum class MouseButton { Left, Right, Middle };

struct ProgramVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  // A message box. An empty title means the program's default title.
  virtual MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                    MessageButtons buttons) = 0;
  // Lets the window process its pending events (which may run other handlers of the model).
  virtual void ProcessEvents() = 0;
  virtual void Sleep(int milliseconds) = 0;

  // The folder dialog: the chosen directory ending in a separator, or empty when cancelled.
  virtual std::string BrowseForFolder(const std::string& prompt, int flags) = 0;
  // The file dialog: the chosen file's full path, or empty when cancelled. The filter is
  // "description|pattern|..." ending in "||".
  virtual std::string BrowseForFile(const std::string& filter, const std::string& default_extension) = 0;

  // Shows a modal window and returns when it is closed.
  virtual void ShowModalWindow(ModalWindow window) = 0;
  // Shows a pop-up menu at the mouse pointer; returns when it is closed.
  virtual void ShowPopupMenu(PopupMenu menu) = 0;
  // Starts editing the text of the tree's node `node` in place; when the edit ends the
  // window calls TreeView1_AfterLabelEdit.
  virtual void BeginTreeLabelEdit(int node) = 0;
  virtual void SetBusyPointer(bool busy) = 0;
  // Ends the program; the model returns from the handler that asked for it.
  virtual void EndProgram() = 0;
  // Opens a web address or document with the system's default handler.
  virtual void OpenDocument(const std::string& address) = 0;

  // The directory of the running program (with or without a final separator) and its version.
  virtual std::string ProgramDirectoryPath() = 0;
  virtual ProgramVersion GetProgramVersion() = 0;
};
