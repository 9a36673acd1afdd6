// Owners of the Windows handles the components open: kernel handles (processes, threads)
// and registry keys. Each closes what it holds when it goes out of scope, so an early
// return leaks nothing. Windows build only.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle, typename Closer>
class Win32Handle {
 public:
  Win32Handle() = default;
  explicit Win32Handle(Handle handle) : handle_(handle) {}
  Win32Handle(Win32Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Win32Handle& operator=(Win32Handle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Win32Handle(const Win32Handle&) = delete;
  Win32Handle& operator=(const Win32Handle&) = delete;
  ~Win32Handle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // For calls that hand the handle back through a pointer; what was held is closed first.
  Handle* put() {
    reset();
    return &handle_;
  }
  void reset() {
    if (handle_) Closer{}(handle_);
    handle_ = nullptr;
  }

 private:
  Handle handle_ = nullptr;
};

struct KernelHandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct RegistryKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};

// A handle of CreateProcess and the like (null when there is none).
using KernelHandle = Win32Handle<HANDLE, KernelHandleCloser>;
using RegistryKeyHandle = Win32Handle<HKEY, RegistryKeyCloser>;
