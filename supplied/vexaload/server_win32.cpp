// VexaLoad.ocx as an in-process server: its entry point, its one class, DllCanUnloadNow,
// and self-registration. What the registration writes under HKEY_CLASSES_ROOT:
//   CLSID\{2C824442-6AA6-45D2-8EFD-2040F2E6B11C}   (default) the control's name
//     InprocServer32                 (default) path of the server, ThreadingModel Apartment
//     ProgID                         (default) VexaLoad.VexaLoadCtrl
//     Control                        (a key of its own, no value)
//     MiscStatus                     (default) "0"; MiscStatus\1 (default) the status bits
//     Version                        (default) "1.0"
//     Implemented Categories\{safe for scripting}, \{safe for initialising}
//   VexaLoad.VexaLoadCtrl            (default) the control's name; CLSID (default) {class}
// The counts, the class factory and the key helpers are those every server of ours uses.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "com_support_win32.h"
#include "vexaload_ctrl_win32.h"
#include "vexaload_ids.h"

namespace {

// The component categories a browser reads before it scripts or initialises a control
// that offers no IObjectSafety (ours does, as well).
constexpr const wchar_t* kSafeForScripting = L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
constexpr const wchar_t* kSafeForInitialising = L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

bool RegisterLoaderClass(const std::wstring& server) {
  const std::wstring clsid = GuidText(CLSID_VexaLoad);
  const std::wstring key = L"CLSID\\" + clsid;
  const std::wstring status = std::to_wstring(kVexaLoadMiscStatus);
  const std::wstring categories = key + L"\\Implemented Categories\\";
  return WriteClassesKey(key, kVexaLoadName) &&
         WriteClassesKey(key + L"\\InprocServer32", server.c_str(), L"ThreadingModel", L"Apartment") &&
         WriteClassesKey(key + L"\\ProgID", kVexaLoadProgId) && WriteClassesKey(key + L"\\Control", nullptr) &&
         WriteClassesKey(key + L"\\MiscStatus", L"0") && WriteClassesKey(key + L"\\MiscStatus\\1", status.c_str()) &&
         WriteClassesKey(key + L"\\Version", L"1.0") && WriteClassesKey(categories + kSafeForScripting, nullptr) &&
         WriteClassesKey(categories + kSafeForInitialising, nullptr) &&
         WriteClassesKey(kVexaLoadProgId, kVexaLoadName) &&
         WriteClassesKey(std::wstring(kVexaLoadProgId) + L"\\CLSID", clsid.c_str());
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_server_module = module;
    DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH) {
    UnregisterLoaderWindowClass();
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                                          void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_VexaLoad) return CLASS_E_CLASSNOTAVAILABLE;
  return CreateObject<ClassFactory>(iid, object, CreateVexaLoadCtrl);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ServerInUse() ? S_FALSE : S_OK; }

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Guarded([] {
    std::wstring server;
    if (!ServerPath(server) || !RegisterLoaderClass(server)) return SELFREG_E_CLASS;
    return S_OK;
  });
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Guarded([] {
    const bool class_gone = DeleteClassesTree(L"CLSID\\" + GuidText(CLSID_VexaLoad));
    const bool prog_id_gone = DeleteClassesTree(kVexaLoadProgId);
    return class_gone && prog_id_gone ? S_OK : SELFREG_E_CLASS;
  });
}
