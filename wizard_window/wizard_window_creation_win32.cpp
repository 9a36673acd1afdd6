// The wizard window's creation: the main window and its panels from their templates, each
// control bound to the model state it shows, the fonts, and the layout that places them.
#include "wizard_window_win32.h"

#include "window_pictures.h"
#include "wizard_resource.h"

namespace {

struct PanelTemplate {
  int resource;
  int step;
};

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
