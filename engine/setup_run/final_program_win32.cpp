#include <windows.h>
#include <shellapi.h>

#include "final_program.h"

namespace {

bool StartProcess(const std::string& program, const std::string& parameter_text) {
  std::string command = ProgramCommandLine(program, parameter_text);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool OpenDocument(const std::string& program) {
  const HINSTANCE result = ShellExecuteA(nullptr, "open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

int StartProgram(const ScriptLines& script, const std::string& product_directory, std::string& error) {
  error.clear();
  const ExecuteProgram execute = FindExecuteProgram(script, product_directory);
  if (!execute.has_execute_line) return kNoExecuteLine;
  if (execute.program.empty()) {
    error = kProgramNullMessage;
    return kProgramFailed;
  }
  const bool started = IsExeProgram(execute.program) ? StartProcess(execute.program, ParameterText(execute.parameters))
                                                     : OpenDocument(execute.program);
  if (!started) {
    error = "Error. Cannot execute " + execute.program;
    return kProgramFailed;
  }
  return kProgramStarted;
}
