// The in-process server: its entry point, the classes that DllGetClassObject makes, and
// DllCanUnloadNow. Registration lives in registration_win32.cpp; the counts and the class
// factory are the shared ones of com_support_win32.
#include <windows.h>
#include <ole2.h>

#include "com_support_win32.h"
#include "map_window_win32.h"
#include "property_pages_win32.h"
#include "vexausa_ctrl_win32.h"
#include "vexausa_ids.h"

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
