// USA Map Sample: a window that hosts the USA map control and shows the name of the state
// under the mouse and of the last state clicked. This is all a program needs: host the
// control (here through the system's atl.dll), listen to its events through its
// connection point, and ask it for state names.
//
// The control must be registered (regsvr32 VEXAUSA.OCX); without it the window says so.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "atl_host.h"
#include "resource.h"
#include "vexausa.h"

namespace {

// The control's events arrive here: _DVexaUSAEvents is a dispatch interface, so the
// sink is an IDispatch whose Invoke sees the event's dispatch id and its arguments.
class MapEvents final : public IDispatch {
 public:
  MapEvents(HWND window, IDispatch* map) : window_(window), map_(map) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID__DVexaUSAEvents) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    if (params == nullptr || params->cArgs == 0) return S_OK;
    // Arguments come last to first: the state number is the last one.
    const VARIANT& state = params->rgvarg[params->cArgs - 1];
    if (state.vt != VT_I2) return DISP_E_TYPEMISMATCH;
    constexpr DISPID kMouseMoveOnMap = 1;
    constexpr DISPID kClickMap = 4;
    if (dispid == kMouseMoveOnMap) ShowStateName(IDC_STATE_UNDER_MOUSE, state.iVal);
    if (dispid == kClickMap) ShowStateName(IDC_LAST_CLICKED, state.iVal);
    return S_OK;
  }

 private:
  void ShowStateName(int label, short state) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I2;
    argument.iVal = state;
    DISPPARAMS params{&argument, nullptr, 1, 0};
    VARIANT name;
    VariantInit(&name);
    constexpr DISPID kGetStateName = 4;
    std::wstring text = L"(none)";
    if (SUCCEEDED(map_->Invoke(kGetStateName, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &name, nullptr,
                               nullptr)) &&
        name.vt == VT_BSTR && SysStringLen(name.bstrVal) > 0) {
      text = name.bstrVal;
    }
    VariantClear(&name);
    SetDlgItemTextW(window_, label, text.c_str());
  }

  LONG refs_ = 0;
  HWND window_;
  IDispatch* map_;
};

struct Connection {
  IDispatch* map = nullptr;
  IConnectionPoint* point = nullptr;
  DWORD cookie = 0;
};

Connection g_connection;
AtlHost g_atl;

bool ConnectToMap(HWND window) {
  IUnknown* control = nullptr;
  if (FAILED(g_atl.AtlAxGetControl(GetDlgItem(window, IDC_MAP), &control)) || control == nullptr) return false;
  IConnectionPointContainer* container = nullptr;
  bool connected = false;
  if (SUCCEEDED(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&g_connection.map))) &&
      SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) &&
      SUCCEEDED(container->FindConnectionPoint(DIID__DVexaUSAEvents, &g_connection.point))) {
    auto* events = new MapEvents(window, g_connection.map);
    events->AddRef();
    connected = SUCCEEDED(g_connection.point->Advise(events, &g_connection.cookie));
    events->Release();
  }
  if (container != nullptr) container->Release();
  control->Release();
  return connected;
}

void Disconnect() {
  if (g_connection.point != nullptr) {
    g_connection.point->Unadvise(g_connection.cookie);
    g_connection.point->Release();
  }
  if (g_connection.map != nullptr) g_connection.map->Release();
  g_connection = {};
}

// The map's natural size is in pixels, the dialog's units follow the font: the window is
// laid out around the map once it exists.
void LayOut(HWND window) {
  constexpr int kMargin = 10, kMapWidth = 513, kMapHeight = 352, kLine = 20, kLabelWidth = 160;
  MoveWindow(GetDlgItem(window, IDC_MAP), kMargin, kMargin, kMapWidth, kMapHeight, TRUE);
  const int rows[] = {IDC_STATE_UNDER_MOUSE_LABEL, IDC_STATE_UNDER_MOUSE, IDC_LAST_CLICKED_LABEL, IDC_LAST_CLICKED};
  for (int i = 0; i < 4; ++i) {
    const int top = kMargin + kMapHeight + kMargin + (i / 2) * kLine;
    const int left = i % 2 == 0 ? kMargin : kMargin + kLabelWidth;
    const int width = i % 2 == 0 ? kLabelWidth : kMapWidth - kLabelWidth;
    MoveWindow(GetDlgItem(window, rows[i]), left, top, width, kLine - 4, TRUE);
  }
  RECT frame{0, 0, kMapWidth + 2 * kMargin, kMargin + kMapHeight + kMargin + 2 * kLine + kMargin};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
}

INT_PTR CALLBACK MapWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      SendMessageW(window, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_USAMAP))));
      LayOut(window);
      if (!ConnectToMap(window)) {
        SetDlgItemTextW(window, IDC_STATE_UNDER_MOUSE, L"The USA map control is not registered.");
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL) {
        Disconnect();
        EndDialog(window, 0);
      }
      return TRUE;
    case WM_CLOSE:
      Disconnect();
      EndDialog(window, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The host window class must exist before the dialog that uses it is made.
  if (FAILED(OleInitialize(nullptr)) || !g_atl.Load() || !g_atl.AtlAxWinInit()) {
    MessageBoxW(nullptr, L"ActiveX controls cannot be hosted on this system.", L"USA Map Sample", MB_OK | MB_ICONSTOP);
    return 1;
  }
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_USAMAP), nullptr, MapWindowProc, 0);
  OleUninitialize();
  return 0;
}
