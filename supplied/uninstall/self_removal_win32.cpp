#include <windows.h>

#include <cstdint>
#include <vector>

#include "command_line.h"
#include "package.h"
#include "self_removal.h"
#include "temporary_directory.h"
#include "text.h"
#include "uninstall.h"

namespace {

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string Quoted(const std::string& argument) { return "\"" + argument + "\""; }

// A handle the copy inherits: to wait for this process, and to learn which program it runs.
HANDLE InheritableHandleOfThisProcess() {
  HANDLE handle = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &handle,
                       SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
    return nullptr;
  return handle;
}

// The process id of the process that started this one (NtQueryInformationProcess's basic
// information; ntdll is part of every process, so nothing is loaded for it).
DWORD ParentProcessId() {
  struct BasicInformation {
    LONG exit_status;
    void* peb;
    ULONG_PTR affinity;
    LONG priority;
    ULONG_PTR process_id;
    ULONG_PTR parent_process_id;
  };
  using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto query = ntdll ? reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
                                 GetProcAddress(ntdll, "NtQueryInformationProcess")))
                           : nullptr;
  BasicInformation information{};
  ULONG length = 0;
  if (!query || query(GetCurrentProcess(), 0, &information, sizeof information, &length) != 0) return 0;
  return static_cast<DWORD>(information.parent_process_id);
}

// The program a process runs, as a full path; empty when it cannot be told.
std::string ImageOfProcess(HANDLE process) {
  std::vector<char> path(32768);
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameA(process, 0, path.data(), &length)) return {};
  return std::string(path.data(), length);
}

std::string LongFullPath(const std::string& path) {
  char full[MAX_PATH + 1] = {};
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length > MAX_PATH) return {};
  char long_path[MAX_PATH + 1] = {};
  const DWORD long_length = GetLongPathNameA(full, long_path, sizeof long_path);
  if (long_length == 0 || long_length > MAX_PATH) return NormalizedPath(std::string(full, length));
  return NormalizedPath(std::string(long_path, long_length));
}

}  // namespace

bool TemporaryCopy::Start(const std::string& own_path, const std::string& log_file) {
  std::string directory;
  if (!CreateExpansionDirectory(directory)) return false;
  const std::string copy = directory + "Uninstall.exe";
  if (!CopyFileA(own_path.c_str(), copy.c_str(), TRUE)) {
    RemoveExpansionDirectory(directory);
    return false;
  }
  SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  // Shared for reading and deleting, as the loader opens the image; the file goes when the
  // last handle (the copy's inherited one) is closed and the image is unmapped.
  UniqueHandle delete_on_close(CreateFileA(copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                                           OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  UniqueHandle self(InheritableHandleOfThisProcess());
  // Only the writing end goes to the copy: the reading end sees the end of the pipe once
  // the copy has closed its end, whether it wrote a status or died.
  UniqueHandle status_read;
  UniqueHandle status_write;
  const bool piped = CreatePipe(status_read.put(), status_write.put(), &inherited, 0) &&
                     SetHandleInformation(status_read.get(), HANDLE_FLAG_INHERIT, 0);

  std::string command = Quoted(copy) + " /CLEANUP=" + std::to_string(reinterpret_cast<std::uintptr_t>(self.get())) +
                        " /STATUS=" + std::to_string(reinterpret_cast<std::uintptr_t>(status_write.get())) + " " +
                        Quoted("/ORIGINAL=" + own_path);
  if (!log_file.empty()) command += " " + Quoted("/LOG=" + log_file);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // The copy's current directory is its own, so that it holds no directory of the product.
  const bool started = self && piped && CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                                       nullptr, directory.c_str(), &startup, &process);
  // Only the copy keeps these: its end of the pipe, and the file's last handle.
  self.reset();
  status_write.reset();
  delete_on_close.reset();
  if (!started) {
    status_read.reset();
    DeleteFileA(copy.c_str());
    RemoveExpansionDirectory(directory);
    return false;
  }
  const UniqueHandle thread(process.hThread);
  process_.reset(process.hProcess);
  directory_ = directory;
  status_pipe_ = std::move(status_read);
  return true;
}

int TemporaryCopy::WaitForRemoval() {
  if (!status_pipe_) return kExitFailure;
  // A few decimal digits; anything longer is no status of ours.
  std::string text;
  char buffer[16];
  DWORD read = 0;
  while (text.size() <= 8 && ReadFile(status_pipe_.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  status_pipe_.reset();
  for (const int status : {kExitSuccess, kExitRestartNeeded, kExitCancelled, kExitFailure}) {
    if (text == std::to_string(status)) return status;
  }
  // A copy that ended without a status leaves its directory (and, failing the
  // delete-on-close, its file) behind; nobody else would remove them.
  if (WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0) {
    DeleteFileA((directory_ + "Uninstall.exe").c_str());
    RemoveExpansionDirectory(directory_);
  }
  return kExitFailure;
}

bool TemporaryCopy::MoveOriginalAside(const std::string& own_path) const {
  if (directory_.empty()) return false;
  return MoveFileExA(own_path.c_str(), (directory_ + kMovedOriginalName).c_str(), 0) != 0;
}

bool IsStartedByOriginal(unsigned long long process_handle, const std::string& original_program) {
  const auto original = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(process_handle));
  if (!original) return false;
  // A handle that is no process handle, or lacks the query right, gives no id.
  const DWORD id = GetProcessId(original);
  if (id == 0 || id != ParentProcessId()) return false;
  const std::string image = LongFullPath(ImageOfProcess(original));
  return !image.empty() && EqualsIgnoringCase(image, LongFullPath(original_program));
}

void ReportStatusToOriginal(unsigned long long pipe_handle, int status) {
  const auto given = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(pipe_handle));
  // A handle that is no pipe is none of ours to close.
  if (!given || GetFileType(given) != FILE_TYPE_PIPE) return;
  const UniqueHandle pipe(given);
  const std::string text = std::to_string(status);
  DWORD written = 0;
  WriteFile(pipe.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void WaitForOriginal(unsigned long long process_handle) {
  const UniqueHandle original(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(process_handle)));
  WaitForSingleObject(original.get(), INFINITE);
}

bool RunsFromOwnTemporaryDirectory(const std::string& own_path) {
  return IsOwnTemporaryDirectory(DirectoryOf(own_path));
}

bool DeleteMovedOriginal(const std::string& own_path) {
  const std::string moved = DirectoryOf(own_path) + kMovedOriginalName;
  if (GetFileAttributesA(moved.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  SetFileAttributesA(moved.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!DeleteFileA(moved.c_str())) MoveFileExA(moved.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return true;
}

void RemoveOwnDirectoryAtRestart(const std::string& own_path) {
  std::string directory = DirectoryOf(own_path);
  if (!IsOwnTemporaryDirectory(directory)) return;
  directory.pop_back();
  MoveFileExA(own_path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(directory.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
