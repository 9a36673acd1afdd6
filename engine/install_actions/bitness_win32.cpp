#include <windows.h>

#include "bitness.h"
#include "paths.h"
#include "text.h"
#include "win32_handles.h"

namespace {

// A registration that has not ended after this long is taken as failed.
constexpr DWORD kRegistrationMilliseconds = 5 * 60 * 1000;

// Functions that 32-bit Windows before XP does not have, looked up when needed.
template <typename Function>
Function Kernel32Function(const char* name) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name))) : nullptr;
}

std::string SysWow64Directory() {
  const auto query = Kernel32Function<UINT(WINAPI*)(LPSTR, UINT)>("GetSystemWow64DirectoryA");
  if (!query) return {};
  char directory[kPathBuffer] = {};
  const UINT length = query(directory, kPathBuffer);
  return length > 0 && length < kPathBuffer ? std::string(directory, length) : std::string();
}

// True when a 32-bit engine runs on 64-bit Windows: its paths may be redirected.
bool RedirectedProcess() { return EngineBitness() == Bitness::k32 && WindowsIs64Bit(); }

std::string SysnativeDirectory() {
  const std::string windows = WindowsDirectory();
  return windows.empty() ? std::string() : windows + "\\Sysnative";
}

// `path` with the directory `from` at its start replaced by `to`; empty when it does not
// start with it.
std::string ReplaceDirectory(const std::string& path, const std::string& from, const std::string& to) {
  if (from.empty() || to.empty() || path.size() <= from.size() || path[from.size()] != '\\' ||
      !StartsWithIgnoringCase(path, from))
    return {};
  return to + path.substr(from.size());
}

}  // namespace

bool WindowsIs64Bit() {
  if (EngineBitness() == Bitness::k64) return true;
  static const bool wow64 = [] {
    const auto is_wow64 = Kernel32Function<BOOL(WINAPI*)(HANDLE, PBOOL)>("IsWow64Process");
    BOOL result = FALSE;
    return is_wow64 && is_wow64(GetCurrentProcess(), &result) && result;
  }();
  return wow64;
}

std::optional<Bitness> FileBitness(const std::string& path) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string head(kPeHeadBytes, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return std::nullopt;
  head.resize(read);
  return PeImageBitness(head);
}

std::string SystemDirectoryFor(Bitness bitness) {
  if (bitness == EngineBitness()) return SystemDirectory();
  if (!WindowsIs64Bit()) return {};
  return bitness == Bitness::k64 ? SysnativeDirectory() : SysWow64Directory();
}

unsigned long RegistryViewFor(Bitness bitness) {
  if (!WindowsIs64Bit()) return 0;
  return bitness == Bitness::k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

std::string ReachablePath(const std::string& path, Bitness bitness) {
  if (!RedirectedProcess() || bitness != Bitness::k64) return path;
  const std::string reachable = ReplaceDirectory(path, SystemDirectory(), SysnativeDirectory());
  return reachable.empty() ? path : reachable;
}

std::string UnredirectedPath(const std::string& path) {
  if (!RedirectedProcess()) return path;
  // Windows leaves a few System32 sub-directories (drivers\etc, spool, catroot) shared;
  // components never go there.
  std::string native = ReplaceDirectory(path, SysnativeDirectory(), SystemDirectory());
  if (native.empty()) native = ReplaceDirectory(path, SystemDirectory(), SysWow64Directory());
  return native.empty() ? path : native;
}

bool RegisterWithSystemTool(const std::string& path, Bitness bitness) {
  const std::string system = SystemDirectoryFor(bitness);
  if (system.empty()) return false;
  const std::string tool = system + "\\regsvr32.exe";
  std::string command = "\"" + tool + "\" /s \"" + UnredirectedPath(path) + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(tool.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  const UniqueHandle thread(process.hThread);
  const UniqueHandle registration(process.hProcess);
  DWORD exit_code = 1;
  if (WaitForSingleObject(registration.get(), kRegistrationMilliseconds) == WAIT_OBJECT_0) {
    GetExitCodeProcess(registration.get(), &exit_code);
  } else {
    TerminateProcess(registration.get(), 1);
  }
  return exit_code == 0;
}

FileSystemRedirectionOff::FileSystemRedirectionOff() {
  if (!RedirectedProcess()) return;
  const auto disable = Kernel32Function<BOOL(WINAPI*)(PVOID*)>("Wow64DisableWow64FsRedirection");
  off_ = disable && disable(&old_value_);
}

FileSystemRedirectionOff::~FileSystemRedirectionOff() {
  if (!off_) return;
  const auto revert = Kernel32Function<BOOL(WINAPI*)(PVOID)>("Wow64RevertWow64FsRedirection");
  if (revert) revert(old_value_);
}
