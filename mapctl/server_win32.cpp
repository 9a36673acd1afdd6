// The in-process server: its entry point, the class factories that DllGetClassObject
// hands out, and DllCanUnloadNow. Registration lives in registration_win32.cpp.
#include <windows.h>
#include <ole2.h>

#include "com_support_win32.h"
#include "map_window_win32.h"
#include "property_pages_win32.h"
#include "vexausa_ctrl_win32.h"
#include "vexausa_ids.h"

HINSTANCE g_server_module = nullptr;

namespace {

LONG g_objects = 0;
LONG g_locks = 0;

using CreateFunction = HRESULT (*)(REFIID iid, void** object);

class ClassFactory final : public SingleInterfaceObject<IClassFactory, IID_IClassFactory> {
 public:
  explicit ClassFactory(CreateFunction create) : create_(create) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    // The control does not take part in aggregation.
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    ServerLock(lock != FALSE);
    return S_OK;
  }

 private:
  CreateFunction create_;
};

}  // namespace

void ServerObjectCreated() { InterlockedIncrement(&g_objects); }
void ServerObjectDestroyed() { InterlockedDecrement(&g_objects); }
void ServerLock(bool lock) {
  if (lock) {
    InterlockedIncrement(&g_locks);
  } else {
    InterlockedDecrement(&g_locks);
  }
}
bool ServerInUse() { return g_objects > 0 || g_locks > 0; }

LPOLESTR CoTaskStringCopy(const wchar_t* text) {
  const size_t bytes = (static_cast<size_t>(lstrlenW(text)) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (copy != nullptr) CopyMemory(copy, text, bytes);
  return copy;
}

std::wstring ServerString(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadString hands out a pointer into the resource itself.
  const int length = LoadStringW(g_server_module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<size_t>(length));
}

HRESULT LoadServerTypeLib(ITypeLib** library) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(g_server_module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  return LoadTypeLibEx(path, REGKIND_NONE, library);
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_server_module = module;
    DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH) {
    UnregisterMapWindowClass();
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                                          void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  CreateFunction create = nullptr;
  if (clsid == CLSID_VexaUSA) {
    create = CreateVexausaCtrl;
  } else if (clsid == CLSID_CVexausaPropPage) {
    create = CreateVexausaPropPage;
  } else if (clsid == CLSID_CAboutPropPage) {
    create = CreateAboutPropPage;
  } else {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return CreateObject<ClassFactory>(iid, object, create);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return ServerInUse() ? S_FALSE : S_OK;
}
