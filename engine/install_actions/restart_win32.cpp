#include <windows.h>

#include "restart.h"
#include "win32_handles.h"

namespace {

bool SetShutdownPrivilege(HANDLE token, const LUID& privilege, bool enabled) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = privilege;
  privileges.Privileges[0].Attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
  if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) return false;
  // AdjustTokenPrivileges succeeds even when the token does not hold the privilege.
  return GetLastError() == ERROR_SUCCESS;
}

}  // namespace

bool RestartComputer() {
  if (ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                    SHTDN_REASON_FLAG_PLANNED)) {
    return true;
  }
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
  LUID privilege{};
  if (!LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privilege)) return false;
  if (!SetShutdownPrivilege(token.get(), privilege, true)) return false;
  if (!InitiateSystemShutdownA(nullptr, nullptr, 0, FALSE, TRUE)) return false;
  SetShutdownPrivilege(token.get(), privilege, false);
  return true;
}
