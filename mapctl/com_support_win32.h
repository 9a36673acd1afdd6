// Small pieces every COM class of an in-process server of ours shares (the map control
// and the browser loader): the server's module and its object and lock counts, the class
// factory, a reference-counted pointer, the guard that keeps C++ exceptions inside a COM
// method or a window procedure, and the keys a self-registering server writes.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <new>
#include <string>
#include <utility>

// The module the server was loaded from (set by DllMain).
extern HINSTANCE g_server_module;

// Objects and class-factory locks alive in the server; DllCanUnloadNow answers from these.
void ServerObjectCreated();
void ServerObjectDestroyed();
void ServerLock(bool lock);
bool ServerInUse();

// Every object of the server counts itself from construction to destruction.
class ServerObjectCount {
 public:
  ServerObjectCount() { ServerObjectCreated(); }
  ~ServerObjectCount() { ServerObjectDestroyed(); }
  ServerObjectCount(const ServerObjectCount&) = delete;
  ServerObjectCount& operator=(const ServerObjectCount&) = delete;
};

// Runs `body`, a COM method's work, and turns an exception into the HRESULT a caller
// expects instead of letting it cross into the caller's code.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// IUnknown for an object of the server that offers one interface besides IUnknown: it
// counts itself as a server object and deletes itself with its last reference.
template <class Interface, const IID& kIid>
class SingleInterfaceObject : public Interface {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != kIid) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    this->AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  SingleInterfaceObject() = default;
  virtual ~SingleInterfaceObject() = default;
  SingleInterfaceObject(const SingleInterfaceObject&) = delete;
  SingleInterfaceObject& operator=(const SingleInterfaceObject&) = delete;

 private:
  ServerObjectCount count_;
  LONG refs_ = 0;
};

// Makes an object of type T and hands out interface `iid` of it.
template <class T, class... Args>
HRESULT CreateObject(REFIID iid, void** object, Args&&... args) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return Guarded([&] {
    auto* created = new T(std::forward<Args>(args)...);
    created->AddRef();
    const HRESULT result = created->QueryInterface(iid, object);
    created->Release();
    return result;
  });
}

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}  // adopts a reference
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) {
    ComPtr copy(other);
    std::swap(p_, copy.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (p_ != nullptr) {
      T* old = p_;
      p_ = nullptr;
      old->Release();
    }
  }
  // Keeps its own reference to `p`.
  void Assign(T* p) {
    if (p != nullptr) p->AddRef();
    Reset();
    p_ = p;
  }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// The class factory DllGetClassObject hands out: it makes objects through `create` and
// takes no part in aggregation.
using CreateFunction = HRESULT (*)(REFIID iid, void** object);
class ClassFactory final : public SingleInterfaceObject<IClassFactory, IID_IClassFactory> {
 public:
  explicit ClassFactory(CreateFunction create) : create_(create) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    ServerLock(lock != FALSE);
    return S_OK;
  }

 private:
  CreateFunction create_;
};

// Registry keys under HKEY_CLASSES_ROOT (the platform puts them in the registry view of
// the server's bitness). WriteClassesKey creates `path` and sets its default value (when
// `value` is given) and one named value; DeleteClassesTree removes a key with everything
// under it and is content when it is already gone.
std::wstring GuidText(REFGUID guid);
bool WriteClassesKey(const std::wstring& path, const wchar_t* value, const wchar_t* name = nullptr,
                     const wchar_t* named_value = nullptr);
bool DeleteClassesTree(const std::wstring& path);
// The full path of the server's file.
bool ServerPath(std::wstring& path);

// A copy of `text` in memory from CoTaskMemAlloc (the caller frees it), or nullptr.
LPOLESTR CoTaskStringCopy(const wchar_t* text);

// A string of the server's string table.
std::wstring ServerString(UINT id);

// The server's type library, read from its own resource.
HRESULT LoadServerTypeLib(ITypeLib** library);
