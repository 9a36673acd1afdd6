#include <windows.h>

#include <map>
#include <mutex>

#include "process.h"
#include "utf16_text.h"

namespace vexa::components {
namespace {

// Started processes by handle value. A handle stays open until its process is seen to
// have ended, so the value cannot meanwhile be given to another process; afterwards it
// is remembered as ended.
std::mutex processes_mutex;
std::map<std::int64_t, HANDLE> running;
std::int64_t last_handle = 0;

std::wstring Wide(const std::string& text) {
  const std::u16string utf16 = Utf8ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace

std::int64_t StartProcess(const std::string& program, const std::string& arguments, bool no_window) {
  if (program.empty()) return 0;
  std::wstring command = L"\"" + Wide(program) + L"\"";
  if (!arguments.empty()) command += L" " + Wide(arguments);
  STARTUPINFOW startup {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, no_window ? CREATE_NO_WINDOW : 0, nullptr,
                      nullptr, &startup, &process)) {
    return 0;
  }
  CloseHandle(process.hThread);
  std::lock_guard lock(processes_mutex);
  const std::int64_t handle = ++last_handle;
  running[handle] = process.hProcess;
  return handle;
}

bool IsProcessRunning(std::int64_t handle) {
  std::lock_guard lock(processes_mutex);
  const auto found = running.find(handle);
  if (found == running.end()) return false;
  if (WaitForSingleObject(found->second, 0) == WAIT_TIMEOUT) return true;
  CloseHandle(found->second);
  running.erase(found);
  return false;
}

}  // namespace vexa::components
