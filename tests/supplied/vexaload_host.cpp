// vexaload_host [--untrusted] NAME=VALUE...
// Hosts VexaLoad.ocx as a page's host would: created by its ProgID in a window through
// the system's atl.dll, given the parameters NAME=VALUE (ScriptFile, Silent, LogFile,
// Destination) through IPersistPropertyBag after the control is active. With
// --untrusted the host first asks for safety with untrusted data, as a browser does for
// a page. It waits until the control's ReadyState is complete and prints
//   exit STATUS
//   result MESSAGE
// Exit status 0 when the control ran, 2 when it could not be hosted.
#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <map>
#include <string>

#include "atl_host.h"

namespace {

std::wstring Wide(const char* text) {
  const int chars = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars > 0 ? chars : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), chars);
  wide.resize(wide.size() - 1);
  return wide;
}

class PropertyBag final : public IPropertyBag {
 public:
  std::map<std::wstring, std::wstring> values;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPropertyBag) return E_NOINTERFACE;
    *object = this;
    return S_OK;
  }
  // Lives on the stack of main for as long as the control may read it.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const auto found = values.find(name);
    if (found == values.end()) return E_INVALIDARG;
    VariantInit(value);
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(found->second.c_str());
    return S_OK;
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
    if (value->vt == VT_BSTR) values[name] = value->bstrVal != nullptr ? value->bstrVal : L"";
    return S_OK;
  }
};

bool ReadProperty(IDispatch* control, const wchar_t* name, VARIANT& value) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS none{};
  VariantInit(&value);
  return SUCCEEDED(control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                                   nullptr));
}

int Fail(const char* what, HRESULT result = S_OK) {
  std::printf("host failed: %s 0x%08lx\n", what, static_cast<unsigned long>(result));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  PropertyBag bag;
  bool untrusted = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--untrusted") {
      untrusted = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) return Fail("argument NAME=VALUE expected");
    bag.values[Wide(argument.substr(0, equals).c_str())] = Wide(argument.substr(equals + 1).c_str());
  }
  OleInitialize(nullptr);
  AtlHost atl;
  if (!atl.Load() || !atl.AtlAxWinInit()) return Fail("atl.dll");
  HWND host = CreateWindowExW(0, L"STATIC", L"loader host", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  IUnknown* container = nullptr;
  HRESULT result = atl.AtlAxCreateControl(L"VexaLoad.VexaLoadCtrl", host, nullptr, &container);
  if (FAILED(result)) return Fail("AtlAxCreateControl", result);
  IUnknown* control = nullptr;
  result = atl.AtlAxGetControl(host, &control);
  if (FAILED(result) || control == nullptr) return Fail("AtlAxGetControl", result);
  if (untrusted) {
    IObjectSafety* safety = nullptr;
    result = control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety));
    if (FAILED(result)) return Fail("IObjectSafety", result);
    const DWORD options = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    result = safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, options, options);
    safety->Release();
    if (FAILED(result)) return Fail("SetInterfaceSafetyOptions", result);
  }
  IPersistPropertyBag* persist = nullptr;
  result = control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
  if (FAILED(result)) return Fail("IPersistPropertyBag", result);
  result = persist->Load(&bag, nullptr);
  persist->Release();
  if (FAILED(result)) return Fail("IPersistPropertyBag::Load", result);
  IDispatch* dispatch = nullptr;
  result = control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(result)) return Fail("IDispatch", result);

  // The control's run pumps its own messages; this loop only hands it the start message
  // and sees when it is done.
  const ULONGLONG deadline = GetTickCount64() + 600000;
  VARIANT state;
  while (GetTickCount64() < deadline) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (ReadProperty(dispatch, L"ReadyState", state) && state.vt == VT_I4 && state.lVal == READYSTATE_COMPLETE) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  VARIANT status;
  VARIANT message;
  if (!ReadProperty(dispatch, L"ExitStatus", status) || !ReadProperty(dispatch, L"Result", message))
    return Fail("ExitStatus/Result");
  char text[4096] = {};
  WideCharToMultiByte(CP_ACP, 0, message.bstrVal != nullptr ? message.bstrVal : L"", -1, text, sizeof text, nullptr,
                      nullptr);
  std::printf("exit %ld\nresult %s\n", static_cast<long>(status.lVal), text);
  std::fflush(stdout);
  VariantClear(&message);
  dispatch->Release();
  control->Release();
  DestroyWindow(host);
  if (container != nullptr) container->Release();
  OleUninitialize();
  return 0;
}
