#include "property_pages_win32.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "com_support_win32.h"
#include "resource.h"
#include "vexausa_ctrl_win32.h"

namespace {

// What the two pages share: the page dialog inside the property frame, the page site,
// the selected objects and the dirty state.
class PropertyPage : public SingleInterfaceObject<IPropertyPage, IID_IPropertyPage> {
 public:
  PropertyPage(int dialog_id, int title_id) : dialog_id_(dialog_id), title_id_(title_id) {}
  ~PropertyPage() override { ReleaseObjects(); }

  STDMETHODIMP SetPageSite(IPropertyPageSite* site) override {
    site_.Assign(site);
    return S_OK;
  }

  STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override {
    if (rect == nullptr) return E_POINTER;
    if (dialog_ != nullptr) return E_UNEXPECTED;
    dialog_ = CreateDialogParamW(g_server_module, MAKEINTRESOURCEW(dialog_id_), parent, PageProc,
                                 reinterpret_cast<LPARAM>(this));
    if (dialog_ == nullptr) return E_OUTOFMEMORY;
    Move(rect);
    return Guarded([&] {
      Fill();
      return S_OK;
    });
  }

  STDMETHODIMP Deactivate() override {
    if (dialog_ == nullptr) return E_UNEXPECTED;
    HWND dialog = dialog_;
    dialog_ = nullptr;
    DestroyWindow(dialog);
    return S_OK;
  }

  STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override {
    if (info == nullptr) return E_POINTER;
    return Guarded([&] {
      const std::wstring title = ServerString(static_cast<UINT>(title_id_));
      info->cb = sizeof(PROPPAGEINFO);
      info->pszTitle = CoTaskStringCopy(title.c_str());
      if (info->pszTitle == nullptr) return E_OUTOFMEMORY;
      info->size = DialogSize();
      info->pszDocString = nullptr;
      info->pszHelpFile = nullptr;
      info->dwHelpContext = 0;
      return S_OK;
    });
  }

  STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override {
    if (count > 0 && objects == nullptr) return E_POINTER;
    return Guarded([&] {
      ReleaseObjects();
      for (ULONG i = 0; i < count; ++i) {
        IDispatch* dispatch = nullptr;
        if (objects[i] != nullptr &&
            SUCCEEDED(objects[i]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
          try {
            objects_.push_back(dispatch);
          } catch (...) {
            dispatch->Release();
            throw;
          }
        }
      }
      return S_OK;
    });
  }

  STDMETHODIMP Show(UINT command) override {
    if (dialog_ == nullptr) return E_UNEXPECTED;
    ShowWindow(dialog_, static_cast<int>(command));
    return S_OK;
  }

  STDMETHODIMP Move(LPCRECT rect) override {
    if (rect == nullptr) return E_POINTER;
    if (dialog_ == nullptr) return E_UNEXPECTED;
    MoveWindow(dialog_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
  }

  STDMETHODIMP IsPageDirty() override { return dirty_ ? S_OK : S_FALSE; }

  STDMETHODIMP Apply() override {
    return Guarded([&] {
      const HRESULT result = ApplyToObjects();
      if (SUCCEEDED(result)) dirty_ = false;
      return result;
    });
  }

  STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }

  STDMETHODIMP TranslateAccelerator(MSG* message) override {
    if (message == nullptr) return E_POINTER;
    return dialog_ != nullptr && IsDialogMessageW(dialog_, message) ? S_OK : S_FALSE;
  }

 protected:
  virtual void Fill() {}
  virtual HRESULT ApplyToObjects() { return S_OK; }
  virtual void OnCommand(WORD, WORD) {}

  HWND Dialog() const { return dialog_; }
  const std::vector<IDispatch*>& Objects() const { return objects_; }

  void SetDirty() {
    dirty_ = true;
    if (site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
  }

 private:
  static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      return TRUE;
    }
    auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (page == nullptr || message != WM_COMMAND) return FALSE;
    try {
      page->OnCommand(LOWORD(wparam), HIWORD(wparam));
    } catch (...) {
      // Nothing may unwind into the dialog manager.
    }
    return TRUE;
  }

  // The page's size in pixels, as its dialog template comes out with its own font.
  SIZE DialogSize() const {
    SIZE size{0, 0};
    HWND probe = CreateDialogParamW(g_server_module, MAKEINTRESOURCEW(dialog_id_), GetDesktopWindow(), ProbeProc, 0);
    if (probe == nullptr) return size;
    RECT rect;
    GetWindowRect(probe, &rect);
    DestroyWindow(probe);
    size.cx = rect.right - rect.left;
    size.cy = rect.bottom - rect.top;
    return size;
  }
  static INT_PTR CALLBACK ProbeProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

  void ReleaseObjects() {
    for (IDispatch* object : objects_) object->Release();
    objects_.clear();
  }

  int dialog_id_;
  int title_id_;
  HWND dialog_ = nullptr;
  bool dirty_ = false;
  ComPtr<IPropertyPageSite> site_;
  std::vector<IDispatch*> objects_;
};

bool GetBoolProperty(IDispatch* object, DISPID dispid, bool& value) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  if (FAILED(object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                            nullptr))) {
    return false;
  }
  VARIANT as_bool;
  VariantInit(&as_bool);
  const bool ok = SUCCEEDED(VariantChangeType(&as_bool, &result, 0, VT_BOOL));
  if (ok) value = as_bool.boolVal != VARIANT_FALSE;
  VariantClear(&result);
  return ok;
}

HRESULT PutBoolProperty(IDispatch* object, DISPID dispid, bool value) {
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BOOL;
  argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                        nullptr);
}

// "General": AutoSize (check box 201) and Enabled (check box 202).
class VexausaPropPage final : public PropertyPage {
 public:
  VexausaPropPage() : PropertyPage(IDD_GENERAL_PAGE, IDS_GENERAL_PAGE_TITLE) {}

 private:
  void Fill() override {
    // The page shows the first selected control's values.
    if (!Objects().empty()) {
      GetBoolProperty(Objects().front(), kDispAutoSize, auto_size_);
      GetBoolProperty(Objects().front(), DISPID_ENABLED, enabled_);
    }
    CheckDlgButton(Dialog(), IDC_AUTOSIZE, auto_size_ ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Dialog(), IDC_ENABLED, enabled_ ? BST_CHECKED : BST_UNCHECKED);
  }

  HRESULT ApplyToObjects() override {
    if (Dialog() == nullptr) return S_OK;
    const bool auto_size = IsDlgButtonChecked(Dialog(), IDC_AUTOSIZE) == BST_CHECKED;
    const bool enabled = IsDlgButtonChecked(Dialog(), IDC_ENABLED) == BST_CHECKED;
    HRESULT result = S_OK;
    for (IDispatch* object : Objects()) {
      if (auto_size != auto_size_) {
        const HRESULT put = PutBoolProperty(object, kDispAutoSize, auto_size);
        if (FAILED(put)) result = put;
      }
      if (enabled != enabled_) {
        const HRESULT put = PutBoolProperty(object, DISPID_ENABLED, enabled);
        if (FAILED(put)) result = put;
      }
    }
    auto_size_ = auto_size;
    enabled_ = enabled;
    return result;
  }

  void OnCommand(WORD id, WORD code) override {
    if ((id == IDC_AUTOSIZE || id == IDC_ENABLED) && code == BN_CLICKED) SetDirty();
  }

  bool auto_size_ = false;
  bool enabled_ = false;
};

class AboutPropPage final : public PropertyPage {
 public:
  AboutPropPage() : PropertyPage(IDD_ABOUT_PAGE, IDS_ABOUT_PAGE_TITLE) {}
};

}  // namespace

HRESULT CreateVexausaPropPage(REFIID iid, void** object) { return CreateObject<VexausaPropPage>(iid, object); }
HRESULT CreateAboutPropPage(REFIID iid, void** object) { return CreateObject<AboutPropPage>(iid, object); }
