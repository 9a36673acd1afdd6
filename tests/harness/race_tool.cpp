// race_tool: what a user's process does to files an elevated program works with, and a
// stand-in for a program that such a program runs.
//
//   race_tool swap TARGET SOURCE   replaces TARGET by a copy of SOURCE: by renaming a copy
//                                  over it, else by writing into it; prints "swapped" or
//                                  "refused"
//   race_tool write TARGET         opens TARGET for writing (sharing everything) and
//                                  appends a byte; prints "written" or "refused"
//   race_tool hold NAME MS         waits up to a minute for a process running a program
//                                  called NAME from a "~ts" directory, holds all its
//                                  threads still for MS milliseconds, then lets it go on;
//                                  prints "held" or "none" (a slow machine, made certain)
//   race_tool end NAME             waits as hold does, then ends that process at once with
//                                  status 1; prints "ended" or "none" (a crash, made certain)
//
// Started under the name Setup.exe it is the stand-in: it appends its label (the text
// after the last "|" of its own file, which tests append to copies of it) and then its
// arguments, one a line, to the file named by VEXA_RACE_RECORD, and ends.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string OwnPath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length);
}

bool IsStandIn(const std::string& own) {
  const std::string name = own.substr(own.find_last_of('\\') + 1);
  return lstrcmpiA(name.c_str(), "Setup.exe") == 0;
}

int RecordRun(int argc, char** argv) {
  std::ifstream self(OwnPath(), std::ios::binary);
  std::ostringstream bytes;
  bytes << self.rdbuf();
  const std::string image = bytes.str();
  const std::size_t bar = image.find_last_of('|');
  const std::string label = bar == std::string::npos ? "unlabelled" : image.substr(bar + 1);
  char record[MAX_PATH + 1] = {};
  if (GetEnvironmentVariableA("VEXA_RACE_RECORD", record, sizeof record) == 0) return 1;
  std::ofstream out(record, std::ios::binary | std::ios::app);
  out << "label=" << label << "\n";
  for (int i = 1; i < argc; ++i) out << "arg=" << argv[i] << "\n";
  return 0;
}

bool Swap(const std::string& target, const std::string& source) {
  const std::string copy = target + ".swap";
  if (CopyFileA(source.c_str(), copy.c_str(), FALSE)) {
    if (MoveFileExA(copy.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(copy.c_str());
  }
  HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, TRUNCATE_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::ifstream in(source, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string data = bytes.str();
  DWORD written = 0;
  const bool ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                  written == data.size();
  CloseHandle(file);
  return ok;
}

bool Write(const std::string& target) {
  HANDLE file = CreateFileA(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, "X", 1, &written, nullptr) && written == 1;
  CloseHandle(file);
  return ok;
}

// The id of a process running NAME from a directory whose name starts with "~ts"; 0 when
// there is none.
DWORD FindTemporaryProgram(const std::string& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name.c_str()) != 0) continue;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process) continue;
    char image[MAX_PATH + 1] = {};
    DWORD length = sizeof image;
    if (QueryFullProcessImageNameA(process, 0, image, &length) && std::string(image, length).find("\\~ts") != std::string::npos)
      found = entry.th32ProcessID;
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return found;
}

std::vector<HANDLE> ThreadsOf(DWORD process_id) {
  std::vector<HANDLE> threads;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return threads;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != process_id) continue;
    if (HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) threads.push_back(thread);
  }
  CloseHandle(snapshot);
  return threads;
}

DWORD WaitForTemporaryProgram(const std::string& name) {
  DWORD process_id = 0;
  for (DWORD waited = 0; !process_id && waited < 60000; ++waited) {
    process_id = FindTemporaryProgram(name);
    if (!process_id) Sleep(1);
  }
  return process_id;
}

bool End(const std::string& name) {
  const DWORD process_id = WaitForTemporaryProgram(name);
  HANDLE process = process_id ? OpenProcess(PROCESS_TERMINATE, FALSE, process_id) : nullptr;
  if (!process) return false;
  const bool ended = TerminateProcess(process, 1) != FALSE;
  CloseHandle(process);
  return ended;
}

bool Hold(const std::string& name, DWORD milliseconds) {
  const DWORD process_id = WaitForTemporaryProgram(name);
  if (!process_id) return false;
  const std::vector<HANDLE> threads = ThreadsOf(process_id);
  for (HANDLE thread : threads) SuspendThread(thread);
  Sleep(milliseconds);
  for (HANDLE thread : threads) {
    ResumeThread(thread);
    CloseHandle(thread);
  }
  return !threads.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (IsStandIn(OwnPath())) return RecordRun(argc, argv);
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "swap" && argc == 4) {
    std::printf("%s\n", Swap(argv[2], argv[3]) ? "swapped" : "refused");
    return 0;
  }
  if (verb == "write" && argc == 3) {
    std::printf("%s\n", Write(argv[2]) ? "written" : "refused");
    return 0;
  }
  if (verb == "hold" && argc == 4) {
    std::printf("%s\n", Hold(argv[2], static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10))) ? "held" : "none");
    return 0;
  }
  if (verb == "end" && argc == 3) {
    std::printf("%s\n", End(argv[2]) ? "ended" : "none");
    return 0;
  }
  std::fprintf(stderr, "usage: race_tool swap TARGET SOURCE | write TARGET | hold NAME MS | end NAME\n");
  return 2;
}
