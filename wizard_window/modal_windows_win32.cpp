#include "modal_windows.h"

#include <commdlg.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "wizard_resource.h"

namespace {

constexpr const char* kPrintFace = "Small Fonts";
constexpr int kPrintPoints = 9;

template <typename State>
State* StateOf(HWND dialog, UINT message, LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, GWLP_USERDATA, lparam);
  return reinterpret_cast<State*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

INT_PTR CALLBACK LinkToProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  Form1* form = StateOf<Form1>(dialog, message, lparam);
  if (!form) return FALSE;
  HWND list = GetDlgItem(dialog, IDC_lstLinkTo);
  switch (message) {
    case WM_INITDIALOG:
      for (const std::string& line : form->lstLinkTo.lines) ListBox_AddString(list, line.c_str());
      ListBox_SetCurSel(list, form->lstLinkTo.list_index);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_lstLinkTo:
          if (HIWORD(wparam) == LBN_SELCHANGE || HIWORD(wparam) == LBN_DBLCLK) {
            form->lstLinkTo.list_index = ListBox_GetCurSel(list);
          }
          return TRUE;
        case IDOK:
          form->frmLinkTo_cmdOK_Click();
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          form->frmLinkTo_cmdCancel_Click();
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SamplesProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  Form1* form = StateOf<Form1>(dialog, message, lparam);
  if (!form) return FALSE;
  if (message == WM_INITDIALOG) {
    const HelpWindowContent content = Form1::HelpWindowText(ModalWindow::Samples);
    SetWindowTextA(dialog, content.title.c_str());
    // The address on a line of its own: the label's word wrap would break it after
    // "http://".
    std::string text = content.text;
    if (const std::size_t address = text.rfind(" http"); address != std::string::npos) text.replace(address, 1, "\r\n");
    SetDlgItemTextA(dialog, IDC_lblSamples, text.c_str());
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wparam) == IDC_cmdSamplesOpen) {
    form->frmSamples_cmdSamples_Click();
    return TRUE;
  }
  if (LOWORD(wparam) == IDCANCEL) {
    form->frmSamples_cmdClose_Click();
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

struct SuccessState {
  std::string text;
};

INT_PTR CALLBACK SuccessProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  SuccessState* state = StateOf<SuccessState>(dialog, message, lparam);
  if (!state) return FALSE;
  if (message == WM_INITDIALOG) {
    SetWindowTextA(dialog, Form1::HelpWindowText(ModalWindow::Success).title.c_str());
    SetDlgItemTextA(dialog, IDC_txtSuccess, state->text.c_str());
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wparam)) {
    case IDC_cmdPrint:
      PrintText(dialog, state->text);
      return TRUE;
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, LOWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK HelpProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* content = StateOf<const HelpWindowContent>(dialog, message, lparam);
  if (!content) return FALSE;
  if (message == WM_INITDIALOG) {
    SetWindowTextA(dialog, content->title.c_str());
    SetDlgItemTextA(dialog, IDC_txtHelp, content->text.c_str());
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

// The text's lines, CR LF or LF ended.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  lines.push_back(line);
  return lines;
}

}  // namespace

void ShowLinkToWindow(HINSTANCE instance, HWND owner, Form1& form) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_frmLinkTo), owner, LinkToProc, reinterpret_cast<LPARAM>(&form));
}

void ShowSamplesWindow(HINSTANCE instance, HWND owner, Form1& form) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_frmSamples), owner, SamplesProc, reinterpret_cast<LPARAM>(&form));
}

void ShowSuccessWindow(HINSTANCE instance, HWND owner, const Form1& form) {
  SuccessState state{form.frmSuccess_Text};
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_frmSuccess), owner, SuccessProc, reinterpret_cast<LPARAM>(&state));
}

void ShowHelpWindow(HINSTANCE instance, HWND owner, const HelpWindowContent& content) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_HelpWindow), owner, HelpProc,
                  reinterpret_cast<LPARAM>(&content));
}

bool PrintText(HWND owner, const std::string& text) {
  PRINTDLGA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  if (!PrintDlgA(&request) || !request.hDC) {
    MessageBoxA(owner, "There is no default printer. Install a printer, make it the default printer and print again.",
                "Print", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (request.hDevMode) GlobalFree(request.hDevMode);
  if (request.hDevNames) GlobalFree(request.hDevNames);
  HDC printer = request.hDC;
  HFONT font = CreateFontA(-MulDiv(kPrintPoints, GetDeviceCaps(printer, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH, kPrintFace);
  HGDIOBJ old_font = SelectObject(printer, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(printer, &metrics);
  const int line_height = metrics.tmHeight + metrics.tmExternalLeading;
  const int margin = GetDeviceCaps(printer, LOGPIXELSY) / 2;
  const int page_bottom = GetDeviceCaps(printer, VERTRES) - margin;
  DOCINFOA document{};
  document.cbSize = sizeof document;
  document.lpszDocName = "Web Setup program";
  bool printed = StartDocA(printer, &document) > 0 && StartPage(printer) > 0;
  int y = margin;
  for (const std::string& line : Lines(text)) {
    if (!printed) break;
    if (y + line_height > page_bottom) {
      printed = EndPage(printer) > 0 && StartPage(printer) > 0;
      y = margin;
    }
    TextOutA(printer, margin, y, line.c_str(), static_cast<int>(line.size()));
    y += line_height;
  }
  if (printed) {
    printed = EndPage(printer) > 0 && EndDoc(printer) > 0;
  } else {
    AbortDoc(printer);
  }
  SelectObject(printer, old_font);
  DeleteObject(font);
  DeleteDC(printer);
  if (!printed) MessageBoxA(owner, "Error. The text could not be printed.", "Print", MB_OK | MB_ICONEXCLAMATION);
  return printed;
}
