#include <windows.h>

#include <cstdint>

#include "package.h"
#include "run.h"
#include "self_removal.h"

namespace {

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string Quoted(const std::string& argument) { return "\"" + argument + "\""; }

// A handle the copy inherits.
HANDLE InheritableHandleOfThisProcess() {
  HANDLE handle = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &handle, SYNCHRONIZE, TRUE, 0))
    return nullptr;
  return handle;
}

}  // namespace

bool StartTemporaryCopy(const std::string& own_path, const std::string& log_file) {
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
  HANDLE delete_on_close = CreateFileA(copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                                       OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  HANDLE self = InheritableHandleOfThisProcess();

  std::string command = Quoted(copy) + " /CLEANUP=" + std::to_string(reinterpret_cast<std::uintptr_t>(self)) + " " +
                        Quoted("/ORIGINAL=" + own_path);
  if (!log_file.empty()) command += " " + Quoted("/LOG=" + log_file);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // The copy's current directory is its own, so that it holds no directory of the product.
  const bool started = self && CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                              directory.c_str(), &startup, &process);
  if (self) CloseHandle(self);
  if (delete_on_close != INVALID_HANDLE_VALUE) CloseHandle(delete_on_close);
  if (!started) {
    DeleteFileA(copy.c_str());
    RemoveExpansionDirectory(directory);
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void WaitForOriginal(unsigned long long process_handle) {
  HANDLE original = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(process_handle));
  WaitForSingleObject(original, INFINITE);
  CloseHandle(original);
}

bool RunsFromOwnTemporaryDirectory(const std::string& own_path) {
  return IsOwnTemporaryDirectory(DirectoryOf(own_path));
}

void RemoveOwnDirectoryAtRestart(const std::string& own_path) {
  std::string directory = DirectoryOf(own_path);
  if (!IsOwnTemporaryDirectory(directory)) return;
  directory.pop_back();
  MoveFileExA(own_path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(directory.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
