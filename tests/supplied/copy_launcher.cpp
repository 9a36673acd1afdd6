// copy_launcher PROGRAM [ARGS...]
// Starts PROGRAM as the uninstall program starts its temporary copy: with an inheritable
// handle of this process, whose number replaces "%HANDLE%" in the arguments. Waits for it
// and ends with its exit status (1 when it could not be started).
#include <windows.h>

#include <cstdint>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
    return 1;
  const std::string number = std::to_string(reinterpret_cast<std::uintptr_t>(self));
  std::string command = "\"" + std::string(argv[1]) + "\"";
  for (int i = 2; i < argc; ++i) {
    std::string argument = argv[i];
    const std::size_t at = argument.find("%HANDLE%");
    if (at != std::string::npos) argument.replace(at, 8, number);
    command += " \"" + argument + "\"";
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(argv[1], command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return 1;
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
