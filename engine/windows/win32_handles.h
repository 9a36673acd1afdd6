// Owners of Windows handles: kernel handles (files, processes, threads, tokens), directory
// searches, registry keys and COM interface pointers. Each closes what it holds when it
// goes out of scope and keeps the native error code of the call that failed to give one.
// They hold no logic: that lives in the module of its concept. The header needs no
// <windows.h>, so that headers of portable code can name these types.
#pragma once

#include <utility>

struct HKEY__;
using HKEY = HKEY__*;

namespace win32_handles_detail {
void CloseKernelHandle(void* handle);
void CloseSearch(void* handle);
void CloseRegistryKey(HKEY key);
unsigned long LastError();
void* InvalidHandleValue();
}  // namespace win32_handles_detail

struct KernelHandleKind {  // CloseHandle; both null and INVALID_HANDLE_VALUE mean none
  using Value = void*;
  static Value None() { return nullptr; }
  static bool Holds(Value value) { return value && value != win32_handles_detail::InvalidHandleValue(); }
  static void Close(Value value) { win32_handles_detail::CloseKernelHandle(value); }
};

struct SearchHandleKind {  // FindFirstFile's handle, closed by FindClose
  using Value = void*;
  static Value None() { return win32_handles_detail::InvalidHandleValue(); }
  static bool Holds(Value value) { return value && value != win32_handles_detail::InvalidHandleValue(); }
  static void Close(Value value) { win32_handles_detail::CloseSearch(value); }
};

struct RegistryKeyKind {  // RegCloseKey
  using Value = HKEY;
  static Value None() { return nullptr; }
  static bool Holds(Value value) { return value != nullptr; }
  static void Close(Value value) { win32_handles_detail::CloseRegistryKey(value); }
};

template <typename Kind>
class UniqueWin32Handle {
 public:
  using Value = typename Kind::Value;

  UniqueWin32Handle() = default;
  // Takes what a call returned; when it is no handle, keeps the call's GetLastError.
  explicit UniqueWin32Handle(Value value)
      : value_(value), error_(Kind::Holds(value) ? 0 : win32_handles_detail::LastError()) {}
  // For calls that return their error code instead (the registry's LONG).
  UniqueWin32Handle(Value value, unsigned long error) : value_(value), error_(error) {}
  UniqueWin32Handle(UniqueWin32Handle&& other) noexcept
      : value_(std::exchange(other.value_, Kind::None())), error_(other.error_) {}
  UniqueWin32Handle& operator=(UniqueWin32Handle&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.value_, Kind::None()));
      error_ = other.error_;
    }
    return *this;
  }
  UniqueWin32Handle(const UniqueWin32Handle&) = delete;
  UniqueWin32Handle& operator=(const UniqueWin32Handle&) = delete;
  ~UniqueWin32Handle() { reset(); }

  Value get() const { return value_; }
  explicit operator bool() const { return Kind::Holds(value_); }
  unsigned long error() const { return error_; }
  // For calls that hand the handle back through a pointer; what was held is closed first.
  Value* put() {
    reset();
    return &value_;
  }
  Value release() { return std::exchange(value_, Kind::None()); }
  void reset(Value value = Kind::None()) {
    if (Kind::Holds(value_)) Kind::Close(value_);
    value_ = value;
  }

 private:
  Value value_ = Kind::None();
  unsigned long error_ = 0;
};

using UniqueHandle = UniqueWin32Handle<KernelHandleKind>;
using SearchHandle = UniqueWin32Handle<SearchHandleKind>;
using RegistryKey = UniqueWin32Handle<RegistryKeyKind>;

// A COM interface pointer, released when it goes out of scope.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For CoCreateInstance and QueryInterface; what was held is released first.
  void** put() {
    reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  Interface* pointer_ = nullptr;
};
