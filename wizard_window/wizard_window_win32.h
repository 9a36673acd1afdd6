// The wizard's Win32 window: the face of the Form1 model that a developer uses. It shows
// the model's state in real controls and reports every user action to the model's
// handler of the same name, then shows the model's new state. It holds no wizard
// behaviour of its own: what to enable, show, refuse or ask is the model's.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "form1.h"
#include "host.h"

// Posted by the cabinet builder's worker to wake the window's thread while the model waits.
inline constexpr UINT kWakeMessage = WM_APP + 1;

class WizardWindow final : public Host {
 public:
  explicit WizardWindow(HINSTANCE instance);
  ~WizardWindow() override;
  WizardWindow(const WizardWindow&) = delete;
  WizardWindow& operator=(const WizardWindow&) = delete;

  // Creates the window, runs Form_Load and the message loop until the program ends; the
  // program's exit status.
  int Run(Form1& form);
  HWND handle() const { return main_; }

  // --- Host -----------------------------------------------------------------------------
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override;
  void ProcessEvents() override;
  void Sleep(int milliseconds) override;
  std::string BrowseForFolder(const std::string& prompt, int flags) override;
  std::string BrowseForFile(const std::string& filter, const std::string& default_extension) override;
  void ShowModalWindow(ModalWindow window) override;
  void ShowPopupMenu(PopupMenu menu) override;
  void BeginTreeLabelEdit(int node) override;
  void SetBusyPointer(bool busy) override;
  void EndProgram() override;
  void OpenDocument(const std::string& address) override;
  std::string ProgramDirectoryPath() override;
  ProgramVersion GetProgramVersion() override;

 private:
  // Asks the window to refresh after a notification that must return before the model's
  // state may change the control that sent it (the end of a tree label edit).
  static constexpr UINT kRefreshMessage = WM_APP + 2;
  static constexpr UINT kEditLabelMessage = WM_APP + 3;
  static constexpr UINT kRestoreFocusMessage = WM_APP + 4;
  static constexpr const char* kDefaultMessageTitle = "VexaWizard";

  // A control of the window and the model state it shows.
  enum class Kind { Button, Label, TextBox, CheckBox, StringList, DataList, Tree, Frame };
  struct Binding {
    int id;
    Control* control;
    Kind kind;
    HWND window = nullptr;
    // What the window shows now, so that a refresh only touches what changed.
    std::string shown_text;
    std::vector<std::string> shown_lines;
    bool shown_enabled = true;
    bool shown_visible = true;
    COLORREF shown_colour = CLR_INVALID;
  };

  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK DataListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR self);
  // The tree's menu from the keyboard: the menu key and Shift+F10.
  static LRESULT CALLBACK TreeKeysProc(HWND tree, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR self);
  void OpenTreeMenuFromKeyboard();
  POINT PopupMenuPoint(PopupMenu menu);
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR HandleOwnMessage(HWND dialog, UINT message, WPARAM wparam);
  INT_PTR OnSetCursor(HWND dialog, HWND under_pointer);
  void CreateControls();
  void BindControls();
  void Bind(int id, Control& control, Kind kind);
  Binding* FindBinding(int id);
  Binding* FindBinding(const Control& control);
  // The window of control `id`.
  HWND Item(int id);
  static std::string WindowText(HWND window);

  // Runs a handler of the model and shows the state it leaves.
  template <typename Handler>
  void Do(Handler&& handler) {
    if (ended_) return;
    focus_to_restore_ = nullptr;
    handler();
    Refresh();
  }
  void OnCommand(int id, int code, HWND control);
  // A button pressed or a list line chosen: the model's Click handler of the control.
  void OnClick(int id);
  LRESULT OnNotify(const NMHDR& header);
  void OnDataListClick(HWND list, POINT point, bool right_button);
  void ToggleProgramFile(int index);

  // Showing the model's state.
  void Refresh();
  void RefreshControl(Binding& binding);
  void RefreshCaption(Binding& binding);
  void RefreshTextBox(Binding& binding);
  void RefreshStringList(Binding& binding);
  void RefreshDataList(Binding& binding);
  void RefreshTree();
  std::vector<int> ShownTreeOrder() const;
  void RebuildTree(const std::vector<int>& order);
  void RefreshFocus();
  void Layout();
  RECT TwipsToPixels(const Placement& placement) const;
  void MakeFonts();
  HBRUSH ColourFor(HWND control, HDC dc);
  void DrawDataLine(const DRAWITEMSTRUCT& item);
  void DrawLogo(const DRAWITEMSTRUCT& item);

  HINSTANCE instance_;
  Form1* form_ = nullptr;
  HWND main_ = nullptr;
  std::array<HWND, kStepCount> panels_{};
  HWND tool_tips_ = nullptr;
  HIMAGELIST tree_images_ = nullptr;
  HFONT title_font_ = nullptr;
  HFONT heading_font_ = nullptr;
  HFONT link_font_ = nullptr;
  std::vector<Binding> bindings_;
  std::vector<HBRUSH> brushes_;
  // The tree as shown: one item per model node (same index), and what was shown.
  std::vector<HTREEITEM> tree_items_;
  std::vector<ProgramGroupNode> shown_tree_;
  std::vector<int> shown_tree_order_;
  int shown_tree_selected_ = -2;
  std::string shown_caption_;
  std::array<bool, kStepCount> shown_panel_visible_{};
  int shown_focus_requests_ = 0;
  // The control the model last asked to focus: given the focus again when the window is
  // activated after a message box, which hands the focus back to the control it took it from.
  HWND focus_to_restore_ = nullptr;
  // Set while the window itself changes controls, whose notifications are then not the user's.
  int updating_ = 0;
  bool busy_ = false;
  // The next tree menu opens at the selected node rather than at the pointer.
  bool tree_menu_at_selection_ = false;
  bool ended_ = false;
  int exit_status_ = 0;
};
