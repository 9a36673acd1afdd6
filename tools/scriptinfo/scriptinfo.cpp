// scriptinfo SCRIPT
// Shows what the setup engine reads from a Setup script: its settings, with the product
// sub-directory derived from the product directory, and every command line it acts on,
// with the arguments the engine uses.
#include <cstdio>
#include <string>
#include <vector>

#include "script.h"

namespace {

struct CommandArguments {
  const char* word;
  std::vector<int> arguments;  // the ones the engine reads
};

const CommandArguments kCommands[] = {
    {"INSTALLPROGRAM", {1, 2, 5, 7}},
    {"INSTALLOCXFILE", {1, 2, 3, 4, 5, 7}},
    {"INSTALLDLLFILE", {1, 2, 3, 4, 6}},
    {"CREATEPROGRAMGROUP", {1, 2, 3}},
    {"EXECUTE", {}},
    {"EXECUTEINSEPARATEWINDOW", {}},
};

const CommandArguments* FindCommand(const std::string& word) {
  for (const CommandArguments& command : kCommands) {
    if (word == command.word) return &command;
  }
  return nullptr;
}

void PrintSettings(const ScriptLines& lines) {
  std::printf("%-22s %s\n", "Setting", "Value");
  for (const char* name : {"ProductName", "ProductDirectory", "ProductProgramGroup", "CheckTrust",
                           "DoneMessage"}) {
    std::printf("%-22s \"%s\"\n", name, ScriptSetting(lines, name).c_str());
  }
  const std::string directory = ScriptSetting(lines, "ProductDirectory");
  std::string sub_directory;
  if (directory.empty()) {
    std::printf("%-22s %s\n", "(sub-directory)", "none: product directory was not specified");
  } else if (ProductSubDirectoryName(directory, sub_directory)) {
    std::printf("%-22s \"%s\"\n", "(sub-directory)", sub_directory.c_str());
  } else {
    std::printf("%-22s %s\n", "(sub-directory)", "none: the directory names no sub-directory");
  }
}

void PrintCommands(const ScriptLines& lines) {
  std::printf("\n%-6s %-24s %s\n", "Line", "Command", "Arguments read by the engine");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string word = CommandWord(lines, i);
    const CommandArguments* command = FindCommand(word);
    if (!command) continue;
    std::string shown;
    std::vector<int> arguments = command->arguments;
    if (arguments.empty()) {  // Execute: the program and all its parameters
      for (int n = 1; n <= ArgumentCount(lines, i); ++n) arguments.push_back(n);
    }
    for (int n : arguments) {
      if (!shown.empty()) shown += "  ";
      shown += std::to_string(n) + "=\"" + ScriptArgument(lines, i, n) + "\"";
    }
    std::printf("%-6zu %-24s %s\n", i + 1, word.c_str(), shown.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: scriptinfo SCRIPT\n");
    return 2;
  }
  ScriptLines lines;
  if (!LoadScript(argv[1], lines)) {
    std::fprintf(stderr, "Error. Cannot load script to memory. (%s)\n", argv[1]);
    return 1;
  }
  std::printf("Setup script %s: %zu lines\n\n", argv[1], lines.size());
  PrintSettings(lines);
  PrintCommands(lines);
  return 0;
}
