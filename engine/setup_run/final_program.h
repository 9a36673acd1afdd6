// The final program: after a successful installation the engine starts the program of the
// script's Execute lines (ExecuteInSeparateWindow is the same command).
//
//   Execute "<ProductDirectory>[\]path", "parameter", ...
//
// The first Execute line whose argument 1 starts with "<ProductDirectory>" (any case)
// wins; lines naming any other program are passed over. An EXE is started as a process
// with the parameters; any other file is opened through the shell's "open" verb, without
// parameters. The engine does not wait for it.
//
// The command line is the program followed by the parameters, each after one blank and
// enclosed in double quotes when it holds a blank; the text is then trimmed of blanks, so
// empty parameters at the ends vanish.
//
// Where we differ on purpose: the program itself is enclosed in double quotes on the
// command line (it usually lies under "C:\Program Files\", and a bare blank would split
// it into arguments of its own); a parameter with a tab is quoted like one with a blank;
// and backslashes ending a quoted parameter are doubled, because the C runtime reads
// "\"" as an escaped quote. So the started program's argument list is exactly the
// program followed by the non-empty parameters.
#pragma once

#include <string>
#include <vector>

#include "script.h"

// The program of the Execute lines.
struct ExecuteProgram {
  bool has_execute_line = false;  // any Execute line at all
  std::string program;            // empty when no line used the placeholder
  std::vector<std::string> parameters;
};

ExecuteProgram FindExecuteProgram(const ScriptLines& script, const std::string& product_directory);

// The parameters as command-line text: each after a blank, quoted when it holds a blank,
// the whole trimmed of blanks at both ends.
std::string ParameterText(const std::vector<std::string>& parameters);

// The full command line of a started EXE: the quoted program, then the parameter text.
std::string ProgramCommandLine(const std::string& program, const std::string& parameter_text);

// What starting `execute` would run: the command line of an EXE, the document alone
// otherwise; empty when no Execute line names a program.
std::string ExecuteCommandText(const ExecuteProgram& execute);

// True when the last three characters of `program` are "EXE" in any case.
bool IsExeProgram(const std::string& program);

// Execute lines exist, but none names a program below the product directory.
inline constexpr const char* kProgramNullMessage = "Script Error. Program filename specified in script is null.";

inline constexpr int kNoExecuteLine = 1;
inline constexpr int kProgramStarted = 2;
inline constexpr int kProgramFailed = -1;

// --- Windows build only (final_program_win32.cpp) ---

// Starts the program of the Execute lines. Returns kNoExecuteLine, kProgramStarted, or
// kProgramFailed with `error` set to the message the run shows.
int StartProgram(const ScriptLines& script, const std::string& product_directory, std::string& error);
