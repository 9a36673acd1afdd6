// What the tests of VEXAUSA.OCX share: the control's path, registration through the
// system's regsvr32, message pumping, calls through IDispatch, an event sink that
// records what the control fires, and registry reading.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "vexausa.h"

// The control under test (the build's VEXAUSA.OCX, reached through drive Z:).
std::wstring ControlPath();

// Runs the regsvr32 of this process's bitness silently on the control; its exit code.
DWORD RunRegsvr32(bool unregister);

// Dispatches the messages waiting for this thread, painting included, for `ms`.
void PumpMessages(DWORD ms = 50);

// Member calls and property access through IDispatch.
HRESULT CallMember(IDispatch* object, DISPID dispid, std::vector<VARIANT> arguments, VARIANT* result);
VARIANT ShortValue(short value);
HRESULT PutBool(IDispatch* object, DISPID dispid, bool value);
bool GetBool(IDispatch* object, DISPID dispid);
short StateId(IDispatch* map, int x, int y);
long MaskPixel(IDispatch* map, int x, int y);
std::wstring StateName(IDispatch* map, short state);

// One fired event: its dispatch id and its arguments in parameter order.
struct FiredEvent {
  DISPID dispid;
  std::vector<short> arguments;
  bool operator==(const FiredEvent&) const = default;
};

// A sink for _DVexaUSAEvents that records every event.
class RecordingSink final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override;

  std::vector<FiredEvent> events;
  ULONG refs_ = 0;
};

// The default value of HKEY_CLASSES_ROOT\<key> or of one of its named values; "<none>"
// when the key or value does not exist.
std::wstring ClassesValue(const std::wstring& key, const wchar_t* name = nullptr);
bool ClassesKeyExists(const std::wstring& key);
std::wstring GuidText(REFGUID guid);

// The deepest point of each state's painted pixels on the 513 x 352 mask.
struct StatePoint {
  int id;
  int x;
  int y;
};
const std::vector<StatePoint>& StatePoints();
