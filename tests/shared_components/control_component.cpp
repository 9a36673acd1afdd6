// An OCX-like in-process COM server for the component tests, built as a 32-bit and as a
// 64-bit edition with the same class. DllRegisterServer registers the file it was loaded
// from as the server of its class and appends that path and its version to
// C:\vexa-components\registrations.txt (registrations-64.txt for the 64-bit edition), so a
// test sees every registration. DllGetClassObject makes plain objects of the class, so a
// program can create the control the way a container does.
#include <windows.h>
#include <objbase.h>

#include <cstring>

namespace {

constexpr const char* kServerKey = "CLSID\\{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}\\InprocServer32";
constexpr CLSID kControlClass = {0x5D0C7A52, 0x3E1B, 0x4F7A, {0x9C, 0x2D, 0x7A, 0x1E, 0x0B, 0x5C, 0x9D, 0x31}};
#if defined(_WIN64)
constexpr const char* kMarkers = "C:\\vexa-components\\registrations-64.txt";
#else
constexpr const char* kMarkers = "C:\\vexa-components\\registrations.txt";
#endif

HMODULE g_module = nullptr;

// COM interfaces have no virtual destructor by design: objects end through Release.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// An object with IUnknown only; it ends with its last reference.
class ControlObject final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  LONG references_ = 1;
};

class ControlFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ControlObject* created = new ControlObject;
    const HRESULT result = created->QueryInterface(iid, object);
    created->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

ControlFactory g_factory;

void AppendMarker(const char* path) {
  CreateDirectoryA("C:\\vexa-components", nullptr);
  HANDLE file = CreateFileA(kMarkers, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[MAX_PATH + 64];
  lstrcpyA(line, path);
  lstrcatA(line, " " COMPONENT_VERSION "\r\n");
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = module;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  char path[MAX_PATH] = {};
  if (GetModuleFileNameA(g_module, path, MAX_PATH) == 0) return E_FAIL;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return E_FAIL;
  const LONG result = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                     static_cast<DWORD>(std::strlen(path) + 1));
  RegCloseKey(key);
  AppendMarker(path);
  return result == ERROR_SUCCESS ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID class_id, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(class_id, kControlClass)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kServerKey);
  return S_OK;
}
