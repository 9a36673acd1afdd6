#include "vexaload_ctrl_win32.h"

#include <string>

#include "com_support_win32.h"
#include "loader_install_win32.h"
#include "progress_window.h"
#include "text.h"
#include "vexaload_ids.h"

namespace {

constexpr wchar_t kWindowClass[] = L"VexaLoadMessages";
constexpr UINT kStartMessage = WM_APP + 1;
constexpr DWORD kSafetyOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
// Bounds what a page may hand over as a parameter.
constexpr UINT kMaxParameterLength = 4096;
constexpr char kTitle[] = "Web Setup";

// The person at the PC, asked from the run's thread while the window shows: on top of
// every window, No the default.
class UserQuestions final : public LoaderQuestions {
 public:
  bool Ask(const std::string& question) override {
    return MessageBoxA(nullptr, question.c_str(), kTitle,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND | MB_TOPMOST) == IDYES;
  }
};

BSTR BstrOf(const std::string& text) {
  const std::wstring wide = Wide(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// One string parameter of the bag; false when it is missing or not text of a sane length.
bool ReadBagText(IPropertyBag* bag, IErrorLog* errors, const wchar_t* name, std::string& value) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  if (FAILED(bag->Read(name, &variant, errors))) return false;
  bool ok = false;
  if (VariantChangeType(&variant, &variant, 0, VT_BSTR) == S_OK && variant.bstrVal != nullptr &&
      SysStringLen(variant.bstrVal) <= kMaxParameterLength) {
    value = Narrow(variant.bstrVal);
    ok = true;
  }
  VariantClear(&variant);
  return ok;
}

class VexaLoadCtrl final : public IOleObject,
                           public IPersistStreamInit,
                           public IPersistPropertyBag,
                           public IObjectSafety,
                           public IDispatch {
 public:
  VexaLoadCtrl();
  ~VexaLoadCtrl();
  VexaLoadCtrl(const VexaLoadCtrl&) = delete;
  VexaLoadCtrl& operator=(const VexaLoadCtrl&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    site_.Assign(site);
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (site == nullptr) return E_POINTER;
    *site = site_.Get();
    if (*site != nullptr) (*site)->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override { return S_OK; }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override { return OleRegEnumVerbs(CLSID_VexaLoad, verbs); }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override { return OleRegGetUserType(CLSID_VexaLoad, form, type); }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
    if (size == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    extent_ = *size;
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override {
    if (size == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
  }
  STDMETHODIMP Advise(IAdviseSink*, DWORD* connection) override {
    if (connection != nullptr) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override {
    if (advise != nullptr) *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    if (status == nullptr) return E_POINTER;
    *status = kVexaLoadMiscStatus;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IPersist, IPersistStreamInit and IPersistPropertyBag: only the parameters of the
  // page are state; a stream holds nothing.
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_VexaLoad;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(IStream*) override { return S_OK; }
  STDMETHODIMP Save(IStream*, BOOL) override { return S_OK; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
  }
  STDMETHODIMP InitNew() override { return S_OK; }
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* errors) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL, BOOL) override;

  // IObjectSafety
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

  // IDispatch, without a type library: three read-only members and ScriptFile.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void StartWhenReady();
  void RunInstallation();
  std::string PageUrl() const;

  ServerObjectCount count_;
  LONG refs_ = 0;
  ComPtr<IOleClientSite> site_;
  SIZEL extent_{26, 26};  // one pixel by one, in HIMETRIC
  HWND messages_ = nullptr;
  bool untrusted_data_ = false;
  bool activated_ = false;
  bool started_ = false;
  LONG ready_state_ = READYSTATE_LOADED;
  std::string script_file_;
  EngineOptions options_;
  std::string result_;
  int exit_status_ = 0;
};

VexaLoadCtrl::VexaLoadCtrl() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = g_server_module;
  window_class.lpszClassName = kWindowClass;
  RegisterClassW(&window_class);  // fails harmlessly when the class exists
  messages_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_server_module, nullptr);
  if (messages_ != nullptr) SetWindowLongPtrW(messages_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

VexaLoadCtrl::~VexaLoadCtrl() {
  if (messages_ != nullptr) DestroyWindow(messages_);
}

STDMETHODIMP VexaLoadCtrl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleObject) {
    *object = static_cast<IOleObject*>(this);
  } else if (iid == IID_IPersistStreamInit) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else if (iid == IID_IPersistPropertyBag) {
    *object = static_cast<IPersistPropertyBag*>(this);
  } else if (iid == IID_IPersist) {
    *object = static_cast<IPersistPropertyBag*>(this);
  } else if (iid == IID_IObjectSafety) {
    *object = static_cast<IObjectSafety*>(this);
  } else if (iid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP VexaLoadCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
  if (verb == OLEIVERB_HIDE || verb == OLEIVERB_DISCARDUNDOSTATE) return S_OK;
  if (verb != OLEIVERB_PRIMARY && verb != OLEIVERB_SHOW && verb != OLEIVERB_OPEN && verb != OLEIVERB_INPLACEACTIVATE &&
      verb != OLEIVERB_UIACTIVATE) {
    return OLEOBJ_S_INVALIDVERB;
  }
  if (!site_ && site != nullptr) site_.Assign(site);
  activated_ = true;
  StartWhenReady();
  return S_OK;
}

STDMETHODIMP VexaLoadCtrl::Load(IPropertyBag* bag, IErrorLog* errors) {
  if (bag == nullptr) return E_POINTER;
  return Guarded([&] {
    if (started_) return E_UNEXPECTED;
    ReadBagText(bag, errors, L"ScriptFile", script_file_);
    if (!untrusted_data_) {
      std::string text;
      if (ReadBagText(bag, errors, L"Silent", text)) options_.silent = text == "1";
      ReadBagText(bag, errors, L"LogFile", options_.log_file);
      ReadBagText(bag, errors, L"Destination", options_.destination);
    }
    StartWhenReady();
    return S_OK;
  });
}

STDMETHODIMP VexaLoadCtrl::Save(IPropertyBag* bag, BOOL, BOOL) {
  if (bag == nullptr) return E_POINTER;
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = BstrOf(script_file_);
  const HRESULT result = bag->Write(L"ScriptFile", &variant);
  VariantClear(&variant);
  return result;
}

STDMETHODIMP VexaLoadCtrl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  if (iid != IID_IDispatch && iid != IID_IPersistPropertyBag && iid != IID_IPersistStreamInit) {
    *supported = *enabled = 0;
    return E_NOINTERFACE;
  }
  *supported = kSafetyOptions;
  *enabled = untrusted_data_ ? kSafetyOptions : 0;
  return S_OK;
}

STDMETHODIMP VexaLoadCtrl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
  if (iid != IID_IDispatch && iid != IID_IPersistPropertyBag && iid != IID_IPersistStreamInit) return E_NOINTERFACE;
  if ((mask & ~kSafetyOptions) != 0) return E_FAIL;
  // Once a host has said its data is untrusted, it stays so for this object.
  if ((mask & enabled) != 0) untrusted_data_ = true;
  return S_OK;
}

STDMETHODIMP VexaLoadCtrl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_POINTER;
  struct Member {
    const wchar_t* name;
    DISPID id;
  };
  static const Member kMembers[] = {{L"ScriptFile", kDispidScriptFile},
                                    {L"Result", kDispidResult},
                                    {L"ExitStatus", kDispidExitStatus},
                                    {L"ReadyState", DISPID_READYSTATE}};
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  ids[0] = DISPID_UNKNOWN;
  for (const Member& member : kMembers) {
    if (names[0] != nullptr && lstrcmpiW(names[0], member.name) == 0) ids[0] = member.id;
  }
  if (ids[0] == DISPID_UNKNOWN || count > 1) result = DISP_E_UNKNOWNNAME;
  return result;
}

STDMETHODIMP VexaLoadCtrl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                  EXCEPINFO*, UINT*) {
  return Guarded([&]() -> HRESULT {
    if ((flags & DISPATCH_PROPERTYPUT) != 0) {
      if (id != kDispidScriptFile) return DISP_E_MEMBERNOTFOUND;
      if (parameters == nullptr || parameters->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      if (started_) return E_UNEXPECTED;
      VARIANT text;
      VariantInit(&text);
      if (FAILED(VariantChangeType(&text, &parameters->rgvarg[0], 0, VT_BSTR)) || text.bstrVal == nullptr ||
          SysStringLen(text.bstrVal) > kMaxParameterLength) {
        VariantClear(&text);
        return DISP_E_TYPEMISMATCH;
      }
      script_file_ = Narrow(text.bstrVal);
      VariantClear(&text);
      StartWhenReady();
      return S_OK;
    }
    if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) == 0) return DISP_E_MEMBERNOTFOUND;
    if (parameters != nullptr && parameters->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (result == nullptr) return S_OK;
    VariantInit(result);
    switch (id) {
      case kDispidScriptFile:
        result->vt = VT_BSTR;
        result->bstrVal = BstrOf(script_file_);
        return S_OK;
      case kDispidResult:
        result->vt = VT_BSTR;
        result->bstrVal = BstrOf(result_);
        return S_OK;
      case kDispidExitStatus:
        result->vt = VT_I4;
        result->lVal = exit_status_;
        return S_OK;
      case DISPID_READYSTATE:
        result->vt = VT_I4;
        result->lVal = ready_state_;
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  });
}

// The installation starts once the control is active and knows its script, from the
// message loop, so that the host's call that made it ready returns first.
void VexaLoadCtrl::StartWhenReady() {
  if (started_ || !activated_ || script_file_.empty() || messages_ == nullptr) return;
  started_ = true;
  ready_state_ = READYSTATE_INTERACTIVE;
  PostMessageW(messages_, kStartMessage, 0, 0);
}

std::string VexaLoadCtrl::PageUrl() const {
  if (!site_) return {};
  ComPtr<IMoniker> moniker;
  if (FAILED(site_->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, moniker.Out())) || !moniker) return {};
  ComPtr<IBindCtx> context;
  if (FAILED(CreateBindCtx(0, context.Out()))) return {};
  LPOLESTR name = nullptr;
  if (FAILED(moniker->GetDisplayName(context.Get(), nullptr, &name)) || name == nullptr) return {};
  std::string url = lstrlenW(name) <= static_cast<int>(kMaxParameterLength) ? Narrow(name) : std::string();
  CoTaskMemFree(name);
  return url;
}

void VexaLoadCtrl::RunInstallation() {
  // The host may let go of the control while the window runs.
  AddRef();
  // A host may declare its data untrusted only after it handed over the parameters: a
  // page's Silent, LogFile and Destination never count.
  const EngineOptions options = untrusted_data_ ? EngineOptions{} : options_;
  const LoaderRequest request{script_file_, PageUrl(), options, untrusted_data_};
  const LogFile log(options.log_file);
  UserQuestions questions;
  LoaderOutcome outcome;
  if (options.silent) {
    SilentWebSetupUi ui;
    outcome = RunLoaderInstallation(request, ui, questions, log);
  } else {
    ProgressWindow window;
    window.Run(g_server_module, [&] { outcome = RunLoaderInstallation(request, window, questions, log); });
    ShowRunOutcome(outcome, kTitle, log);
  }
  result_ = untrusted_data_ ? outcome.page_result : outcome.message;
  exit_status_ = outcome.exit_status;
  ready_state_ = READYSTATE_COMPLETE;
  Release();
}

LRESULT CALLBACK VexaLoadCtrl::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kStartMessage) {
    auto* control = reinterpret_cast<VexaLoadCtrl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (control != nullptr) {
      try {
        control->RunInstallation();
      } catch (...) {
        // Nothing may leave a window procedure; the run reports its own failures.
      }
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

HRESULT CreateVexaLoadCtrl(REFIID iid, void** object) { return CreateObject<VexaLoadCtrl>(iid, object); }

void UnregisterLoaderWindowClass() { UnregisterClassW(kWindowClass, g_server_module); }
