#include "final_program.h"

#include <iterator>

#include "command_line.h"
#include "text.h"

ExecuteProgram FindExecuteProgram(const ScriptLines& script, const std::string& product_directory) {
  ExecuteProgram result;
  for (std::size_t line = 0; line < script.size(); ++line) {
    const std::string word = CommandWord(script, line);
    if (word != kExecuteWord && word != kExecuteInSeparateWindowWord) continue;
    result.has_execute_line = true;
    std::string rest;
    if (!TextAfterPlaceholder(ScriptArgument(script, line, 1), kProductDirectoryPlaceholder, rest)) continue;
    result.program = product_directory + rest;
    std::vector<std::string> arguments = ScriptArguments(script, line);
    result.parameters.assign(std::make_move_iterator(arguments.begin() + 1), std::make_move_iterator(arguments.end()));
    break;
  }
  return result;
}

std::string ParameterText(const std::vector<std::string>& parameters) {
  std::string text;
  for (const std::string& parameter : parameters) text += " " + QuotedArgument(parameter);
  return TrimmedOfBlanks(text);
}

std::string ProgramCommandLine(const std::string& program, const std::string& parameter_text) {
  std::string command = "\"" + program + "\"";
  if (!parameter_text.empty()) command += " " + parameter_text;
  return command;
}

std::string ExecuteCommandText(const ExecuteProgram& execute) {
  if (execute.program.empty() || !IsExeProgram(execute.program)) return execute.program;
  return ProgramCommandLine(execute.program, ParameterText(execute.parameters));
}

bool IsExeProgram(const std::string& program) { return EndsWithIgnoringCase(program, "EXE"); }
