// The USA map control: identity, size, the mouse events, its windows, connection points,
// class information and property pages.
#include "vexausa_ctrl_win32.h"

#include <string>

#include "resource.h"

namespace {

int ScreenPixelsPerInch(int index) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, index) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

constexpr int kHimetricPerInch = 2540;

VARIANT ShortArgument(std::int16_t value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I2;
  v.iVal = value;
  return v;
}

}  // namespace

HRESULT CreateVexausaCtrl(REFIID iid, void** object) { return CreateObject<CVexausaCtrl>(iid, object); }

CVexausaCtrl::CVexausaCtrl()
    : events_(this, DIID__DVexaUSAEvents, true), property_notify_(this, IID_IPropertyNotifySink, false) {
  // Construction: the framework's part first (initial size 513 x 352), then the pictures,
  // then the state table. No mask surface, empty drawing bounds, no flags set.
  const int dpi_x = ScreenPixelsPerInch(LOGPIXELSX);
  const int dpi_y = ScreenPixelsPerInch(LOGPIXELSY);
  extent_ = {MulDiv(kMapWidth, kHimetricPerInch, dpi_x), MulDiv(kMapHeight, kHimetricPerInch, dpi_y)};
  size_reset_pending_ = false;
  LoadPictures();
}

CVexausaCtrl::~CVexausaCtrl() {
  if (window_ != nullptr) DestroyWindow(window_);
  ReleaseMaskSurface();
  if (map_picture_ != nullptr) DeleteObject(map_picture_);
  if (mask_picture_ != nullptr) DeleteObject(mask_picture_);
}

// ---- IUnknown

STDMETHODIMP CVexausaCtrl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleObject) {
    *object = static_cast<IOleObject*>(this);
  } else if (iid == IID_IDispatch || iid == DIID__DVexaUSA) {
    *object = static_cast<IDispatch*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
    *object = static_cast<IOleInPlaceObject*>(this);
  } else if (iid == IID_IOleInPlaceActiveObject) {
    *object = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (iid == IID_IOleControl) {
    *object = static_cast<IOleControl*>(this);
  } else if (iid == IID_IViewObject || iid == IID_IViewObject2) {
    *object = static_cast<IViewObject2*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else if (iid == IID_IPersistStream) {
    // IPersistStreamInit is IPersistStream with InitNew at the end: the same table serves.
    *object = static_cast<IPersistStreamInit*>(this);
  } else if (iid == IID_IPersistPropertyBag) {
    *object = static_cast<IPersistPropertyBag*>(this);
  } else if (iid == IID_IPersistStorage) {
    *object = static_cast<IPersistStorage*>(this);
  } else if (iid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
    *object = static_cast<IProvideClassInfo2*>(this);
  } else if (iid == IID_ISpecifyPropertyPages) {
    *object = static_cast<ISpecifyPropertyPages*>(this);
  } else if (iid == IID_IQuickActivate) {
    *object = static_cast<IQuickActivate*>(this);
  } else {
    // A host asking for something the control does not offer is worth knowing when a
    // new container misbehaves; a debugger or the platform's debug log shows it.
    wchar_t text[64] = L"VEXAUSA: no interface ";
    StringFromGUID2(iid, text + lstrlenW(text), 40);
    lstrcatW(text, L"\n");
    OutputDebugStringW(text);
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CVexausaCtrl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) CVexausaCtrl::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

// ---- The framework's part

void CVexausaCtrl::ResetToDefaults() {
  auto_size_ = false;
  SetEnabled(true);
  extent_ = {MulDiv(kMapWidth, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSX)),
             MulDiv(kMapHeight, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSY))};
  dirty_ = false;
  // A new control takes its natural size at its first drawing.
  size_reset_pending_ = true;
}

bool CVexausaCtrl::AmbientUserMode() const {
  // Without a site, or a site without ambient properties, the control is running.
  if (!client_site_) return true;
  ComPtr<IDispatch> ambient;
  if (FAILED(client_site_->QueryInterface(IID_IDispatch, ambient.OutVoid())) || !ambient) return true;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  if (FAILED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                             &value, nullptr, nullptr))) {
    return true;
  }
  VARIANT as_bool;
  VariantInit(&as_bool);
  const bool user_mode = SUCCEEDED(VariantChangeType(&as_bool, &value, 0, VT_BOOL)) ? as_bool.boolVal != VARIANT_FALSE
                                                                                     : true;
  VariantClear(&value);
  return user_mode;
}


void CVexausaCtrl::SetControlSize(int width, int height) {
  extent_ = {MulDiv(width, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSX)),
             MulDiv(height, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSY))};
  dirty_ = true;
  if (window_ != nullptr && in_place_site_) {
    RECT wanted{position_.left, position_.top, position_.left + width, position_.top + height};
    // A container that does not move its controls itself leaves the control to take
    // the new size in the place it has.
    if (FAILED(in_place_site_->OnPosRectChange(&wanted))) SetObjectRects(&wanted, &wanted);
  } else if (client_site_) {
    client_site_->RequestNewObjectLayout();
  }
  InvalidateControl();
}


void CVexausaCtrl::PropertyChanged(DISPID dispid) { property_notify_.NotifyChanged(dispid); }

void CVexausaCtrl::FireEvent(DISPID dispid, const std::vector<VARIANT>& arguments) {
  if (freeze_count_ > 0) return;
  events_.Invoke(dispid, arguments);
}

void CVexausaCtrl::FireMouseEvent(DISPID dispid, std::int16_t state, std::int16_t x, std::int16_t y,
                                  std::uint16_t button) {
  FireEvent(dispid, {ShortArgument(state), ShortArgument(x), ShortArgument(y),
                     ShortArgument(static_cast<std::int16_t>(button))});
}

LRESULT CVexausaCtrl::OnMouseMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // A sink may close the control while it handles an event.
  ComPtr<IOleObject> self;
  self.Assign(this);
  const auto x = static_cast<std::int16_t>(LOWORD(lparam));
  const auto y = static_cast<std::int16_t>(HIWORD(lparam));
  const std::int16_t state = GetStateId(x, y);
  auto flags = static_cast<std::uint16_t>(LOWORD(wparam));
  switch (message) {
    case WM_MOUSEMOVE:
      FireMouseEvent(kEventMouseMoveOnMap, state, x, y, flags);
      break;
    case WM_LBUTTONDOWN:
      left_button_down_ = true;
      flags |= MK_LBUTTON;
      FireMouseEvent(kEventMouseDownOnMap, state, x, y, flags);
      break;
    case WM_MBUTTONDOWN:
      flags |= MK_MBUTTON;
      FireMouseEvent(kEventMouseDownOnMap, state, x, y, flags);
      break;
    case WM_RBUTTONDOWN:
      flags |= MK_RBUTTON;
      FireMouseEvent(kEventMouseDownOnMap, state, x, y, flags);
      break;
    case WM_LBUTTONUP:
      flags |= MK_LBUTTON;
      FireMouseEvent(kEventMouseUpOnMap, state, x, y, flags);
      if (left_button_down_) FireEvent(kEventClickMap, {ShortArgument(state)});
      left_button_down_ = false;
      break;
    case WM_MBUTTONUP:
      flags |= MK_MBUTTON;
      FireMouseEvent(kEventMouseUpOnMap, state, x, y, flags);
      break;
    case WM_RBUTTONUP:
      flags |= MK_RBUTTON;
      FireMouseEvent(kEventMouseUpOnMap, state, x, y, flags);
      break;
    default:
      break;
  }
  const WPARAM passed = (wparam & ~static_cast<WPARAM>(0xFFFF)) | flags;
  return DefWindowProcW(window, message, passed, lparam);
}

LRESULT CVexausaCtrl::OnWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc != nullptr) {
        RECT client;
        GetClientRect(window, &client);
        OnDraw(dc, client);
        EndPaint(window, &paint);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the map covers the whole window
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
      return OnMouseMessage(window, message, wparam, lparam);
    case WM_DESTROY:
      if (window == window_) window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND CVexausaCtrl::ContainerWindow() const {
  HWND parent = nullptr;
  if (in_place_site_) in_place_site_->GetWindow(&parent);
  return parent;
}

HWND CVexausaCtrl::OwnerWindow() const {
  if (window_ != nullptr) return GetAncestor(window_, GA_ROOT);
  HWND container = ContainerWindow();
  if (container != nullptr) return GetAncestor(container, GA_ROOT);
  if (client_site_) {
    ComPtr<IOleWindow> site_window;
    HWND site = nullptr;
    if (SUCCEEDED(client_site_->QueryInterface(IID_IOleWindow, site_window.OutVoid())) && site_window &&
        SUCCEEDED(site_window->GetWindow(&site))) {
      return site;
    }
  }
  return GetActiveWindow();
}

// ---- IConnectionPointContainer

STDMETHODIMP CVexausaCtrl::EnumConnectionPoints(IEnumConnectionPoints** points) {
  return CreateConnectionPointEnumerator({&events_, &property_notify_}, points);
}

STDMETHODIMP CVexausaCtrl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (iid == DIID__DVexaUSAEvents) {
    *point = &events_;
  } else if (iid == IID_IPropertyNotifySink) {
    *point = &property_notify_;
  } else {
    return CONNECT_E_NOCONNECTION;
  }
  (*point)->AddRef();
  return S_OK;
}

// ---- IProvideClassInfo2

STDMETHODIMP CVexausaCtrl::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  ComPtr<ITypeLib> library;
  const HRESULT result = LoadServerTypeLib(library.Out());
  if (FAILED(result)) return result;
  return library->GetTypeInfoOfGuid(CLSID_VexaUSA, info);
}

STDMETHODIMP CVexausaCtrl::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID__DVexaUSAEvents;
  return S_OK;
}

// ---- ISpecifyPropertyPages

STDMETHODIMP CVexausaCtrl::GetPages(CAUUID* pages) {
  if (pages == nullptr) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(2 * sizeof(GUID)));
  if (pages->pElems == nullptr) return E_OUTOFMEMORY;
  pages->pElems[0] = CLSID_CVexausaPropPage;
  pages->pElems[1] = CLSID_CAboutPropPage;
  pages->cElems = 2;
  return S_OK;
}

void CVexausaCtrl::ShowPropertyPages() {
  CAUUID pages{};
  if (FAILED(GetPages(&pages))) return;
  IUnknown* objects[] = {Identity()};
  const std::wstring caption = ServerString(IDS_CONTROL_NAME);
  OleCreatePropertyFrame(OwnerWindow(), 0, 0, caption.c_str(), 1, objects, pages.cElems, pages.pElems,
                         LOCALE_USER_DEFAULT, 0, nullptr);
  CoTaskMemFree(pages.pElems);
}
