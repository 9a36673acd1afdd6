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
#define WIZARD_BIND(kind, name, id, ...) Bind(IDC_##name, f.name, Kind::kind);
  WIZARD_CONTROLS(WIZARD_BIND)
#undef WIZARD_BIND
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
