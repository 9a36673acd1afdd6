// The USA map control: identity, the dispatch interface _DVexaUSA, drawing with the mask
// surface, the hit test, the mouse events and the properties.
#include "vexausa_ctrl_win32.h"

#include <string>

#include "about_box_win32.h"
#include "resource.h"

namespace {

// The standard colour surface of the screen, as the reference colours and the mask
// are both read through one (so that a mask pixel and its colour compare equal).
class ScreenMemorySurface {
 public:
  ScreenMemorySurface() : dc_(CreateCompatibleDC(nullptr)) {}
  ~ScreenMemorySurface() {
    if (old_ != nullptr) SelectObject(dc_, old_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  ScreenMemorySurface(const ScreenMemorySurface&) = delete;
  ScreenMemorySurface& operator=(const ScreenMemorySurface&) = delete;

  bool Select(HBITMAP bitmap) {
    if (dc_ == nullptr || bitmap == nullptr) return false;
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (previous == nullptr) return false;
    if (old_ == nullptr) old_ = previous;
    return true;
  }
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

HBITMAP LoadPicture(int id) {
  return static_cast<HBITMAP>(LoadImageW(g_server_module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

// Step 3 of construction: the reference colours come out of the strip picture through a
// memory surface compatible with the screen, never from constants.
StateTable BuildStateTable() {
  ReferenceColours colours{};
  HBITMAP strip = LoadPicture(IDB_COLOUR_STRIP);
  {
    ScreenMemorySurface surface;
    if (surface.Select(strip)) {
      for (int x = 0; x < kReferenceColourCount; ++x) {
        colours[static_cast<size_t>(x)] = static_cast<Colour>(GetPixel(surface.Dc(), x, 0));
      }
    }
  }
  if (strip != nullptr) DeleteObject(strip);
  return MakeStateTable(colours);
}

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

// Argument `index` (0 for the first parameter) of a call, converted to `type`.
HRESULT ArgumentAs(const DISPPARAMS& params, UINT index, VARTYPE type, VARIANT& value, UINT* argument_error) {
  VariantInit(&value);
  const UINT position = params.cArgs - 1 - index;
  const HRESULT result = VariantChangeType(&value, &params.rgvarg[position], 0, type);
  if (FAILED(result)) {
    if (argument_error != nullptr) *argument_error = position;
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
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
  map_picture_ = LoadPicture(IDB_MAP);
  mask_picture_ = LoadPicture(IDB_MASK);
  table_ = BuildStateTable();
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

// ---- IDispatch

STDMETHODIMP CVexausaCtrl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (!dispatch_info_) {
    ComPtr<ITypeLib> library;
    HRESULT result = LoadServerTypeLib(library.Out());
    if (FAILED(result)) return result;
    result = library->GetTypeInfoOfGuid(DIID__DVexaUSA, dispatch_info_.Out());
    if (FAILED(result)) return result;
  }
  *info = dispatch_info_.Get();
  (*info)->AddRef();
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  ComPtr<ITypeInfo> info;
  const HRESULT result = GetTypeInfo(0, locale, info.Out());
  if (FAILED(result)) return result;
  return info->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP CVexausaCtrl::Invoke(DISPID dispid, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO*, UINT* argument_error) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (params == nullptr) return E_INVALIDARG;
  if (params->cArgs > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
  // Keeps the control alive should a member (the About box) let the container release it.
  ComPtr<IDispatch> self;
  self.Assign(this);
  return Guarded([&] { return InvokeMember(dispid, flags, *params, result, argument_error); });
}

HRESULT CVexausaCtrl::InvokeMember(DISPID dispid, WORD flags, const DISPPARAMS& params, VARIANT* result,
                                   UINT* argument_error) {
  const bool get = (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  if (dispid == kDispAutoSize || dispid == DISPID_ENABLED) {
    if (put) {
      if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
      if (params.cNamedArgs != 1 || params.rgdispidNamedArgs == nullptr ||
          params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return DISP_E_PARAMNOTOPTIONAL;
      }
      VARIANT value;
      const HRESULT converted = ArgumentAs(params, 0, VT_BOOL, value, argument_error);
      if (FAILED(converted)) return converted;
      if (dispid == kDispAutoSize) {
        SetAutoSize(value.boolVal != VARIANT_FALSE);
      } else {
        SetEnabled(value.boolVal != VARIANT_FALSE);
      }
      return S_OK;
    }
    if (!get) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (result != nullptr) {
      VariantInit(result);
      result->vt = VT_BOOL;
      result->boolVal = (dispid == kDispAutoSize ? auto_size_ : enabled_) ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
  }

  UINT arity = 0;
  switch (dispid) {
    case kDispGetMaskPixel:
    case kDispGetStateId:
      arity = 2;
      break;
    case kDispGetStateName:
      arity = 1;
      break;
    case DISPID_ABOUTBOX:
      arity = 0;
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (!get) return DISP_E_MEMBERNOTFOUND;
  if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params.cArgs != arity) return DISP_E_BADPARAMCOUNT;
  VARIANT first, second;
  VariantInit(&first);
  VariantInit(&second);
  if (arity >= 1) {
    const HRESULT converted = ArgumentAs(params, 0, VT_I2, first, argument_error);
    if (FAILED(converted)) return converted;
  }
  if (arity >= 2) {
    const HRESULT converted = ArgumentAs(params, 1, VT_I2, second, argument_error);
    if (FAILED(converted)) return converted;
  }
  if (result != nullptr) VariantInit(result);
  switch (dispid) {
    case kDispGetMaskPixel:
      if (result != nullptr) {
        result->vt = VT_I4;
        result->lVal = GetMaskPixel(first.iVal, second.iVal);
      }
      return S_OK;
    case kDispGetStateId:
      if (result != nullptr) {
        result->vt = VT_I2;
        result->iVal = GetStateId(first.iVal, second.iVal);
      }
      return S_OK;
    case kDispGetStateName: {
      if (result == nullptr) return S_OK;
      const std::string name = GetStateName(table_, first.iVal);
      // The names are plain ASCII.
      const std::wstring wide(name.begin(), name.end());
      BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      if (text == nullptr) return E_OUTOFMEMORY;
      result->vt = VT_BSTR;
      result->bstrVal = text;
      return S_OK;
    }
    default:
      AboutBox();
      return S_OK;
  }
}

// ---- _DVexaUSA

std::int32_t CVexausaCtrl::GetMaskPixel(std::int16_t x, std::int16_t y) const {
  if (mask_dc_ == nullptr) return kInvalidColour;
  const COLORREF colour = ::GetPixel(mask_dc_, x, y);
  return colour == CLR_INVALID ? kInvalidColour : static_cast<std::int32_t>(colour);
}

std::int16_t CVexausaCtrl::GetStateId(std::int16_t x, std::int16_t y) const {
  if (last_bounds_.Width() == 0 || last_bounds_.Height() == 0) return 0;
  return StateAtMaskPoint(table_, last_bounds_, x, y, GetMaskPixel(x, y));
}

void CVexausaCtrl::SetAutoSize(bool value) {
  if (!AmbientUserMode()) {
    // In a form designer the property browser and the container refresh on a change of
    // Enabled; toggling it there and back makes them take the new size.
    const bool old = enabled_;
    SetEnabled(!old);
    SetEnabled(old);
  }
  auto_size_ = value;
  auto_size_pending_ = true;
  dirty_ = true;
  PropertyChanged(kDispAutoSize);
  InvalidateControl();
}

void CVexausaCtrl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  dirty_ = true;
  if (window_ != nullptr) EnableWindow(window_, value ? TRUE : FALSE);
  PropertyChanged(DISPID_ENABLED);
  InvalidateControl();
}

void CVexausaCtrl::AboutBox() { ShowAboutBox(OwnerWindow()); }

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

void CVexausaCtrl::OnDraw(HDC dc, const RECT& bounds) {
  if (size_reset_pending_) {
    size_reset_pending_ = false;
    SetControlSize(kMapWidth, kMapHeight);
    return;
  }
  last_bounds_ = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  if (auto_size_ && auto_size_pending_) {
    auto_size_pending_ = false;
    SetControlSize(kMapWidth, kMapHeight);
    last_bounds_ = {bounds.left, bounds.top, bounds.left + kMapWidth, bounds.top + kMapHeight};
  }
  if (AmbientUserMode()) RebuildMaskSurface(last_bounds_);

  if (map_picture_ == nullptr) return;
  ScreenMemorySurface map;
  if (!map.Select(map_picture_)) return;
  const int old_mode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, map.Dc(), 0, 0,
             kMapWidth, kMapHeight, SRCCOPY);
  if (old_mode != 0) SetStretchBltMode(dc, old_mode);
}

void CVexausaCtrl::RebuildMaskSurface(const DrawingBounds& bounds) {
  ReleaseMaskSurface();
  const int width = bounds.Width();
  const int height = bounds.Height();
  if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxMaskSurfacePixels) return;
  if (mask_picture_ == nullptr) return;
  // The surface is compatible with the screen rather than with the surface being drawn
  // on: a printer, a metafile or a monochrome memory surface would not keep the
  // reference colours, and the hit test compares them exactly.
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return;
  mask_dc_ = CreateCompatibleDC(screen);
  mask_bitmap_ = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (mask_dc_ == nullptr || mask_bitmap_ == nullptr) {
    ReleaseMaskSurface();
    return;
  }
  mask_dc_old_bitmap_ = SelectObject(mask_dc_, mask_bitmap_);
  ScreenMemorySurface mask;
  if (!mask.Select(mask_picture_)) return;
  SetStretchBltMode(mask_dc_, COLORONCOLOR);
  StretchBlt(mask_dc_, bounds.left, bounds.top, width, height, mask.Dc(), 0, 0, kMapWidth, kMapHeight, SRCCOPY);
}

void CVexausaCtrl::ReleaseMaskSurface() {
  if (mask_dc_ != nullptr) {
    if (mask_dc_old_bitmap_ != nullptr) SelectObject(mask_dc_, mask_dc_old_bitmap_);
    DeleteDC(mask_dc_);
  }
  if (mask_bitmap_ != nullptr) DeleteObject(mask_bitmap_);
  mask_dc_ = nullptr;
  mask_bitmap_ = nullptr;
  mask_dc_old_bitmap_ = nullptr;
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

void CVexausaCtrl::InvalidateControl() {
  if (window_ != nullptr) {
    InvalidateRect(window_, nullptr, FALSE);
  } else if (view_sink_) {
    view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
  }
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
