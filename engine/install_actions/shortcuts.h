// Program groups and shortcuts.
//
// After all files are installed, every CreateProgramGroup line of the script becomes one
// shell link file below the product's program group:
//
//   CreateProgramGroup "<ProductProgramGroup>[\sub-folder]", "name", "<ProductDirectory>[\path]"
//
// The link file is folder + name + ".LNK" (the name keeps its case, the extension is always
// upper case); the link's path is the target, its description the name, and its working
// directory the target's directory without the trailing separator. Both placeholders are
// recognised only at the start of their argument, in any case; a line whose folder or
// target starts with anything else is skipped. Nothing here is shown to the user: a line
// that cannot be carried out is skipped and the next one is tried. Only link files that
// were written are added to the installed-files list (the folders are not listed).
//
// Where we differ on purpose: a sub-folder or shortcut name that would climb out of the
// program group ("..", a folder name ending in a dot or blank, which Windows would strip,
// a drive or stream ":", or a name holding a separator) is skipped
// like a line without its placeholder, so a script cannot make the engine write a link
// file anywhere else on the PC.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script.h"

// The text up to and including the last "\" or "/", whichever comes later; empty when
// there is neither.
std::string DirectoryOfPath(std::string_view path);

// What one CreateProgramGroup line asks for, with the placeholders replaced.
struct ShortcutEntry {
  std::string folder;  // ends with "\"
  std::string name;
  std::string target;
};

// The shortcut of script line `index`; false when the line is skipped (wrong command word,
// an argument without its placeholder, or a folder or name that leaves the group).
bool ShortcutOfLine(const ScriptLines& script, std::size_t index, const std::string& program_group_directory,
                    const std::string& product_directory, ShortcutEntry& entry);

// --- Windows build only (shortcuts_win32.cpp) ---

// Writes the link files of all CreateProgramGroup lines in script order. False only when
// the program group directory or the product directory is empty.
bool CreateProgramGroups(const ScriptLines& script, const std::string& program_group_directory,
                         const std::string& product_directory, std::vector<std::string>& installed_files);

// Creates `folder` with its parents and writes folder + name + ".LNK" pointing at
// `target`; the link file is appended to `installed_files` only when it was written.
bool CreateShortcutEntry(const std::string& folder, const std::string& name, const std::string& target,
                         std::vector<std::string>& installed_files);

// Writes a shell link through the shell's link object (IShellLinkA + IPersistFile): path
// `target`, description `description`, working directory the target's directory without
// its trailing separator. Returns the shell's HRESULT.
long CreateShellLink(const std::string& target, const std::string& link_file, const std::string& description);
