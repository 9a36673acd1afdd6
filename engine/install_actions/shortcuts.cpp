#include "shortcuts.h"

#include "paths.h"
#include "text.h"

namespace {

// A component of a sub-folder path or a shortcut name that could lead out of the group.
bool IsUnsafeComponent(std::string_view component) {
  return component == ".." || component.find(':') != std::string_view::npos;
}

// Windows strips trailing dots and blanks from folder names, so "..." or ".. " would name
// the parent.
bool IsUnsafeFolder(std::string_view component) {
  return IsUnsafeComponent(component) ||
         (!component.empty() && (component.back() == '.' || component.back() == ' ') && component != ".");
}

// The sub-folder after "<ProductProgramGroup>\": relative, no "..", no drive or stream.
bool SubFolderStaysInGroup(std::string_view sub_folder) {
  if (!sub_folder.empty() && (sub_folder.front() == '\\' || sub_folder.front() == '/')) return false;
  std::size_t start = 0;
  while (start <= sub_folder.size()) {
    std::size_t end = sub_folder.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = sub_folder.size();
    if (IsUnsafeFolder(sub_folder.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

bool NameStaysInFolder(std::string_view name) {
  return name.find_first_of("\\/") == std::string_view::npos && !IsUnsafeComponent(name);
}

}  // namespace

std::string DirectoryOfPath(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string_view::npos) return {};
  return std::string(path.substr(0, separator + 1));
}

bool ShortcutOfLine(const ScriptLines& script, std::size_t index, const std::string& program_group_directory,
                    const std::string& product_directory, ShortcutEntry& entry) {
  if (CommandWord(script, index) != kCreateProgramGroupWord) return false;
  std::string sub_folder;
  if (!TextAfterPlaceholder(ScriptArgument(script, index, 1), kProductProgramGroupPlaceholder, sub_folder))
    return false;
  std::string target_path;
  if (!TextAfterPlaceholder(ScriptArgument(script, index, 3), kProductDirectoryPlaceholder, target_path))
    return false;
  const std::string name = ScriptArgument(script, index, 2);
  if (!SubFolderStaysInGroup(sub_folder) || !NameStaysInFolder(name)) return false;

  entry.folder = program_group_directory + sub_folder;
  AppendBackslash(entry.folder);
  entry.name = name;
  entry.target = product_directory + target_path;
  return true;
}
