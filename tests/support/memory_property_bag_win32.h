// A property bag in memory, as a form file or a web page's parameters keep a control's
// properties: Write keeps a copy of each value, Read hands out a copy. AddRef and Release
// count nothing: the bag lives as long as its owner, on the stack of a test or a host.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <map>
#include <string>

class MemoryPropertyBag final : public IPropertyBag {
 public:
  MemoryPropertyBag() = default;
  ~MemoryPropertyBag();
  MemoryPropertyBag(const MemoryPropertyBag&) = delete;
  MemoryPropertyBag& operator=(const MemoryPropertyBag&) = delete;

  // NAME holds TEXT as a string value, as a page's parameter gives it.
  void SetText(const std::wstring& name, const std::wstring& text);

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  // A name the bag does not hold is E_INVALIDARG, as a control expects of a missing property.
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

  std::map<std::wstring, VARIANT> values;
};
