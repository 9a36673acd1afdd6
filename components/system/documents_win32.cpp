#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "documents.h"

bool OpenDocument(const std::string& address) {
  if (address.empty()) return false;
  const HINSTANCE result = ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // ShellExecute reports success as a value above 32.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void InitializeComponent(bool serves_window) {
  if (serves_window) CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}
