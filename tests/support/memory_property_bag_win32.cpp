#include "memory_property_bag_win32.h"

MemoryPropertyBag::~MemoryPropertyBag() {
  for (auto& [name, value] : values) VariantClear(&value);
}

void MemoryPropertyBag::SetText(const std::wstring& name, const std::wstring& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  Write(name.c_str(), &value);
  VariantClear(&value);
}

STDMETHODIMP MemoryPropertyBag::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IPropertyBag) return E_NOINTERFACE;
  *object = static_cast<IPropertyBag*>(this);
  return S_OK;
}

STDMETHODIMP MemoryPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  if (name == nullptr || value == nullptr) return E_POINTER;
  const auto found = values.find(name);
  if (found == values.end()) return E_INVALIDARG;
  VariantInit(value);
  return VariantCopy(value, &found->second);
}

STDMETHODIMP MemoryPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
  if (name == nullptr || value == nullptr) return E_POINTER;
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT copied = VariantCopy(&copy, value);
  if (FAILED(copied)) return copied;
  VARIANT& kept = values[name];
  VariantClear(&kept);
  kept = copy;
  return S_OK;
}
