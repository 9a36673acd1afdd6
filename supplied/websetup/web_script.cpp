#include "web_script.h"

#include <cctype>

#include "cabinet.h"
#include "paths.h"
#include "text.h"
#include "web_url.h"

namespace {

bool IsClassId(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    const char c = text[i];
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string LineError(std::size_t index, const std::string& what) {
  return "Script Error. Line " + std::to_string(index + 1) + " of the web script " + what;
}

// The signature argument, checked against the size argument beside it.
bool ReadSignature(const ScriptLines& lines, std::size_t index, int size_argument, int signature_argument,
                   FileSignature& signature, std::string& error) {
  if (!ParseLongSignature(ScriptArgument(lines, index, signature_argument), signature)) {
    error = LineError(index, "carries no valid signature of its cabinet, or names one larger than 2 GiB.");
    return false;
  }
  if (ScriptNumber(ScriptArgument(lines, index, size_argument)) != static_cast<std::int64_t>(signature.size)) {
    error = LineError(index, "gives a cabinet size that differs from its signature.");
    return false;
  }
  return true;
}

bool ReadComponent(const ScriptLines& lines, std::size_t index, bool ocx, WebComponent& component,
                   std::string& error) {
  component.ocx = ocx;
  component.url = ScriptArgument(lines, index, 1);
  WebUrl url;
  if (!ParseWebUrl(component.url, url)) {
    error = LineError(index, "names no http: or https: address: " + component.url);
    return false;
  }
  component.cabinet_name = PercentDecoded(UrlFileName(component.url));
  component.file_name = ScriptArgument(lines, index, 3);
  if (!IsPlainFileName(component.cabinet_name) || !IsPlainFileName(component.file_name)) {
    error = LineError(index, "names a component file with a path or a forbidden character.");
    return false;
  }
  component.version = ScriptArgument(lines, index, 4);
  if (ocx) {
    component.class_id = ScriptArgument(lines, index, 5);
    if (!IsClassId(component.class_id)) {
      error = LineError(index, "gives no valid class identifier.");
      return false;
    }
  }
  return ReadSignature(lines, index, 2, ocx ? 8 : 7, component.signature, error);
}

bool ReadProgram(const ScriptLines& lines, std::size_t index, WebProgram& program, std::string& error) {
  program.cabinet_name = ScriptArgument(lines, index, 1);
  if (!IsPlainFileName(program.cabinet_name)) {
    error = LineError(index, "names a program cabinet with a path or a forbidden character.");
    return false;
  }
  const std::int64_t parts = ScriptNumber(ScriptArgument(lines, index, 4));
  if (parts < 0 || parts > static_cast<std::int64_t>(kMaxProgramParts)) {
    error = LineError(index, "gives a number of parts outside 0 to 1000.");
    return false;
  }
  program.parts = static_cast<std::size_t>(parts);
  const std::string sub_directory = ScriptArgument(lines, index, 7);
  if (!sub_directory.empty() && !StoredNameToRelativePath(sub_directory, program.sub_directory)) {
    error = LineError(index, "names a sub-directory that leaves the temporary directory.");
    return false;
  }
  return ReadSignature(lines, index, 2, 6, program.signature, error);
}

bool ReadExecute(const ScriptLines& lines, std::size_t index, WebScript& script, std::string& error) {
  std::string rest;
  if (!TextAfterPlaceholder(ScriptArgument(lines, index, 1), kProductDirectoryPlaceholder, rest)) return true;
  if (script.has_program_to_run) return true;  // the first one is the program
  if (!StoredNameToRelativePath(rest, script.program_to_run)) {
    error = LineError(index, "names a program outside the temporary directory.");
    return false;
  }
  script.has_program_to_run = true;
  for (int n = 2; n <= ArgumentCount(lines, index); ++n) script.parameters.push_back(ScriptArgument(lines, index, n));
  return true;
}

}  // namespace

bool ReadWebScript(const ScriptLines& lines, WebScript& script, std::string& error) {
  script = WebScript{};
  error.clear();
  if (lines.size() > kMaxWebScriptLines) {
    error = "Script Error. The web script has too many lines.";
    return false;
  }
  script.title = ScriptSetting(lines, "InstallDialogTitle");
  if (script.title.empty()) script.title = kDefaultWebSetupTitle;
  bool any_execute = false;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string word = CommandWord(lines, index);
    if (word == "INSTALLDLLFILE" || word == "INSTALLOCXFILE") {
      if (script.components.size() == kMaxWebScriptComponents) {
        error = "Script Error. The web script names more than 1000 components.";
        return false;
      }
      WebComponent component;
      if (!ReadComponent(lines, index, word == "INSTALLOCXFILE", component, error)) return false;
      script.components.push_back(std::move(component));
    } else if (word == "INSTALLPROGRAM") {
      if (script.programs.size() == kMaxWebScriptPrograms) {
        error = "Script Error. The web script names more than 100 program cabinets.";
        return false;
      }
      WebProgram program;
      if (!ReadProgram(lines, index, program, error)) return false;
      script.programs.push_back(std::move(program));
    } else if (word == "EXECUTE" || word == "EXECUTEINSEPARATEWINDOW") {
      any_execute = true;
      if (!ReadExecute(lines, index, script, error)) return false;
    }
  }
  if (any_execute && !script.has_program_to_run) {
    error = "Script Error. Program filename specified in script is null.";
    return false;
  }
  return true;
}
