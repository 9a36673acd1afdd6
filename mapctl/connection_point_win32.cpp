#include "connection_point_win32.h"

#include <new>

namespace {

// IEnumConnections and IEnumConnectionPoints differ only in the element type and its
// copy, so one template serves both.
template <class Enum, class Element, const IID& kIid>
class Enumerator final : public SingleInterfaceObject<Enum, kIid> {
 public:
  Enumerator(std::vector<Element> items, size_t position) : items_(std::move(items)), position_(position) {
    for (Element& item : items_) AddRefElement(item);
  }
  ~Enumerator() override {
    for (Element& item : items_) ReleaseElement(item);
  }

  STDMETHODIMP Next(ULONG count, Element* out, ULONG* fetched) override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    while (done < count && position_ < items_.size()) {
      out[done] = items_[position_++];
      AddRefElement(out[done]);
      ++done;
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const size_t left = items_.size() - position_;
    if (count > left) {
      position_ = items_.size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Enum** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    return CreateObject<Enumerator>(kIid, reinterpret_cast<void**>(copy), items_, position_);
  }

 private:
  static void AddRefElement(CONNECTDATA& data) { data.pUnk->AddRef(); }
  static void ReleaseElement(CONNECTDATA& data) { data.pUnk->Release(); }
  static void AddRefElement(IConnectionPoint* point) { point->AddRef(); }
  static void ReleaseElement(IConnectionPoint* point) { point->Release(); }

  std::vector<Element> items_;
  size_t position_;
};

using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA, IID_IEnumConnections>;
using PointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*, IID_IEnumConnectionPoints>;

}  // namespace

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
  *object = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = container_;
  container_->AddRef();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  IUnknown* held = nullptr;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&held))) &&
      (!dispatch_sinks_ || FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&held))))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  return Guarded([&] {
    try {
      connections_.push_back({next_cookie_, held});
    } catch (...) {
      held->Release();
      throw;
    }
    *cookie = next_cookie_++;
    return S_OK;
  });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    if (it->cookie != cookie) continue;
    IUnknown* sink = it->sink;
    connections_.erase(it);
    sink->Release();
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) return E_POINTER;
  *connections = nullptr;
  return Guarded([&] {
    std::vector<CONNECTDATA> items;
    for (const Connection& c : connections_) items.push_back({c.sink, c.cookie});
    return CreateObject<ConnectionEnumerator>(IID_IEnumConnections, reinterpret_cast<void**>(connections),
                                              std::move(items), size_t{0});
  });
}

std::vector<IUnknown*> ConnectionPoint::Sinks() const {
  std::vector<IUnknown*> sinks;
  sinks.reserve(connections_.size());
  for (const Connection& c : connections_) {
    c.sink->AddRef();
    sinks.push_back(c.sink);
  }
  return sinks;
}

void ConnectionPoint::Invoke(DISPID dispid, const std::vector<VARIANT>& arguments) const {
  // DISPPARAMS carries the arguments last to first.
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  for (IUnknown* sink : Sinks()) {
    auto* dispatch = static_cast<IDispatch*>(sink);
    dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    sink->Release();
  }
}

void ConnectionPoint::NotifyChanged(DISPID dispid) const {
  for (IUnknown* sink : Sinks()) {
    static_cast<IPropertyNotifySink*>(sink)->OnChanged(dispid);
    sink->Release();
  }
}

void ConnectionPoint::UnadviseAll() {
  std::vector<Connection> old;
  old.swap(connections_);
  for (const Connection& c : old) c.sink->Release();
}

HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points,
                                        IEnumConnectionPoints** enumerator) {
  return CreateObject<PointEnumerator>(IID_IEnumConnectionPoints, reinterpret_cast<void**>(enumerator), points,
                                       size_t{0});
}
