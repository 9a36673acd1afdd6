// DllRegisterServer and DllUnregisterServer: the type library from the server's own
// resource, then the three classes with their ProgIDs. Each step stops at its first
// failure and answers with that step's code; a failing type library leaves the classes
// alone.
//
// What a class registration writes under HKEY_CLASSES_ROOT (the platform puts it in the
// registry view of the server's bitness):
//   CLSID\{class}                    (default) name shown
//     InprocServer32                 (default) path of the server, ThreadingModel Apartment
//     ProgID                         (default) the ProgID
//   the control also:
//     ToolboxBitmap32                (default) "path, 1"
//     Control                        (a key of its own, no value)
//     MiscStatus                     (default) "0"; MiscStatus\1 (default) the status bits
//     TypeLib                        (default) {library}
//     Version                        (default) "1.0"
//   ProgID                           (default) name shown; CLSID (default) {class}
// No "Insertable" key: the control is not offered to documents as an object.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "com_support_win32.h"
#include "resource.h"
#include "vexausa_ctrl_win32.h"
#include "vexausa_ids.h"

namespace {

struct ClassRegistration {
  const CLSID* clsid;
  const wchar_t* prog_id;
  UINT name_id;
  bool control;
};

const ClassRegistration kClasses[] = {
    {&CLSID_VexaUSA, L"VEXAUSA.VexausaCtrl", IDS_CONTROL_NAME, true},
    {&CLSID_CVexausaPropPage, L"VEXAUSA.VexausaPropPage.1", IDS_PROPERTY_PAGE_NAME, false},
    {&CLSID_CAboutPropPage, L"CAboutPropPage0.CAboutPropPage", IDS_ABOUT_PAGE_NAME, false},
};

bool RegisterServerClass(const ClassRegistration& c, const std::wstring& server) {
  const std::wstring clsid = GuidText(*c.clsid);
  const std::wstring key = L"CLSID\\" + clsid;
  const std::wstring name = ServerString(c.name_id);
  bool ok = WriteClassesKey(key, name.c_str()) &&
            WriteClassesKey(key + L"\\InprocServer32", server.c_str(), L"ThreadingModel", L"Apartment") &&
            WriteClassesKey(key + L"\\ProgID", c.prog_id) && WriteClassesKey(c.prog_id, name.c_str()) &&
            WriteClassesKey(std::wstring(c.prog_id) + L"\\CLSID", clsid.c_str());
  if (ok && c.control) {
    const std::wstring status = std::to_wstring(kVexausaMiscStatus);
    ok = WriteClassesKey(key + L"\\ToolboxBitmap32", (server + L", " + std::to_wstring(IDB_TOOLBOX)).c_str()) &&
         WriteClassesKey(key + L"\\Control", nullptr) && WriteClassesKey(key + L"\\MiscStatus", L"0") &&
         WriteClassesKey(key + L"\\MiscStatus\\1", status.c_str()) &&
         WriteClassesKey(key + L"\\TypeLib", GuidText(LIBID_VexausaLib).c_str()) && WriteClassesKey(key + L"\\Version", L"1.0");
  }
  return ok;
}

bool UnregisterServerClass(const ClassRegistration& c) {
  const bool class_gone = DeleteClassesTree(L"CLSID\\" + GuidText(*c.clsid));
  const bool prog_id_gone = DeleteClassesTree(c.prog_id);
  return class_gone && prog_id_gone;
}

HRESULT RegisterTypeLibrary(const std::wstring& server) {
  ComPtr<ITypeLib> library;
  HRESULT result = LoadTypeLibEx(server.c_str(), REGKIND_NONE, library.Out());
  if (FAILED(result)) return result;
  // The path parameter is not const in the platform's declaration; it is only read.
  std::wstring path = server;
  return RegisterTypeLib(library.Get(), path.data(), nullptr);
}

HRESULT UnregisterTypeLibrary() {
  ComPtr<ITypeLib> library;
  HRESULT result = LoadServerTypeLib(library.Out());
  if (FAILED(result)) return result;
  TLIBATTR* attributes = nullptr;
  result = library->GetLibAttr(&attributes);
  if (FAILED(result)) return result;
  result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                             attributes->syskind);
  library->ReleaseTLibAttr(attributes);
  return result;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Guarded([] {
    std::wstring server;
    if (!ServerPath(server) || FAILED(RegisterTypeLibrary(server))) return SELFREG_E_TYPELIB;
    for (const ClassRegistration& c : kClasses) {
      if (!RegisterServerClass(c, server)) return SELFREG_E_CLASS;
    }
    return S_OK;
  });
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Guarded([] {
    if (FAILED(UnregisterTypeLibrary())) return SELFREG_E_TYPELIB;
    bool ok = true;
    for (const ClassRegistration& c : kClasses) ok = UnregisterServerClass(c) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
  });
}
