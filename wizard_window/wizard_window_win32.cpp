#include "wizard_window_win32.h"

#include <commdlg.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "documents.h"
#include "modal_windows.h"
#include "window_pictures.h"
#include "wizard_resource.h"

namespace {

// Asks the window to refresh after a notification that must return before the model's
// state may change the control that sent it (the end of a tree label edit).
constexpr UINT kRefreshMessage = WM_APP + 2;
constexpr UINT kEditLabelMessage = WM_APP + 3;
constexpr UINT kRestoreFocusMessage = WM_APP + 4;
constexpr const char* kDefaultMessageTitle = "VexaWizard";

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

COLORREF ToColorRef(const Colour& colour) { return RGB(colour.red, colour.green, colour.blue); }

struct PanelTemplate {
  int resource;
  int step;
};

// A filter "description|pattern|...||" as the file dialog wants it: NUL-separated, two
// NULs at the end.
std::string DialogFilter(const std::string& filter) {
  std::string result = filter;
  std::replace(result.begin(), result.end(), '|', '\0');
  while (result.size() < 2 || result[result.size() - 1] != '\0' || result[result.size() - 2] != '\0') {
    result.push_back('\0');
  }
  return result;
}

}  // namespace

WizardWindow::WizardWindow(HINSTANCE instance) : instance_(instance) {}

WizardWindow::~WizardWindow() {
  if (main_ && IsWindow(main_)) DestroyWindow(main_);
  for (HBRUSH brush : brushes_) DeleteObject(brush);
  for (HFONT font : {title_font_, heading_font_, link_font_}) {
    if (font) DeleteObject(font);
  }
  if (tree_images_) ImageList_Destroy(tree_images_);
}

// --- Creation and binding -------------------------------------------------------------

int WizardWindow::Run(Form1& form) {
  form_ = &form;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  main_ = CreateDialogParamA(instance_, MAKEINTRESOURCEA(IDD_Form1), nullptr, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  if (!main_) {
    MessageBoxA(nullptr, "Error. The wizard window cannot be created.", kDefaultMessageTitle, MB_OK | MB_ICONSTOP);
    return 1;
  }
  CreateControls();
  form.Form_Load();
  if (ended_) return exit_status_;
  Layout();
  Refresh();
  ShowWindow(main_, SW_SHOW);
  RefreshFocus();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(main_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return exit_status_;
}

void WizardWindow::CreateControls() {
  static constexpr PanelTemplate kPanels[] = {{IDD_fraStep0, 0}, {IDD_fraStep1, 1}, {IDD_fraStep2, 2},
                                               {IDD_fraStep3, 3}, {IDD_fraStep4, 4}, {IDD_fraStep5, 5},
                                               {IDD_fraStep6, 6}, {IDD_fraStep7, 7}};
  for (const PanelTemplate& panel : kPanels) {
    HWND window = CreateDialogParamA(instance_, MAKEINTRESOURCEA(panel.resource), main_, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    SetWindowLongPtrA(window, GWLP_ID, IDC_fraStep0 + panel.step);
    panels_[static_cast<std::size_t>(panel.step)] = window;
  }
  BindControls();
  MakeFonts();
  tool_tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, main_, nullptr, instance_, nullptr);
  for (Binding& binding : bindings_) {
    if (binding.control->tool_tip.empty() || !binding.window) continue;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(binding.window);
    tool.uId = reinterpret_cast<UINT_PTR>(binding.window);
    tool.lpszText = binding.control->tool_tip.data();
    SendMessageA(tool_tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageA(tool_tips_, TTM_SETMAXTIPWIDTH, 0, 400);

  const UINT dpi = GetDpiForWindow(main_);
  const int icon_size = MulDiv(16, static_cast<int>(dpi ? dpi : 96), 96);
  tree_images_ = MakeProgramGroupImages(icon_size);
  HWND tree = Item(IDC_TreeView1);
  TreeView_SetImageList(tree, tree_images_, TVSIL_NORMAL);
  for (int id : {IDC_List1, IDC_List2}) SetWindowSubclass(Item(id), DataListProc, 1, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(tree, TreeKeysProc, 1, reinterpret_cast<DWORD_PTR>(this));
  SendMessageA(Item(IDC_txtSignCodeCommands), EM_SETLIMITTEXT, 0, 0);
  SendMessageA(Item(IDC_txtWorkProgress), EM_SETLIMITTEXT, 0, 0);
}

void WizardWindow::Bind(int id, Control& control, Kind kind) {
  Binding binding{id, &control, kind, nullptr, {}, {}, true, true, CLR_INVALID};
  for (HWND parent : panels_) {
    if (HWND window = GetDlgItem(parent, id)) binding.window = window;
  }
  if (!binding.window) binding.window = GetDlgItem(main_, id);
  binding.shown_enabled = IsWindowEnabled(binding.window) != FALSE;
  binding.shown_visible = (GetWindowLongA(binding.window, GWL_STYLE) & WS_VISIBLE) != 0;
  binding.shown_text = kind == Kind::TextBox ? "" : WindowText(binding.window);
  bindings_.push_back(std::move(binding));
}

void WizardWindow::BindControls() {
  Form1& f = *form_;
  const auto button = [this](int id, Control& control) { Bind(id, control, Kind::Button); };
  const auto label = [this](int id, Control& control) { Bind(id, control, Kind::Label); };
  const auto text = [this](int id, Control& control) { Bind(id, control, Kind::TextBox); };

  Bind(IDC_picLogo, f.picLogo, Kind::Frame);
  Bind(IDC_picStatusbar, f.picStatusbar, Kind::Frame);
  label(IDC_Label32, f.Label32);
  for (const auto& [id, control] : {std::pair<int, Control*>{IDC_cmdBack, &f.cmdBack}, {IDC_cmdNext, &f.cmdNext},
                                    {IDC_cmdFinish, &f.cmdFinish}, {IDC_cmdExit, &f.cmdExit},
                                    {IDC_cmdSamples, &f.cmdSamples}}) {
    button(id, *control);
  }

  label(IDC_Label4, f.Label4);
  label(IDC_Label23, f.Label23);
  label(IDC_Label5, f.Label5);
  label(IDC_Label13, f.Label13);
  label(IDC_Label16, f.Label16);
  label(IDC_Label17, f.Label17);
  label(IDC_lblVersion, f.lblVersion);

  Bind(IDC_Frame1, f.Frame1, Kind::Frame);
  text(IDC_txtDirectoryName, f.txtDirectoryName);
  button(IDC_cmdSelectDirectory, f.cmdSelectDirectory);
  button(IDC_cmdCancel, f.cmdCancel);
  button(IDC_cmdHelpSelectDirectory, f.cmdHelpSelectDirectory);
  label(IDC_lblProgramFriendlyName, f.lblProgramFriendlyName);
  text(IDC_txtProgramFriendlyName, f.txtProgramFriendlyName);
  button(IDC_cmdHelpProgramFriendlyName, f.cmdHelpProgramFriendlyName);
  label(IDC_lblCompanyName, f.lblCompanyName);
  text(IDC_txtCompanyName, f.txtCompanyName);
  button(IDC_cmdHelpCompanyName, f.cmdHelpCompanyName);
  label(IDC_lblWebSiteURL, f.lblWebSiteURL);
  text(IDC_txtWebSiteURL, f.txtWebSiteURL);
  button(IDC_cmdHelpWebSiteURL, f.cmdHelpWebSiteURL);
  label(IDC_lblActiveXURL, f.lblActiveXURL);
  text(IDC_txtActiveXUrl, f.txtActiveXUrl);
  button(IDC_cmdHelpActiveXURL, f.cmdHelpActiveXURL);
  label(IDC_lblPublicationURL, f.lblPublicationURL);
  text(IDC_txtPublicationURL, f.txtPublicationURL);
  button(IDC_cmdHelpPublicationURL, f.cmdHelpPublicationURL);

  label(IDC_Label2, f.Label2);
  label(IDC_Label8, f.Label8);
  label(IDC_Label9, f.Label9);
  Bind(IDC_List1, f.List1, Kind::DataList);
  Bind(IDC_List2, f.List2, Kind::DataList);
  Bind(IDC_chkShowSelectedItemsOnly, f.chkShowSelectedItemsOnly, Kind::CheckBox);
  text(IDC_txtSelectedItem, f.txtSelectedItem);
  label(IDC_lblStep2Note, f.lblStep2Note);
  button(IDC_cmdHelpSelectProgramFiles, f.cmdHelpSelectProgramFiles);

  label(IDC_Label3, f.Label3);
  Bind(IDC_List3, f.List3, Kind::StringList);
  label(IDC_Label21, f.Label21);
  text(IDC_txtExeFilename, f.txtExeFilename);
  label(IDC_lblExeParas, f.lblExeParas);
  text(IDC_txtExeParas, f.txtExeParas);
  button(IDC_cmdHelpExeListbox, f.cmdHelpExeListbox);

  label(IDC_Label7, f.Label7);
  Bind(IDC_TreeView1, f.TreeView1, Kind::Tree);
  button(IDC_cmdHelpProgramGroup, f.cmdHelpProgramGroup);

  label(IDC_Label14, f.Label14);
  Bind(IDC_lstOCX, f.lstOCX, Kind::StringList);
  button(IDC_cmdAddOCX, f.cmdAddOCX);
  button(IDC_cmdRemoveOCX, f.cmdRemoveOCX);
  button(IDC_cmdHelpOcxList, f.cmdHelpOcxList);
  label(IDC_Label15, f.Label15);
  Bind(IDC_lstDLL, f.lstDLL, Kind::StringList);
  button(IDC_cmdAddDLL, f.cmdAddDLL);
  button(IDC_cmdRemoveDLL, f.cmdRemoveDLL);
  button(IDC_cmdHelpDllList, f.cmdHelpDllList);

  label(IDC_Label18, f.Label18);
  text(IDC_txtHtmlFilenameNoPath, f.txtHtmlFilenameNoPath);
  button(IDC_cmdHelpResultantHtmlPage, f.cmdHelpResultantHtmlPage);
  label(IDC_Label24, f.Label24);
  text(IDC_txtHtmlTitle, f.txtHtmlTitle);
  button(IDC_cmdHelpTitleOfResultantHtml, f.cmdHelpTitleOfResultantHtml);
  label(IDC_Label33, f.Label33);
  text(IDC_txtStandAloneExeFilenameNoPath, f.txtStandAloneExeFilenameNoPath);
  button(IDC_cmdHelpStandAloneExeFilename, f.cmdHelpStandAloneExeFilename);
  Bind(IDC_fraMinimizeDownloadTime, f.fraMinimizeDownloadTime, Kind::Frame);
  Bind(IDC_chkCreateMultiProgramCabs, f.chkCreateMultiProgramCabs, Kind::CheckBox);
  button(IDC_cmdHelpMinimizeDownloadTime, f.cmdHelpMinimizeDownloadTime);
  label(IDC_Label27, f.Label27);
  text(IDC_txtSignCodeCommands, f.txtSignCodeCommands);
  button(IDC_cmdSignCodeHelp, f.cmdSignCodeHelp);
  Bind(IDC_chkSignEveryProgram, f.chkSignEveryProgram, Kind::CheckBox);

  label(IDC_lblWorkingTitle, f.lblWorkingTitle);
  label(IDC_lblWorkingNote, f.lblWorkingNote);
  text(IDC_txtWorkProgress, f.txtWorkProgress);
  button(IDC_cmdCancelWork, f.cmdCancelWork);
}

WizardWindow::Binding* WizardWindow::FindBinding(int id) {
  for (Binding& binding : bindings_) {
    if (binding.id == id) return &binding;
  }
  return nullptr;
}

HWND WizardWindow::Item(int id) {
  Binding* binding = FindBinding(id);
  return binding ? binding->window : nullptr;
}

WizardWindow::Binding* WizardWindow::FindBinding(const Control& control) {
  for (Binding& binding : bindings_) {
    if (binding.control == &control) return &binding;
  }
  return nullptr;
}

void WizardWindow::MakeFonts() {
  HFONT dialog_font = reinterpret_cast<HFONT>(SendMessageA(main_, WM_GETFONT, 0, 0));
  LOGFONTA base{};
  GetObjectA(dialog_font, sizeof base, &base);
  LOGFONTA title = base;
  title.lfHeight = base.lfHeight * 2;
  title.lfWeight = FW_BOLD;
  title_font_ = CreateFontIndirectA(&title);
  LOGFONTA heading = base;
  heading.lfWeight = FW_BOLD;
  heading_font_ = CreateFontIndirectA(&heading);
  LOGFONTA link = base;
  link.lfUnderline = TRUE;
  link_font_ = CreateFontIndirectA(&link);
  for (int id : {IDC_Label23}) SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(title_font_), TRUE);
  for (int id : {IDC_Label4, IDC_Label2, IDC_Label3, IDC_Label7, IDC_Label14, IDC_Label15, IDC_lblWorkingTitle}) {
    SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(heading_font_), TRUE);
  }
  SendMessageA(Item(IDC_Label32), WM_SETFONT, reinterpret_cast<WPARAM>(link_font_), TRUE);
}

// --- Messages -------------------------------------------------------------------------

INT_PTR CALLBACK WizardWindow::DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lparam);
    return FALSE;
  }
  auto* self = reinterpret_cast<WizardWindow*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (message == WM_MEASUREITEM) {
    // Sent while the lists are created, before the window knows itself: one line of the
    // dialog's font and a little air.
    auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    measure.itemHeight = static_cast<UINT>(metrics.tmHeight + 3);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  if (!self) return FALSE;
  return self->HandleMessage(dialog, message, wparam, lparam);
}

INT_PTR WizardWindow::HandleMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return TRUE;
    case WM_NOTIFY: {
      const LRESULT result = OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlID == IDC_picLogo) {
        DrawLogo(item);
      } else {
        DrawDataLine(item);
      }
      return TRUE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (HBRUSH brush = ColourFor(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam))) {
        return reinterpret_cast<INT_PTR>(brush);
      }
      return FALSE;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      if (reinterpret_cast<HWND>(wparam) == Item(IDC_Label32)) {
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (dialog == main_) Do([this] { form_->cmdExit_Click(); });
      return TRUE;
    case WM_DPICHANGED:
      if (dialog == main_) {
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        SetWindowPos(main_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout();
      }
      return TRUE;
    case kRefreshMessage:
      Refresh();
      return TRUE;
    case kEditLabelMessage: {
      const auto node = static_cast<std::size_t>(wparam);
      if (node < tree_items_.size() && tree_items_[node]) {
        HWND tree = Item(IDC_TreeView1);
        SetFocus(tree);
        TreeView_EditLabel(tree, tree_items_[node]);
      }
      return TRUE;
    }
    case kWakeMessage:
      return TRUE;
    case WM_ACTIVATE:
      if (dialog == main_ && LOWORD(wparam) != WA_INACTIVE && focus_to_restore_) {
        PostMessageA(main_, kRestoreFocusMessage, 0, 0);
      }
      return FALSE;
    case kRestoreFocusMessage:
      if (focus_to_restore_ && IsWindowEnabled(focus_to_restore_) && IsWindowVisible(focus_to_restore_)) {
        SendMessageA(main_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus_to_restore_), TRUE);
      }
      focus_to_restore_ = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

void WizardWindow::OnCommand(int id, int code, HWND control) {
  if (updating_ || ended_ || !form_) return;
  Binding* binding = FindBinding(id);
  if (!binding) return;  // IDOK and IDCANCEL of the keyboard: the wizard has no such buttons
  Form1& f = *form_;
  switch (binding->kind) {
    case Kind::Button:
      if (code == BN_CLICKED) OnButton(id);
      return;
    case Kind::Label:
      if (id == IDC_Label32 && code == STN_CLICKED) Do([&f] { f.Label32_Click(); });
      return;
    case Kind::TextBox:
      if (code == EN_CHANGE) {
        auto& box = *static_cast<TextBox*>(binding->control);
        std::string text = WindowText(control);
        binding->shown_text = text;
        Do([&f, &box, &text] { f.SetText(box, std::move(text)); });
      }
      return;
    case Kind::CheckBox:
      if (code == BN_CLICKED) {
        auto& box = *static_cast<CheckBox*>(binding->control);
        box.value = Button_GetCheck(control) == BST_CHECKED ? 1 : 0;
        if (id == IDC_chkShowSelectedItemsOnly) {
          Do([&f] { f.chkShowSelectedItemsOnly_Click(); });
        } else {
          Refresh();
        }
      }
      return;
    case Kind::StringList:
    case Kind::DataList:
      if (code == LBN_SELCHANGE) {
        auto& list = *static_cast<ListBox*>(binding->control);
        list.list_index = ListBox_GetCurSel(control);
        switch (id) {
          case IDC_List1: Do([&f] { f.List1_Click(); }); break;
          case IDC_List2: Do([&f] { f.List2_Click(); }); break;
          case IDC_List3: Do([&f] { f.List3_Click(); }); break;
          case IDC_lstOCX: Do([&f] { f.lstOCX_Click(); }); break;
          case IDC_lstDLL: Do([&f] { f.lstDLL_Click(); }); break;
          default: break;
        }
      }
      return;
    case Kind::Tree:
    case Kind::Frame:
      return;
  }
}

void WizardWindow::OnButton(int id) {
  Form1& f = *form_;
  using Click = void (Form1::*)();
  static constexpr std::pair<int, Click> kClicks[] = {
      {IDC_cmdBack, &Form1::cmdBack_Click},
      {IDC_cmdNext, &Form1::cmdNext_Click},
      {IDC_cmdFinish, &Form1::cmdFinish_Click},
      {IDC_cmdExit, &Form1::cmdExit_Click},
      {IDC_cmdSamples, &Form1::cmdSamples_Click},
      {IDC_cmdSelectDirectory, &Form1::cmdSelectDirectory_Click},
      {IDC_cmdCancel, &Form1::cmdCancel_Click},
      {IDC_cmdHelpSelectDirectory, &Form1::cmdHelpSelectDirectory_Click},
      {IDC_cmdHelpProgramFriendlyName, &Form1::cmdHelpProgramFriendlyName_Click},
      {IDC_cmdHelpCompanyName, &Form1::cmdHelpCompanyName_Click},
      {IDC_cmdHelpWebSiteURL, &Form1::cmdHelpWebSiteURL_Click},
      {IDC_cmdHelpActiveXURL, &Form1::cmdHelpActiveXURL_Click},
      {IDC_cmdHelpPublicationURL, &Form1::cmdHelpPublicationURL_Click},
      {IDC_cmdHelpSelectProgramFiles, &Form1::cmdHelpSelectProgramFiles_Click},
      {IDC_cmdHelpExeListbox, &Form1::cmdHelpExeListbox_Click},
      {IDC_cmdHelpProgramGroup, &Form1::cmdHelpProgramGroup_Click},
      {IDC_cmdAddOCX, &Form1::cmdAddOCX_Click},
      {IDC_cmdRemoveOCX, &Form1::cmdRemoveOCX_Click},
      {IDC_cmdHelpOcxList, &Form1::cmdHelpOcxList_Click},
      {IDC_cmdAddDLL, &Form1::cmdAddDLL_Click},
      {IDC_cmdRemoveDLL, &Form1::cmdRemoveDLL_Click},
      {IDC_cmdHelpDllList, &Form1::cmdHelpDllList_Click},
      {IDC_cmdHelpResultantHtmlPage, &Form1::cmdHelpResultantHtmlPage_Click},
      {IDC_cmdHelpTitleOfResultantHtml, &Form1::cmdHelpTitleOfResultantHtml_Click},
      {IDC_cmdHelpStandAloneExeFilename, &Form1::cmdHelpStandAloneExeFilename_Click},
      {IDC_cmdHelpMinimizeDownloadTime, &Form1::cmdHelpMinimizeDownloadTime_Click},
      {IDC_cmdSignCodeHelp, &Form1::cmdSignCodeHelp_Click},
      {IDC_cmdCancelWork, &Form1::cmdCancelWork_Click},
  };
  for (const auto& [button_id, click] : kClicks) {
    if (button_id == id) {
      Do([&f, click = click] { (f.*click)(); });
      return;
    }
  }
}

LRESULT WizardWindow::OnNotify(const NMHDR& header) {
  if (header.idFrom != IDC_TreeView1 || updating_ || ended_ || !form_) return 0;
  Form1& f = *form_;
  HWND tree = header.hwndFrom;
  switch (header.code) {
    case NM_CLICK:
    case NM_RCLICK: {
      const bool right = header.code == NM_RCLICK;
      if (right) {
        // The menu acts on the node under the pointer, as a right click selects it.
        TVHITTESTINFO hit{};
        GetCursorPos(&hit.pt);
        ScreenToClient(tree, &hit.pt);
        if (HTREEITEM item = TreeView_HitTest(tree, &hit)) TreeView_SelectItem(tree, item);
      }
      Do([&f, right] {
        f.TreeView1_MouseDown(right ? MouseButton::Right : MouseButton::Left);
        f.TreeView1_Click();
      });
      return right ? 1 : 0;
    }
    case TVN_SELCHANGEDA: {
      const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
      const int node = static_cast<int>(change.itemNew.lParam);
      f.ProgramGroup.selected = node;
      Do([&f, node] { f.TreeView1_NodeClick(node); });
      return 0;
    }
    case TVN_ITEMEXPANDEDA: {
      const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
      const int node = static_cast<int>(change.itemNew.lParam);
      if (!f.ProgramGroup.Valid(node)) return 0;
      const bool collapsed = (change.action & TVE_COLLAPSE) != 0;
      f.ProgramGroup.nodes[static_cast<std::size_t>(node)].expanded = !collapsed;
      shown_tree_[static_cast<std::size_t>(node)].expanded = !collapsed;
      if (collapsed) Do([&f, node] { f.TreeView1_Collapse(node); });
      return 0;
    }
    case TVN_KEYDOWN: {
      const int key = reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey;
      Do([&f, key] { f.TreeView1_KeyDown(key); });
      return 0;
    }
    case TVN_ENDLABELEDITA: {
      const auto& edit = reinterpret_cast<const NMTVDISPINFOA&>(header);
      if (!edit.item.pszText) return FALSE;  // the user pressed Escape
      const int node = static_cast<int>(edit.item.lParam);
      if (f.ProgramGroup.Valid(node)) f.ProgramGroup.selected = node;
      bool cancel = false;
      const std::string text = edit.item.pszText;
      f.TreeView1_AfterLabelEdit(cancel, text);
      // The tree still holds its edit: show the model's text once it has let go.
      PostMessageA(main_, kRefreshMessage, 0, 0);
      return FALSE;
    }
    default:
      return 0;
  }
}

LRESULT CALLBACK WizardWindow::DataListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                            DWORD_PTR self_pointer) {
  auto* self = reinterpret_cast<WizardWindow*>(self_pointer);
  if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
    const LRESULT result = DefSubclassProc(list, message, wparam, lparam);
    self->OnDataListClick(list, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}, message == WM_RBUTTONDOWN);
    return result;
  }
  if (message == WM_KEYDOWN && wparam == VK_SPACE && GetDlgCtrlID(list) == IDC_List1) {
    self->ToggleProgramFile(ListBox_GetCurSel(list));
    return 0;
  }
  if (message == WM_CHAR && wparam == ' ') return 0;
  return DefSubclassProc(list, message, wparam, lparam);
}

// Both keys are taken whole, down and up: the system would otherwise also turn them into
// a WM_CONTEXTMENU when they are released, and open the menu a second time. A
// WM_CONTEXTMENU from elsewhere without a point (-1) opens it at the node as well.
LRESULT CALLBACK WizardWindow::TreeKeysProc(HWND tree, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                            DWORD_PTR self_pointer) {
  auto* self = reinterpret_cast<WizardWindow*>(self_pointer);
  const bool key_down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool key_up = message == WM_KEYUP || message == WM_SYSKEYUP;
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  if ((key_down || key_up) && (wparam == VK_APPS || (wparam == VK_F10 && shift))) {
    if (key_down) self->OpenTreeMenuFromKeyboard();
    return 0;
  }
  if (message == WM_CONTEXTMENU && lparam == -1) {
    self->OpenTreeMenuFromKeyboard();
    return 0;
  }
  return DefSubclassProc(tree, message, wparam, lparam);
}

void WizardWindow::OpenTreeMenuFromKeyboard() {
  if (updating_ || ended_ || !form_) return;
  tree_menu_at_selection_ = true;
  Do([this] { form_->TreeView1_KeyDown(kMenuKeyCode); });
  tree_menu_at_selection_ = false;
}

void WizardWindow::OnDataListClick(HWND list, POINT point, bool right_button) {
  if (updating_ || ended_) return;
  const bool is_list1 = GetDlgCtrlID(list) == IDC_List1;
  if (right_button) {
    if (is_list1) Do([this] { form_->List1_MouseDown(MouseButton::Right); });
    return;
  }
  const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  if (!is_list1 || HIWORD(hit) != 0) return;
  const int box_width = ListBox_GetItemHeight(list, 0);
  if (point.x < box_width) ToggleProgramFile(LOWORD(hit));
}

void WizardWindow::ToggleProgramFile(int index) {
  Form1& f = *form_;
  if (index < 0 || index >= f.List1.ListCount()) return;
  const bool ticked = static_cast<std::size_t>(index) < f.List1.checked.size() && f.List1.checked[static_cast<std::size_t>(index)];
  Do([&f, index, ticked] { f.SetProgramFileTicked(index, !ticked); });
}

// --- Showing the model ----------------------------------------------------------------

void WizardWindow::Refresh() {
  if (!form_ || !main_ || ended_) return;
  ++updating_;
  Form1& f = *form_;
  bool panels_changed = false;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    if (f.fraStep[i].visible != shown_panel_visible_[i]) panels_changed = true;
  }
  if (panels_changed) {
    Layout();
    for (std::size_t i = 0; i < panels_.size(); ++i) {
      ShowWindow(panels_[i], f.fraStep[i].visible ? SW_SHOWNA : SW_HIDE);
      shown_panel_visible_[i] = f.fraStep[i].visible;
    }
  }
  for (Binding& binding : bindings_) RefreshControl(binding);
  RefreshTree();
  RefreshFocus();
  // The caption last: who reads it (a person, a test) then sees the whole new state.
  if (f.Caption != shown_caption_) {
    SetWindowTextA(main_, f.Caption.c_str());
    shown_caption_ = f.Caption;
  }
  --updating_;
}

void WizardWindow::RefreshControl(Binding& binding) {
  Control& control = *binding.control;
  HWND window = binding.window;
  if (!window) return;
  // A label's grey is its colour, not a disabled window's engraved text.
  const bool enabled = binding.kind == Kind::Label ? true : control.enabled;
  if (enabled != binding.shown_enabled) {
    EnableWindow(window, enabled);
    binding.shown_enabled = enabled;
  }
  // The logo's visibility goes with the panels' layout; the status bar and Frame1 always show.
  const bool follows_visible = binding.kind != Kind::Frame || binding.id == IDC_fraMinimizeDownloadTime;
  if (follows_visible && control.visible != binding.shown_visible) {
    ShowWindow(window, control.visible ? SW_SHOWNA : SW_HIDE);
    binding.shown_visible = control.visible;
  }
  switch (binding.kind) {
    case Kind::Button:
    case Kind::Label:
    case Kind::CheckBox:
      if (control.caption != binding.shown_text) {
        SetWindowTextA(window, control.caption.c_str());
        binding.shown_text = control.caption;
      }
      if (binding.kind == Kind::Label) {
        const COLORREF colour = ToColorRef(static_cast<Label&>(control).fore_colour);
        if (colour != binding.shown_colour) InvalidateRect(window, nullptr, TRUE);
        binding.shown_colour = colour;
      }
      if (binding.kind == Kind::CheckBox) {
        const int value = static_cast<CheckBox&>(control).value ? BST_CHECKED : BST_UNCHECKED;
        if (Button_GetCheck(window) != value) Button_SetCheck(window, value);
      }
      return;
    case Kind::TextBox: {
      auto& box = static_cast<TextBox&>(control);
      if (box.text != binding.shown_text) {
        SetWindowTextA(window, box.text.c_str());
        binding.shown_text = box.text;
        if (binding.id == IDC_txtWorkProgress) {
          const auto end = static_cast<WPARAM>(GetWindowTextLengthA(window));
          SendMessageA(window, EM_SETSEL, end, static_cast<LPARAM>(end));
          SendMessageA(window, EM_SCROLLCARET, 0, 0);
        }
      }
      const bool read_only = box.read_only || binding.id == IDC_txtWorkProgress;
      if (((GetWindowLongA(window, GWL_STYLE) & ES_READONLY) != 0) != read_only) {
        SendMessageA(window, EM_SETREADONLY, read_only, 0);
      }
      const COLORREF colour = ToColorRef(box.back_colour);
      if (colour != binding.shown_colour) InvalidateRect(window, nullptr, TRUE);
      binding.shown_colour = colour;
      return;
    }
    case Kind::StringList:
      RefreshStringList(binding);
      return;
    case Kind::DataList:
      RefreshDataList(binding);
      return;
    case Kind::Tree:
    case Kind::Frame:
      return;
  }
}

void WizardWindow::RefreshStringList(Binding& binding) {
  auto& list = static_cast<ListBox&>(*binding.control);
  HWND window = binding.window;
  if (list.lines != binding.shown_lines) {
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    ListBox_ResetContent(window);
    for (const std::string& line : list.lines) ListBox_AddString(window, line.c_str());
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
    binding.shown_lines = list.lines;
  }
  if (ListBox_GetCurSel(window) != list.list_index) ListBox_SetCurSel(window, list.list_index);
}

// List1 and List2 draw their lines from the model, which may hold 100,000 of them: only the
// count is handed to the list.
void WizardWindow::RefreshDataList(Binding& binding) {
  auto& list = static_cast<ListBox&>(*binding.control);
  HWND window = binding.window;
  if (ListBox_GetCount(window) != list.ListCount()) {
    SendMessageA(window, LB_SETCOUNT, static_cast<WPARAM>(list.ListCount()), 0);
  }
  if (ListBox_GetCurSel(window) != list.list_index) ListBox_SetCurSel(window, list.list_index);
  // The ticks may have changed anywhere; only the lines on screen are drawn again.
  if (IsWindowVisible(window)) InvalidateRect(window, nullptr, FALSE);
}

void WizardWindow::DrawDataLine(const DRAWITEMSTRUCT& item) {
  if (!form_) return;
  const bool is_list1 = item.CtlID == IDC_List1;
  const ListBox& list = is_list1 ? form_->List1 : form_->List2;
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (static_cast<int>(item.itemID) < 0 || static_cast<int>(item.itemID) >= list.ListCount()) return;
  const auto index = static_cast<std::size_t>(item.itemID);
  RECT text_area = area;
  if (list.has_check_boxes) {
    const int size = (area.bottom - area.top) - 3;
    RECT box{area.left + 2, area.top + 1, area.left + 2 + size, area.top + 1 + size};
    const bool ticked = index < list.checked.size() && list.checked[index];
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (ticked ? DFCS_CHECKED : 0));
    text_area.left = box.right + 4;
  } else {
    text_area.left += 2;
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextA(dc, list.lines[index].c_str(), static_cast<int>(list.lines[index].size()), &text_area,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &area);
}

void WizardWindow::DrawLogo(const DRAWITEMSTRUCT& item) {
  PaintLogo(item.hDC, item.rcItem, title_font_, form_ ? form_->Label23.caption : std::string());
}

HBRUSH WizardWindow::ColourFor(HWND control, HDC dc) {
  Binding* binding = FindBinding(GetDlgCtrlID(control));
  if (!binding || !form_) return nullptr;
  if (binding->id == IDC_Label32) {
    SetTextColor(dc, RGB(0, 0, 192));
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
  }
  if (binding->kind == Kind::Label) {
    SetTextColor(dc, ToColorRef(static_cast<Label*>(binding->control)->fore_colour));
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
  }
  if (binding->kind != Kind::TextBox) return nullptr;
  const Colour& back = static_cast<TextBox*>(binding->control)->back_colour;
  // Read-only boxes keep the system's face colour unless the model gives them one.
  if (back == kWhite && (GetWindowLongA(control, GWL_STYLE) & ES_READONLY) != 0) return nullptr;
  SetBkColor(dc, ToColorRef(back));
  for (std::size_t i = 0; i < brushes_.size(); ++i) {
    LOGBRUSH info{};
    GetObjectA(brushes_[i], sizeof info, &info);
    if (info.lbColor == ToColorRef(back)) return brushes_[i];
  }
  brushes_.push_back(CreateSolidBrush(ToColorRef(back)));
  return brushes_.back();
}

void WizardWindow::RefreshTree() {
  Form1& f = *form_;
  HWND tree = Item(IDC_TreeView1);
  const ProgramGroupTree& model = f.ProgramGroup;
  // The order shown: depth first through the sorted children, with an explicit stack.
  std::vector<int> order;
  std::vector<int> stack;
  if (!model.nodes.empty()) stack.push_back(0);
  while (!stack.empty()) {
    const int node = stack.back();
    stack.pop_back();
    order.push_back(node);
    const std::vector<int> children = model.SortedChildren(node);
    for (auto child = children.rbegin(); child != children.rend(); ++child) stack.push_back(*child);
  }
  bool rebuild = order != shown_tree_order_ || model.nodes.size() != shown_tree_.size();
  for (std::size_t i = 0; !rebuild && i < model.nodes.size(); ++i) {
    rebuild = model.nodes[i].parent != shown_tree_[i].parent || model.nodes[i].key != shown_tree_[i].key;
  }
  if (rebuild) {
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(tree);
    tree_items_.assign(model.nodes.size(), nullptr);
    for (const int node : order) {
      const ProgramGroupNode& source = model.nodes[static_cast<std::size_t>(node)];
      TVINSERTSTRUCTA insert{};
      insert.hParent = source.parent < 0 ? TVI_ROOT : tree_items_[static_cast<std::size_t>(source.parent)];
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
      insert.item.pszText = const_cast<char*>(source.text.c_str());
      insert.item.iImage = insert.item.iSelectedImage = source.image - 1;
      insert.item.lParam = node;
      tree_items_[static_cast<std::size_t>(node)] = TreeView_InsertItem(tree, &insert);
    }
    shown_tree_.assign(model.nodes.size(), ProgramGroupNode{});
    for (std::size_t i = 0; i < model.nodes.size(); ++i) {
      shown_tree_[i] = model.nodes[i];
      shown_tree_[i].expanded = false;
      shown_tree_[i].text = model.nodes[i].text;
    }
    shown_tree_order_ = order;
    shown_tree_selected_ = -2;
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
  }
  for (std::size_t i = 0; i < model.nodes.size(); ++i) {
    const ProgramGroupNode& source = model.nodes[i];
    ProgramGroupNode& shown = shown_tree_[i];
    if (source.text != shown.text || source.image != shown.image) {
      TVITEMA item{};
      item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
      item.hItem = tree_items_[i];
      item.pszText = const_cast<char*>(source.text.c_str());
      item.iImage = item.iSelectedImage = source.image - 1;
      TreeView_SetItem(tree, &item);
      shown.text = source.text;
      shown.image = source.image;
    }
    if (source.expanded != shown.expanded) {
      TreeView_Expand(tree, tree_items_[i], source.expanded ? TVE_EXPAND : TVE_COLLAPSE);
      shown.expanded = source.expanded;
    }
  }
  if (model.selected != shown_tree_selected_) {
    if (model.Valid(model.selected)) TreeView_SelectItem(tree, tree_items_[static_cast<std::size_t>(model.selected)]);
    shown_tree_selected_ = model.selected;
  }
}

void WizardWindow::RefreshFocus() {
  Form1& f = *form_;
  // A control the model disabled or hid while it had the focus leaves the keyboard with
  // nowhere to go: the next control in the tab order takes it.
  HWND focus = GetFocus();
  if (GetActiveWindow() == main_ && (!focus || !IsWindowEnabled(focus) || !IsWindowVisible(focus))) {
    SendMessageA(main_, WM_NEXTDLGCTL, 0, FALSE);
  }
  if (f.FocusRequests == shown_focus_requests_ || !f.Focus || !IsWindowVisible(main_)) return;
  shown_focus_requests_ = f.FocusRequests;
  if (Binding* binding = FindBinding(*f.Focus)) {
    if (IsWindowEnabled(binding->window)) {
      SendMessageA(main_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(binding->window), TRUE);
      focus_to_restore_ = binding->window;
    }
  }
}

RECT WizardWindow::TwipsToPixels(const Placement& placement) const {
  RECT client{};
  GetClientRect(main_, &client);
  const int width = client.right - client.left;
  const int scale_width = form_->ScaleWidth > 0 ? form_->ScaleWidth : 9600;
  return RECT{MulDiv(placement.left, width, scale_width), MulDiv(placement.top, width, scale_width),
              MulDiv(placement.left + placement.width, width, scale_width),
              MulDiv(placement.top + placement.height, width, scale_width)};
}

// The panels, the logo and the status bar stand where the model places them (twips scaled
// to the window's width); the buttons and Label32 take one row below the status bar.
void WizardWindow::Layout() {
  if (!form_) return;
  Form1& f = *form_;
  RECT button{0, 0, 55, 14};
  MapDialogRect(main_, &button);
  RECT margin{0, 0, 7, 4};
  MapDialogRect(main_, &margin);
  const RECT status = TwipsToPixels(f.picStatusbar.placement);
  RECT client{};
  GetClientRect(main_, &client);
  const int wanted_height = status.bottom + button.bottom + 2 * margin.bottom;
  if (client.bottom != wanted_height) {
    RECT frame{0, 0, client.right, wanted_height};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongA(main_, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongA(main_, GWL_EXSTYLE)), GetDpiForWindow(main_));
    SetWindowPos(main_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const RECT place = TwipsToPixels(f.fraStep[i].placement);
    SetWindowPos(panels_[i], nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const RECT logo = TwipsToPixels(f.picLogo.placement);
  SetWindowPos(Item(IDC_picLogo), HWND_BOTTOM, logo.left, logo.top, logo.right - logo.left,
               logo.bottom - logo.top, SWP_NOACTIVATE);
  ShowWindow(Item(IDC_picLogo), f.picLogo.visible ? SW_SHOWNA : SW_HIDE);
  SetWindowPos(Item(IDC_picStatusbar), nullptr, status.left, status.top + (status.bottom - status.top) / 2,
               status.right - status.left, 2, SWP_NOZORDER | SWP_NOACTIVATE);
  const int row_top = status.bottom + margin.bottom;
  SetWindowPos(Item(IDC_Label32), nullptr, margin.right, row_top + button.bottom / 4,
               button.right * 2, button.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  const int gap = margin.right / 2;
  int x = client.right - margin.right - button.right;
  for (int id : {IDC_cmdExit, IDC_cmdFinish, IDC_cmdNext, IDC_cmdBack, IDC_cmdSamples}) {
    SetWindowPos(Item(id), nullptr, x, row_top, button.right, button.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    x -= button.right + (id == IDC_cmdExit || id == IDC_cmdBack ? 3 * gap : gap);
  }
}

// --- Host -----------------------------------------------------------------------------

MessageAnswer WizardWindow::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                        MessageButtons buttons) {
  Refresh();
  UINT flags = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  switch (icon) {
    case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MessageIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
    case MessageIcon::Question: flags |= MB_ICONQUESTION; break;
    case MessageIcon::Critical: flags |= MB_ICONSTOP; break;
    case MessageIcon::None: break;
  }
  HWND owner = main_ && IsWindowVisible(main_) ? main_ : nullptr;
  const int answer = MessageBoxA(owner, text.c_str(), title.empty() ? kDefaultMessageTitle : title.c_str(), flags);
  if (answer == IDYES) return MessageAnswer::Yes;
  if (answer == IDNO) return MessageAnswer::No;
  return MessageAnswer::Ok;
}

void WizardWindow::ProcessEvents() {
  Refresh();
  MSG message;
  while (!ended_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!IsDialogMessageA(main_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void WizardWindow::Sleep(int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end || ended_) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    ProcessEvents();
  }
}

std::string WizardWindow::BrowseForFolder(const std::string& prompt, int flags) {
  Refresh();
  BROWSEINFOA request{};
  request.hwndOwner = main_;
  request.lpszTitle = prompt.c_str();
  request.ulFlags = static_cast<UINT>(flags);
  char display_name[MAX_PATH] = {};
  request.pszDisplayName = display_name;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&request);
  if (!chosen) return {};
  char path[MAX_PATH] = {};
  const bool named = SHGetPathFromIDListA(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  std::string directory = named ? path : "";
  if (!directory.empty() && directory.back() != '\\') directory.push_back('\\');
  return directory;
}

std::string WizardWindow::BrowseForFile(const std::string& filter, const std::string& default_extension) {
  Refresh();
  const std::string filters = DialogFilter(filter);
  char path[32768] = {};
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = main_;
  request.lpstrFilter = filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  request.lpstrDefExt = default_extension.c_str();
  // The model checks that the file exists and says so in its own words.
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&request)) return {};
  return path;
}

void WizardWindow::ShowModalWindow(ModalWindow window) {
  Refresh();
  switch (window) {
    case ModalWindow::LinkTo:
      ShowLinkToWindow(instance_, main_, *form_);
      break;
    case ModalWindow::Samples:
      ShowSamplesWindow(instance_, main_, *form_);
      break;
    case ModalWindow::Success:
      ShowSuccessWindow(instance_, main_, *form_);
      break;
    case ModalWindow::OcxListHelp:
    case ModalWindow::MinimizeDownloadTimeHelp:
    case ModalWindow::SignCodeHelp:
      ShowHelpWindow(instance_, main_, Form1::HelpWindowText(window));
      break;
  }
}

// At the pointer, or, for the tree's menu opened from the keyboard, below the selected
// node's text.
POINT WizardWindow::PopupMenuPoint(PopupMenu menu) {
  POINT at{};
  GetCursorPos(&at);
  HWND tree = Item(IDC_TreeView1);
  const auto selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (menu != PopupMenu::Create || !tree_menu_at_selection_ || !selected) return at;
  // TVM_GETITEMRECT takes the item in the rectangle it fills.
  RECT node{};
  std::memcpy(&node, &selected, sizeof selected);
  if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&node))) return at;
  at = POINT{node.left, node.bottom};
  ClientToScreen(tree, &at);
  return at;
}

void WizardWindow::ShowPopupMenu(PopupMenu menu) {
  Refresh();
  Form1& f = *form_;
  struct Item {
    Control* control;
    UINT id;
    void (Form1::*click)();
  };
  std::vector<Item> items;
  if (menu == PopupMenu::SelectFiles) {
    items = {{&f.mnuSelectAllFiles, IDM_mnuSelectAllFiles, &Form1::mnuSelectAllFiles_Click},
             {&f.mnuClearAllFiles, IDM_mnuClearAllFiles, &Form1::mnuClearAllFiles_Click}};
  } else {
    items = {{&f.mnuCreateLeaf, IDM_mnuCreateLeaf, &Form1::mnuCreateLeaf_Click},
             {&f.mnuSep1, 0, nullptr},
             {&f.mnuLinkTo, IDM_mnuLinkTo, &Form1::mnuLinkTo_Click},
             {&f.mnuUnlink, IDM_mnuUnlink, &Form1::mnuUnlink_Click},
             {&f.mnuSep2, 0, nullptr},
             {&f.mnuRenameLeaf, IDM_mnuRenameLeaf, &Form1::mnuRenameLeaf_Click},
             {&f.mnuDeleteLeaf, IDM_mnuDeleteLeaf, &Form1::mnuDeleteLeaf_Click}};
  }
  HMENU popup = CreatePopupMenu();
  for (const Item& item : items) {
    if (!item.click) {
      AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(popup, static_cast<UINT>(MF_STRING | (item.control->enabled ? MF_ENABLED : MF_GRAYED)), item.id,
                  item.control->caption.c_str());
    }
  }
  const POINT at = PopupMenuPoint(menu);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, main_, nullptr));
  DestroyMenu(popup);
  for (const Item& item : items) {
    if (item.click && item.id == chosen) (f.*item.click)();
  }
}

void WizardWindow::BeginTreeLabelEdit(int node) {
  PostMessageA(main_, kEditLabelMessage, static_cast<WPARAM>(node), 0);
}

void WizardWindow::SetBusyPointer(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(busy ? 32514 : 32512)));  // IDC_WAIT, IDC_ARROW
}

void WizardWindow::EndProgram() {
  if (ended_) return;
  ended_ = true;
  // A program that ends before its window is shown failed to start.
  exit_status_ = main_ && IsWindowVisible(main_) ? 0 : 1;
  PostQuitMessage(exit_status_);
}

void WizardWindow::OpenDocument(const std::string& address) { ::OpenDocument(address); }

std::string WizardWindow::ProgramDirectoryPath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string directory(path, length);
  const std::size_t slash = directory.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

ProgramVersion WizardWindow::GetProgramVersion() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || length < sizeof *info) return {};
  return ProgramVersion{static_cast<int>(HIWORD(info->dwFileVersionMS)), static_cast<int>(LOWORD(info->dwFileVersionMS)),
                        static_cast<int>(HIWORD(info->dwFileVersionLS))};
}
