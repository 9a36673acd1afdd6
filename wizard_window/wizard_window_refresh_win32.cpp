// Showing the model: the wizard window's controls, lists, tree and focus refreshed from the
// Form1 state, touching only what changed, and the controls the window draws itself.
#include "wizard_window_win32.h"

#include <windowsx.h>

#include "window_pictures.h"
#include "wizard_resource.h"

namespace {

COLORREF ToColorRef(const Colour& colour) { return RGB(colour.red, colour.green, colour.blue); }

}  // namespace

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
      RefreshCaption(binding);
      return;
    case Kind::TextBox:
      RefreshTextBox(binding);
      return;
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

// A button's, label's or check box's caption, a label's colour and a check box's tick.
void WizardWindow::RefreshCaption(Binding& binding) {
  Control& control = *binding.control;
  HWND window = binding.window;
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
}

void WizardWindow::RefreshTextBox(Binding& binding) {
  auto& box = static_cast<TextBox&>(*binding.control);
  HWND window = binding.window;
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

// The order the tree shows its nodes: depth first through the sorted children, with an
// explicit stack.
std::vector<int> WizardWindow::ShownTreeOrder() const {
  const ProgramGroupTree& model = form_->ProgramGroup;
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
  return order;
}

// Every item again, for a tree whose nodes or order changed.
void WizardWindow::RebuildTree(const std::vector<int>& order) {
  HWND tree = Item(IDC_TreeView1);
  const ProgramGroupTree& model = form_->ProgramGroup;
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

void WizardWindow::RefreshTree() {
  Form1& f = *form_;
  HWND tree = Item(IDC_TreeView1);
  const ProgramGroupTree& model = f.ProgramGroup;
  const std::vector<int> order = ShownTreeOrder();
  bool rebuild = order != shown_tree_order_ || model.nodes.size() != shown_tree_.size();
  for (std::size_t i = 0; !rebuild && i < model.nodes.size(); ++i) {
    rebuild = model.nodes[i].parent != shown_tree_[i].parent || model.nodes[i].key != shown_tree_[i].key;
  }
  if (rebuild) RebuildTree(order);
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
