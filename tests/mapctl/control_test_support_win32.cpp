#include "control_test_support_win32.h"

std::wstring ControlPath() {
  std::wstring path = VEXA_CONTROL_PATH;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

DWORD RunRegsvr32(bool unregister) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + (unregister ? L"/u " : L"") +
                         L"\"" + ControlPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return static_cast<DWORD>(-1);
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

void PumpMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

HRESULT CallMember(IDispatch* object, DISPID dispid, std::vector<VARIANT> arguments, VARIANT* result) {
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (result != nullptr) VariantInit(result);
  return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}

VARIANT ShortValue(short value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I2;
  v.iVal = value;
  return v;
}

HRESULT PutBool(IDispatch* object, DISPID dispid, bool value) {
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BOOL;
  argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                        nullptr);
}

bool GetBool(IDispatch* object, DISPID dispid) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  if (FAILED(object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                            nullptr)) ||
      result.vt != VT_BOOL) {
    return false;
  }
  return result.boolVal != VARIANT_FALSE;
}

short StateId(IDispatch* map, int x, int y) {
  VARIANT result;
  if (FAILED(CallMember(map, 3, {ShortValue(static_cast<short>(x)), ShortValue(static_cast<short>(y))}, &result)) ||
      result.vt != VT_I2) {
    return -100;
  }
  return result.iVal;
}

long MaskPixel(IDispatch* map, int x, int y) {
  VARIANT result;
  if (FAILED(CallMember(map, 2, {ShortValue(static_cast<short>(x)), ShortValue(static_cast<short>(y))}, &result)) ||
      result.vt != VT_I4) {
    return -100;
  }
  return result.lVal;
}

std::wstring StateName(IDispatch* map, short state) {
  VARIANT result;
  if (FAILED(CallMember(map, 4, {ShortValue(state)}, &result)) || result.vt != VT_BSTR) return L"<failed>";
  std::wstring name = result.bstrVal != nullptr ? result.bstrVal : L"<null>";
  VariantClear(&result);
  return name;
}

STDMETHODIMP RecordingSink::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID__DVexaUSAEvents) return E_NOINTERFACE;
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP RecordingSink::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP RecordingSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) {
  FiredEvent event{dispid, {}};
  for (UINT i = params->cArgs; i-- > 0;) {
    // Every argument of the control's events is a 16-bit integer; anything else shows.
    event.arguments.push_back(params->rgvarg[i].vt == VT_I2 ? params->rgvarg[i].iVal : short{-999});
  }
  events.push_back(event);
  return S_OK;
}

std::wstring ClassesValue(const std::wstring& key, const wchar_t* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return L"<none>";
  wchar_t data[1024] = {};
  DWORD bytes = sizeof data - sizeof(wchar_t);
  DWORD type = 0;
  const LONG result = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || type != REG_SZ) return L"<none>";
  return data;
}

bool ClassesKeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

const std::vector<StatePoint>& StatePoints() {
  static const std::vector<StatePoint> points = {
#include "state_points.inc"
  };
  return points;
}
