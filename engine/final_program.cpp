#include "final_program.h"

#include <iterator>

#include "text.h"

namespace {

std::string QuotedParameter(const std::string& parameter) {
  if (parameter.find_first_of(" \t") == std::string::npos) return parameter;
  std::string quoted = parameter;
  const std::size_t last = quoted.find_last_not_of('\\');
  const std::size_t trailing = last == std::string::npos ? quoted.size() : quoted.size() - last - 1;
  quoted.append(trailing, '\\');
  return "\"" + quoted + "\"";
}

}  // namespace

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
  for (const std::string& parameter : parameters) text += " " + QuotedParameter(parameter);
  return TrimmedOfBlanks(text);
}

std::string ProgramCommandLine(const std::string& program, const std::string& parameter_text) {
  std::string command = "\"" + program + "\"";
  if (!parameter_text.empty()) command += " " + parameter_text;
  return command;
}

bool IsExeProgram(const std::string& program) { return EndsWithIgnoringCase(program, "EXE"); }
