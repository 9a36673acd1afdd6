// The map control's dispatch interface _DVexaUSA: its type information, the call of a
// member by its dispatch identifier, and the members themselves.
#include "vexausa_ctrl_win32.h"

#include <string>

#include "about_box_win32.h"

namespace {

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

bool IsBooleanProperty(DISPID dispid) { return dispid == kDispAutoSize || dispid == DISPID_ENABLED; }

// The methods of _DVexaUSA and how many arguments (all short integers) each takes.
struct MethodShape {
  DISPID dispid;
  UINT arity;
};
constexpr MethodShape kMethods[] = {
    {kDispGetMaskPixel, 2},
    {kDispGetStateId, 2},
    {kDispGetStateName, 1},
    {DISPID_ABOUTBOX, 0},
};
constexpr UINT kMostArguments = 2;

const MethodShape* FindMethod(DISPID dispid) {
  for (const MethodShape& method : kMethods) {
    if (method.dispid == dispid) return &method;
  }
  return nullptr;
}

HRESULT StateNameResult(const std::string& name, VARIANT& result) {
  // The names are plain ASCII.
  const std::wstring wide(name.begin(), name.end());
  BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (text == nullptr) return E_OUTOFMEMORY;
  result.vt = VT_BSTR;
  result.bstrVal = text;
  return S_OK;
}

}  // namespace

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
  if (IsBooleanProperty(dispid)) {
    if (put) return PutBooleanProperty(dispid, params, argument_error);
    if (!get) return DISP_E_MEMBERNOTFOUND;
    return GetBooleanProperty(dispid, params, result);
  }
  const MethodShape* method = FindMethod(dispid);
  if (method == nullptr || !get) return DISP_E_MEMBERNOTFOUND;
  if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params.cArgs != method->arity) return DISP_E_BADPARAMCOUNT;
  // Zeroed, so that a method of fewer arguments passes 0 for the rest.
  VARIANT arguments[kMostArguments] = {};
  for (UINT index = 0; index < method->arity; ++index) {
    const HRESULT converted = ArgumentAs(params, index, VT_I2, arguments[index], argument_error);
    if (FAILED(converted)) return converted;
  }
  if (result != nullptr) VariantInit(result);
  return CallMethod(dispid, arguments[0].iVal, arguments[1].iVal, result);
}

HRESULT CVexausaCtrl::PutBooleanProperty(DISPID dispid, const DISPPARAMS& params, UINT* argument_error) {
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

HRESULT CVexausaCtrl::GetBooleanProperty(DISPID dispid, const DISPPARAMS& params, VARIANT* result) const {
  if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
  if (result != nullptr) {
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = (dispid == kDispAutoSize ? auto_size_ : enabled_) ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return S_OK;
}

// `result` is null when the caller wants no value back.
HRESULT CVexausaCtrl::CallMethod(DISPID dispid, std::int16_t first, std::int16_t second, VARIANT* result) {
  switch (dispid) {
    case kDispGetMaskPixel:
      if (result != nullptr) {
        result->vt = VT_I4;
        result->lVal = GetMaskPixel(first, second);
      }
      return S_OK;
    case kDispGetStateId:
      if (result != nullptr) {
        result->vt = VT_I2;
        result->iVal = GetStateId(first, second);
      }
      return S_OK;
    case kDispGetStateName:
      return result != nullptr ? StateNameResult(GetStateName(table_, first), *result) : S_OK;
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
