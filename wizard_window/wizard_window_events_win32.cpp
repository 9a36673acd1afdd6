// The wizard window's event handling: every user action on a control goes to the model's
// handler of the same name, and the window then shows the state the handler left.
#include "wizard_window_win32.h"

#include <windowsx.h>

#include <algorithm>

#include "wizard_resource.h"

std::string WizardWindow::WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

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
      return OnSetCursor(dialog, reinterpret_cast<HWND>(wparam));
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
    default:
      return HandleOwnMessage(dialog, message, wparam);
  }
}

INT_PTR WizardWindow::OnSetCursor(HWND dialog, HWND under_pointer) {
  if (busy_) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  if (under_pointer == Item(IDC_Label32)) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  return FALSE;
}

// The messages the window posts itself, and the focus's return when it is activated.
INT_PTR WizardWindow::HandleOwnMessage(HWND dialog, UINT message, WPARAM wparam) {
  switch (message) {
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
      if (code == BN_CLICKED) OnClick(id);
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
        OnClick(id);
      }
      return;
    case Kind::Tree:
    case Kind::Frame:
      return;
  }
}

void WizardWindow::OnClick(int id) {
  Form1& f = *form_;
  using Click = void (Form1::*)();
  // Each button and list calls the model's handler named after it.
#define WIZARD_CLICK(kind, name, id, ...) WIZARD_CLICK_##kind(name)
#define WIZARD_CLICK_OF(name) {IDC_##name, &Form1::name##_Click},
#define WIZARD_CLICK_Button WIZARD_CLICK_OF
#define WIZARD_CLICK_StringList WIZARD_CLICK_OF
#define WIZARD_CLICK_DataList WIZARD_CLICK_OF
#define WIZARD_CLICK_Label(name)
#define WIZARD_CLICK_TextBox(name)
#define WIZARD_CLICK_CheckBox(name)
#define WIZARD_CLICK_Tree(name)
#define WIZARD_CLICK_Frame(name)
  static constexpr std::pair<int, Click> kClicks[] = {WIZARD_CONTROLS(WIZARD_CLICK)};
#undef WIZARD_CLICK
#undef WIZARD_CLICK_OF
#undef WIZARD_CLICK_Button
#undef WIZARD_CLICK_StringList
#undef WIZARD_CLICK_DataList
#undef WIZARD_CLICK_Label
#undef WIZARD_CLICK_TextBox
#undef WIZARD_CLICK_CheckBox
#undef WIZARD_CLICK_Tree
#undef WIZARD_CLICK_Frame
  for (const auto& [control_id, click] : kClicks) {
    if (control_id == id) {
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
