// A connection point of the control (its events, and the property-change notifications
// containers listen to) with the enumerators the interfaces require. A connection point
// lives inside its control and shares the control's reference count.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "com_support_win32.h"

class ConnectionPoint final : public IConnectionPoint {
 public:
  // `dispatch_sinks`: the interface is a dispatch interface, so a sink that answers only
  // IDispatch is taken as well.
  ConnectionPoint(IConnectionPointContainer* container, REFIID iid, bool dispatch_sinks)
      : container_(container), iid_(iid), dispatch_sinks_(dispatch_sinks) {}
  ~ConnectionPoint() { UnadviseAll(); }
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

  REFIID Iid() const { return iid_; }

  // The sinks advised now, each with a reference the caller releases; a sink may
  // unadvise while it is being called.
  std::vector<IUnknown*> Sinks() const;

  // Calls member `dispid` of every dispatch sink with `arguments` (in the order of
  // the member's parameters).
  void Invoke(DISPID dispid, const std::vector<VARIANT>& arguments) const;

  // IPropertyNotifySink::OnChanged on every sink.
  void NotifyChanged(DISPID dispid) const;

  void UnadviseAll();

 private:
  struct Connection {
    DWORD cookie;
    IUnknown* sink;
  };

  IConnectionPointContainer* container_;
  IID iid_;
  bool dispatch_sinks_;
  DWORD next_cookie_ = 1;
  std::vector<Connection> connections_;
};

// An enumerator over connection points, holding a reference to each.
HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points,
                                        IEnumConnectionPoints** enumerator);
