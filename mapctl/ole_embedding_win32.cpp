// How the map control lives in a container: IOleObject, in-place activation in a window
// of its own, IOleControl, drawing on request (IViewObject2) and quick activation.
#include "vexausa_ctrl_win32.h"

namespace {

bool IsActivatingVerb(LONG verb) {
  return verb == OLEIVERB_PRIMARY || verb == OLEIVERB_SHOW || verb == OLEIVERB_OPEN ||
         verb == OLEIVERB_INPLACEACTIVATE || verb == OLEIVERB_UIACTIVATE;
}

}  // namespace

// ---- IOleObject

STDMETHODIMP CVexausaCtrl::SetClientSite(IOleClientSite* site) {
  client_site_.Assign(site);
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = client_site_.Get();
  if (*site != nullptr) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP CVexausaCtrl::Close(DWORD save_option) {
  InPlaceDeactivate();
  if (client_site_ && dirty_ &&
      (save_option == OLECLOSE_SAVEIFDIRTY || save_option == OLECLOSE_PROMPTSAVE)) {
    client_site_->SaveObject();
  }
  if (advise_holder_) advise_holder_->SendOnClose();
  return S_OK;
}

// The control is never linked to (it says so in its status), so a moniker means nothing.
STDMETHODIMP CVexausaCtrl::SetMoniker(DWORD, IMoniker*) { return S_OK; }

STDMETHODIMP CVexausaCtrl::GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) {
  if (moniker == nullptr) return E_POINTER;
  *moniker = nullptr;
  if (!client_site_) return E_UNEXPECTED;
  return client_site_->GetMoniker(assign, which, moniker);
}

STDMETHODIMP CVexausaCtrl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CVexausaCtrl::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CVexausaCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
  if (verb == OLEIVERB_PROPERTIES) {
    ShowPropertyPages();
    return S_OK;
  }
  if (verb == OLEIVERB_HIDE) {
    UIDeactivate();
    if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
    return S_OK;
  }
  if (IsActivatingVerb(verb)) return InPlaceActivate(verb == OLEIVERB_UIACTIVATE, site);
  // The control has no verbs of its own; other positive verbs do what the primary does.
  if (verb > 0) return InPlaceActivate(false, site);
  return OLEOBJ_S_INVALIDVERB;
}

HRESULT CVexausaCtrl::InPlaceActivate(bool ui_activate, IOleClientSite* site) {
  if (window_ == nullptr) {
    IOleClientSite* host = client_site_ ? client_site_.Get() : site;
    if (host == nullptr) return E_UNEXPECTED;
    ComPtr<IOleInPlaceSite> in_place;
    if (FAILED(host->QueryInterface(IID_IOleInPlaceSite, in_place.OutVoid())) || !in_place) return E_NOINTERFACE;
    if (in_place->CanInPlaceActivate() != S_OK) return E_FAIL;
    in_place->OnInPlaceActivate();
    HWND parent = nullptr;
    if (FAILED(in_place->GetWindow(&parent)) || parent == nullptr) {
      in_place->OnInPlaceDeactivate();
      return E_FAIL;
    }
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frame_info{};
    frame_info.cb = sizeof frame_info;
    in_place_frame_.Reset();
    in_place_document_.Reset();
    if (FAILED(in_place->GetWindowContext(in_place_frame_.Out(), in_place_document_.Out(), &position, &clip,
                                          &frame_info))) {
      in_place->OnInPlaceDeactivate();
      return E_FAIL;
    }
    in_place_site_ = in_place;
    position_ = position;
    window_ = CreateMapWindow(parent, position_, this);
    if (window_ == nullptr) {
      in_place_site_.Reset();
      in_place->OnInPlaceDeactivate();
      return E_OUTOFMEMORY;
    }
    EnableWindow(window_, enabled_ ? TRUE : FALSE);
  } else {
    ShowWindow(window_, SW_SHOW);
  }
  if (ui_activate && !ui_active_) {
    ui_active_ = true;
    in_place_site_->OnUIActivate();
    if (in_place_frame_) in_place_frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    if (in_place_document_) {
      in_place_document_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    }
    SetFocus(window_);
  }
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  return OleRegEnumVerbs(CLSID_VexaUSA, verbs);
}

STDMETHODIMP CVexausaCtrl::Update() { return S_OK; }
STDMETHODIMP CVexausaCtrl::IsUpToDate() { return S_OK; }

STDMETHODIMP CVexausaCtrl::GetUserClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_VexaUSA;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetUserType(DWORD form, LPOLESTR* type) {
  if (type == nullptr) return E_POINTER;
  return OleRegGetUserType(CLSID_VexaUSA, form, type);
}

STDMETHODIMP CVexausaCtrl::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
  if (size->cx != extent_.cx || size->cy != extent_.cy) dirty_ = true;
  extent_ = *size;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!advise_holder_) {
    const HRESULT result = CreateOleAdviseHolder(advise_holder_.Out());
    if (FAILED(result)) return result;
  }
  return advise_holder_->Advise(sink, connection);
}

STDMETHODIMP CVexausaCtrl::Unadvise(DWORD connection) {
  if (!advise_holder_) return OLE_E_NOCONNECTION;
  return advise_holder_->Unadvise(connection);
}

STDMETHODIMP CVexausaCtrl::EnumAdvise(IEnumSTATDATA** advise) {
  if (advise == nullptr) return E_POINTER;
  *advise = nullptr;
  if (!advise_holder_) return S_OK;
  return advise_holder_->EnumAdvise(advise);
}

STDMETHODIMP CVexausaCtrl::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kVexausaMiscStatus : 0;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject

STDMETHODIMP CVexausaCtrl::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP CVexausaCtrl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP CVexausaCtrl::InPlaceDeactivate() {
  if (window_ == nullptr && !in_place_site_) return S_OK;
  UIDeactivate();
  if (window_ != nullptr) {
    HWND window = window_;
    window_ = nullptr;
    DestroyWindow(window);
  }
  ComPtr<IOleInPlaceSite> site = in_place_site_;
  in_place_site_.Reset();
  in_place_frame_.Reset();
  in_place_document_.Reset();
  if (site) site->OnInPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::UIDeactivate() {
  if (!ui_active_) return S_OK;
  ui_active_ = false;
  if (in_place_document_) in_place_document_->SetActiveObject(nullptr, nullptr);
  if (in_place_frame_) in_place_frame_->SetActiveObject(nullptr, nullptr);
  if (in_place_site_) in_place_site_->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  position_ = *position;
  if (window_ != nullptr) {
    MoveWindow(window_, position_.left, position_.top, position_.right - position_.left,
               position_.bottom - position_.top, TRUE);
  }
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

STDMETHODIMP CVexausaCtrl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP CVexausaCtrl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP CVexausaCtrl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP CVexausaCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP CVexausaCtrl::EnableModeless(BOOL) { return S_OK; }

// ---- IOleControl

STDMETHODIMP CVexausaCtrl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  if (info->cb < sizeof(CONTROLINFO)) return E_INVALIDARG;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::OnMnemonic(MSG*) { return E_NOTIMPL; }

STDMETHODIMP CVexausaCtrl::OnAmbientPropertyChange(DISPID dispid) {
  // Leaving or entering design mode changes what the next drawing does with the mask.
  if (dispid == DISPID_AMBIENT_USERMODE || dispid == DISPID_UNKNOWN) InvalidateControl();
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::FreezeEvents(BOOL freeze) {
  if (freeze) {
    ++freeze_count_;
  } else if (freeze_count_ > 0) {
    --freeze_count_;
  }
  return S_OK;
}

// ---- IViewObject2

STDMETHODIMP CVexausaCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw_dc, LPCRECTL bounds,
                                LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (draw_dc == nullptr) return E_INVALIDARG;
  RECT rect{};
  if (bounds != nullptr) {
    rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (window_ != nullptr) {
    GetClientRect(window_, &rect);
  } else {
    return E_INVALIDARG;
  }
  return Guarded([&] {
    OnDraw(draw_dc, rect);
    return S_OK;
  });
}

STDMETHODIMP CVexausaCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colours) {
  if (colours == nullptr) return E_POINTER;
  *colours = nullptr;
  return S_FALSE;  // no particular palette
}

// The picture of the map only changes with its size, so a frozen view is any view.
STDMETHODIMP CVexausaCtrl::Freeze(DWORD aspect, LONG, void*, DWORD* freeze) {
  if (freeze == nullptr) return E_POINTER;
  *freeze = 0;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *freeze = 1;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::Unfreeze(DWORD freeze) { return freeze == 1 ? S_OK : OLE_E_NOCONNECTION; }

STDMETHODIMP CVexausaCtrl::SetAdvise(DWORD aspects, DWORD advise_flags, IAdviseSink* sink) {
  view_sink_.Assign(sink);
  view_aspects_ = aspects;
  view_advise_flags_ = advise_flags;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetAdvise(DWORD* aspects, DWORD* advise_flags, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = view_aspects_;
  if (advise_flags != nullptr) *advise_flags = view_advise_flags_;
  if (sink != nullptr) {
    *sink = view_sink_.Get();
    if (*sink != nullptr) (*sink)->AddRef();
  }
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

// ---- IQuickActivate

STDMETHODIMP CVexausaCtrl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (container == nullptr || control == nullptr) return E_POINTER;
  if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
  SetClientSite(container->pClientSite);
  if (container->pAdviseSink != nullptr) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  control->dwEventCookie = 0;
  control->dwPropNotifyCookie = 0;
  if (container->pUnkEventSink != nullptr) events_.Advise(container->pUnkEventSink, &control->dwEventCookie);
  if (container->pPropertyNotifySink != nullptr) {
    property_notify_.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
  }
  control->dwMiscStatus = kVexausaMiscStatus;
  control->dwViewStatus = VIEWSTATUS_OPAQUE;
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }

STDMETHODIMP CVexausaCtrl::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }
