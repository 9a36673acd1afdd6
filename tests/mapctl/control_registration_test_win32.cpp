// VEXAUSA.OCX as installers and the platform see it: registration through the system's
// regsvr32 and what it leaves in the registry (in this process's registry view), the
// entry points called directly, and the type library read back through the platform.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "control_test_support_win32.h"

namespace {

const std::wstring kControl = L"CLSID\\" + GuidText(CLSID_VexaUSA);
const std::wstring kGeneralPage = L"CLSID\\" + GuidText(CLSID_CVexausaPropPage);
const std::wstring kAboutPage = L"CLSID\\" + GuidText(CLSID_CAboutPropPage);
const std::wstring kTypeLib = L"TypeLib\\" + GuidText(LIBID_VexausaLib);

class Server {
 public:
  Server() : module_(LoadLibraryW(ControlPath().c_str())) {}
  ~Server() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  template <class F>
  F Entry(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  bool Loaded() const { return module_ != nullptr; }

 private:
  HMODULE module_;
};

using EntryPoint = HRESULT(STDAPICALLTYPE*)();
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

bool NothingRegistered() {
  return !ClassesKeyExists(kControl) && !ClassesKeyExists(kGeneralPage) && !ClassesKeyExists(kAboutPage) &&
         !ClassesKeyExists(L"VEXAUSA.VexausaCtrl") && !ClassesKeyExists(L"VEXAUSA.VexausaPropPage.1") &&
         !ClassesKeyExists(L"CAboutPropPage0.CAboutPropPage") && !ClassesKeyExists(kTypeLib) &&
         !ClassesKeyExists(L"Interface\\" + GuidText(DIID__DVexaUSA)) &&
         !ClassesKeyExists(L"Interface\\" + GuidText(DIID__DVexaUSAEvents));
}

class RegistrationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(RegistrationTest, Regsvr32RegistersTheThreeClassesAndTheTypeLibraryAndRemovesThemAgain) {
  ASSERT_EQ(RunRegsvr32(false), 0u);

  CLSID resolved{};
  ASSERT_EQ(CLSIDFromProgID(L"VEXAUSA.VexausaCtrl", &resolved), S_OK);
  EXPECT_TRUE(IsEqualCLSID(resolved, CLSID_VexaUSA));
  EXPECT_EQ(ClassesValue(kControl), L"Corvanta USA Map Control");
  EXPECT_EQ(ClassesValue(kControl + L"\\InprocServer32"), ControlPath());
  EXPECT_EQ(ClassesValue(kControl + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(ClassesValue(kControl + L"\\ProgID"), L"VEXAUSA.VexausaCtrl");
  EXPECT_EQ(ClassesValue(kControl + L"\\ToolboxBitmap32"), ControlPath() + L", 1");
  EXPECT_TRUE(ClassesKeyExists(kControl + L"\\Control"));
  EXPECT_FALSE(ClassesKeyExists(kControl + L"\\Insertable"));
  EXPECT_EQ(ClassesValue(kControl + L"\\MiscStatus\\1"), std::to_wstring(0x20191));
  EXPECT_EQ(ClassesValue(kControl + L"\\TypeLib"), GuidText(LIBID_VexausaLib));
  EXPECT_EQ(ClassesValue(kControl + L"\\Version"), L"1.0");
  DWORD status = 0;
  EXPECT_EQ(OleRegGetMiscStatus(CLSID_VexaUSA, DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x20191u);

  EXPECT_EQ(ClassesValue(kGeneralPage), L"Vexausa Property Page");
  EXPECT_EQ(ClassesValue(kGeneralPage + L"\\ProgID"), L"VEXAUSA.VexausaPropPage.1");
  EXPECT_EQ(ClassesValue(L"VEXAUSA.VexausaPropPage.1\\CLSID"), GuidText(CLSID_CVexausaPropPage));
  EXPECT_EQ(ClassesValue(kAboutPage), L"About Property Page");
  EXPECT_EQ(ClassesValue(L"CAboutPropPage0.CAboutPropPage\\CLSID"), GuidText(CLSID_CAboutPropPage));
  EXPECT_EQ(ClassesValue(kAboutPage + L"\\InprocServer32"), ControlPath());

  BSTR path = nullptr;
  ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_VexausaLib, 1, 0, LOCALE_NEUTRAL, &path), S_OK);
  EXPECT_STREQ(path, ControlPath().c_str());
  SysFreeString(path);
  ITypeLib* library = nullptr;
  ASSERT_EQ(LoadRegTypeLib(LIBID_VexausaLib, 1, 0, LOCALE_NEUTRAL, &library), S_OK);
  library->Release();

  ASSERT_EQ(RunRegsvr32(true), 0u);
  EXPECT_TRUE(NothingRegistered());
  EXPECT_NE(CLSIDFromProgID(L"VEXAUSA.VexausaCtrl", &resolved), S_OK);
}

TEST_F(RegistrationTest, AFailingTypeLibraryRegistrationLeavesTheClassesUntouched) {
  ASSERT_TRUE(NothingRegistered());
  // A volatile library key: the platform cannot make the lasting version key below it.
  HKEY blocker = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kTypeLib.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &blocker, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(blocker);
  HRESULT result = E_UNEXPECTED;
  {
    Server server;
    ASSERT_TRUE(server.Loaded());
    auto do_register = server.Entry<EntryPoint>("DllRegisterServer");
    ASSERT_NE(do_register, nullptr);
    result = do_register();
  }
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kTypeLib.c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kTypeLib.c_str());
  EXPECT_EQ(result, SELFREG_E_TYPELIB);
  EXPECT_FALSE(ClassesKeyExists(kControl));
  EXPECT_FALSE(ClassesKeyExists(L"VEXAUSA.VexausaCtrl"));
  EXPECT_FALSE(ClassesKeyExists(kGeneralPage));
}

TEST_F(RegistrationTest, ClassFactoriesAndLocksKeepTheServerLoaded) {
  Server server;
  ASSERT_TRUE(server.Loaded());
  auto can_unload = server.Entry<EntryPoint>("DllCanUnloadNow");
  auto get_class_object = server.Entry<GetClassObject>("DllGetClassObject");
  ASSERT_NE(can_unload, nullptr);
  ASSERT_NE(get_class_object, nullptr);
  EXPECT_EQ(can_unload(), S_OK);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(get_class_object(CLSID_VexaUSA, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(can_unload(), S_FALSE);
  IUnknown* control = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)), S_OK);
  factory->LockServer(TRUE);
  factory->Release();
  EXPECT_EQ(can_unload(), S_FALSE);
  control->Release();
  EXPECT_EQ(can_unload(), S_FALSE) << "a lock is still held";
  ASSERT_EQ(get_class_object(CLSID_VexaUSA, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  factory->LockServer(FALSE);
  factory->Release();
  EXPECT_EQ(can_unload(), S_OK);

  IUnknown* unknown = nullptr;
  EXPECT_EQ(get_class_object(CLSID_CVexausaPropPage, IID_IClassFactory, reinterpret_cast<void**>(&unknown)), S_OK);
  if (unknown != nullptr) unknown->Release();
  EXPECT_EQ(get_class_object(CLSID_CAboutPropPage, IID_IClassFactory, reinterpret_cast<void**>(&unknown)), S_OK);
  if (unknown != nullptr) unknown->Release();
  EXPECT_EQ(get_class_object(IID_IUnknown, IID_IClassFactory, reinterpret_cast<void**>(&unknown)),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(unknown, nullptr);
}

// The type library as a host's object browser reads it.
TEST_F(RegistrationTest, TheTypeLibraryDescribesTheControlItsMembersAndItsEvents) {
  ITypeLib* library = nullptr;
  ASSERT_EQ(LoadTypeLibEx(ControlPath().c_str(), REGKIND_NONE, &library), S_OK);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_VexausaLib));
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr, help = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_STREQ(name, L"VexausaLib");
  EXPECT_STREQ(help, L"Corvanta USA Map Control");
  SysFreeString(name);
  SysFreeString(help);

  // _DVexaUSA: the members by name and dispatch id, with their types.
  ITypeInfo* dispatch = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(DIID__DVexaUSA, &dispatch), S_OK);
  struct Member {
    const wchar_t* name;
    DISPID id;
  };
  for (const Member& m : {Member{L"AutoSize", 1}, Member{L"GetMaskPixel", 2}, Member{L"GetStateId", 3},
                          Member{L"GetStateName", 4}, Member{L"Enabled", -514}, Member{L"AboutBox", -552}}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(names, 1, &id), S_OK) << m.name;
    EXPECT_EQ(id, m.id) << m.name;
  }
  TYPEATTR* type = nullptr;
  ASSERT_EQ(dispatch->GetTypeAttr(&type), S_OK);
  EXPECT_EQ(type->typekind, TKIND_DISPATCH);
  std::wstring seen;
  for (UINT i = 0; i < type->cFuncs; ++i) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(dispatch->GetFuncDesc(i, &function), S_OK);
    BSTR function_name = nullptr;
    dispatch->GetDocumentation(function->memid, &function_name, nullptr, nullptr, nullptr);
    seen += std::wstring(function_name) + L":" + std::to_wstring(function->elemdescFunc.tdesc.vt);
    for (SHORT p = 0; p < function->cParams; ++p) seen += L"," + std::to_wstring(function->lprgelemdescParam[p].tdesc.vt);
    seen += L" ";
    SysFreeString(function_name);
    dispatch->ReleaseFuncDesc(function);
  }
  for (UINT i = 0; i < type->cVars; ++i) {
    VARDESC* variable = nullptr;
    ASSERT_EQ(dispatch->GetVarDesc(i, &variable), S_OK);
    BSTR variable_name = nullptr;
    dispatch->GetDocumentation(variable->memid, &variable_name, nullptr, nullptr, nullptr);
    seen += std::wstring(variable_name) + L":" + std::to_wstring(variable->elemdescVar.tdesc.vt) + L" ";
    SysFreeString(variable_name);
    dispatch->ReleaseVarDesc(variable);
  }
  dispatch->ReleaseTypeAttr(type);
  dispatch->Release();
  // VT_I4 3, VT_I2 2, VT_BSTR 8, VT_VOID 24, VT_BOOL 11.
  EXPECT_EQ(seen, L"GetMaskPixel:3,2,2 GetStateId:2,2,2 GetStateName:8,2 AboutBox:24 AutoSize:11 Enabled:11 ");

  ITypeInfo* events = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(DIID__DVexaUSAEvents, &events), S_OK);
  seen.clear();
  ASSERT_EQ(events->GetTypeAttr(&type), S_OK);
  for (UINT i = 0; i < type->cFuncs; ++i) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(events->GetFuncDesc(i, &function), S_OK);
    BSTR function_name = nullptr;
    events->GetDocumentation(function->memid, &function_name, nullptr, nullptr, nullptr);
    seen += std::to_wstring(function->memid) + L"=" + function_name + L"/" + std::to_wstring(function->cParams) + L" ";
    for (SHORT p = 0; p < function->cParams; ++p) EXPECT_EQ(function->lprgelemdescParam[p].tdesc.vt, VT_I2);
    SysFreeString(function_name);
    events->ReleaseFuncDesc(function);
  }
  events->ReleaseTypeAttr(type);
  events->Release();
  EXPECT_EQ(seen, L"1=MouseMoveOnMap/4 2=MouseUpOnMap/4 3=MouseDownOnMap/4 4=ClickMap/1 ");

  // The class: default interface and default source.
  ITypeInfo* coclass = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_VexaUSA, &coclass), S_OK);
  ASSERT_EQ(coclass->GetTypeAttr(&type), S_OK);
  EXPECT_EQ(type->typekind, TKIND_COCLASS);
  EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FCONTROL);
  ASSERT_EQ(type->cImplTypes, 2);
  for (UINT i = 0; i < 2; ++i) {
    INT flags = 0;
    HREFTYPE reference = 0;
    ITypeInfo* implemented = nullptr;
    TYPEATTR* implemented_type = nullptr;
    ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
    ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &reference), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(reference, &implemented), S_OK);
    ASSERT_EQ(implemented->GetTypeAttr(&implemented_type), S_OK);
    const bool source = (flags & IMPLTYPEFLAG_FSOURCE) != 0;
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    EXPECT_TRUE(IsEqualGUID(implemented_type->guid, source ? DIID__DVexaUSAEvents : DIID__DVexaUSA));
    implemented->ReleaseTypeAttr(implemented_type);
    implemented->Release();
  }
  coclass->ReleaseTypeAttr(type);
  coclass->Release();
  library->Release();
}

TEST_F(RegistrationTest, TheVersionResourceSaysTwoPointZeroAndSelfRegistering) {
  const std::wstring path = ControlPath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);
  void* mark = nullptr;
  EXPECT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\OLESelfRegister", &mark, &length));
}

}  // namespace
