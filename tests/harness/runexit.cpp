// runexit TIMEOUT_MS PROGRAM [ARGS...]
// Starts PROGRAM with ARGS, waits at most TIMEOUT_MS and prints its exit code as an
// unsigned decimal. A shell sees only the low 8 bits of a Windows exit status (3010
// arrives as 194), so tests read the full code from here.
// Exit status: 0 when the program ended, 124 when it had to be ended, 125 when it could
// not be started.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// Quotes one argument so that the C runtime of the child splits it back unchanged.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') quoted.append(backslashes * 2 + 1, L'\\');
    else quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: runexit TIMEOUT_MS PROGRAM [ARGS...]\n");
    return 125;
  }
  const DWORD timeout = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
  std::wstring command = QuoteArgument(argv[2]);
  for (int i = 3; i < argc; ++i) command += L" " + QuoteArgument(argv[i]);

  // The program and whatever it starts get no standard handles of ours: a program left
  // running (an installer's final program, say) must not hold the caller's output pipe.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE null = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                            OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = null;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(null);
  if (!started) {
    std::fwprintf(stderr, L"runexit: cannot start %ls (error %lu)\n", argv[2], GetLastError());
    return 125;
  }
  CloseHandle(process.hThread);
  int status = 0;
  if (WaitForSingleObject(process.hProcess, timeout) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
    std::printf("timeout\n");
    status = 124;
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("%lu\n", static_cast<unsigned long>(code));
  }
  CloseHandle(process.hProcess);
  return status;
}
