#include <windows.h>

#include <map>
#include <mutex>

#include "process.h"
#include "wide_text_win32.h"
#include "win32_handle.h"

namespace {

// Started processes by the number we handed out; numbers are never reused. A process's
// handle stays open until it is seen to have ended; then only its exit code is kept and
// the number reads as "not running" for good.
std::mutex processes_mutex;
std::map<std::int64_t, KernelHandle> running;
std::map<std::int64_t, std::uint32_t> ended;
std::int64_t last_handle = 0;

}  // namespace

std::int64_t StartProcess(const std::string& program, const std::string& arguments, bool no_window) {
  if (program.empty()) return 0;
  std::wstring command = L"\"" + WideText(program) + L"\"";
  if (!arguments.empty()) command += L" " + WideText(arguments);
  STARTUPINFOW startup {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, no_window ? CREATE_NO_WINDOW : 0, nullptr,
                      nullptr, &startup, &process)) {
    return 0;
  }
  const KernelHandle thread(process.hThread);
  std::lock_guard lock(processes_mutex);
  const std::int64_t handle = ++last_handle;
  running.emplace(handle, KernelHandle(process.hProcess));
  return handle;
}

bool IsProcessRunning(std::int64_t handle) {
  std::lock_guard lock(processes_mutex);
  const auto found = running.find(handle);
  if (found == running.end()) return false;
  if (WaitForSingleObject(found->second.get(), 0) == WAIT_TIMEOUT) return true;
  DWORD code = 0;
  ended[handle] = GetExitCodeProcess(found->second.get(), &code) ? code : 0xFFFFFFFFu;
  running.erase(found);
  return false;
}

void WaitForProcess(std::int64_t handle, int milliseconds) {
  HANDLE process = nullptr;
  {
    std::lock_guard lock(processes_mutex);
    const auto found = running.find(handle);
    if (found == running.end()) return;
    process = found->second.get();
  }
  // The handle is closed only by IsProcessRunning, which its caller calls on this thread.
  MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds),
                            QS_ALLINPUT);
}

bool ProcessExitStatus(std::int64_t handle, std::uint32_t& status) {
  if (IsProcessRunning(handle)) return false;
  std::lock_guard lock(processes_mutex);
  const auto found = ended.find(handle);
  if (found == ended.end()) return false;
  status = found->second;
  return true;
}
