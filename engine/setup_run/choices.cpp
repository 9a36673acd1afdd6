#include "choices.h"

#include <windows.h>
#include <shlobj.h>

#include "paths.h"
#include "registry.h"
#include "text.h"

namespace {

std::string ProgramFilesFolder() {
  std::string folder = ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE->Microsoft->Windows->CurrentVersion",
                                          "ProgramFilesDir", "->", kPathBuffer);
  if (folder.empty()) folder = "C:\\Program Files\\";
  AppendBackslash(folder);
  return folder;
}

std::string ProgramsFolder() {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &list)) || !list) return {};
  char path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListA(list, path);
  CoTaskMemFree(list);
  if (!found || path[0] == '\0') return {};
  std::string folder = path;
  AppendBackslash(folder);
  return folder;
}

}  // namespace

std::string DefaultDestination(const ScriptLines& script, const std::string& product_name) {
  const std::string value = ScriptSetting(script, "ProductDirectory");
  if (value.empty()) return {};

  if (!product_name.empty()) {
    std::string previous = ReadRegistryString(HKEY_LOCAL_MACHINE, std::string(kInstalledProgramsKey) + "->" + product_name,
                                              "Directory", "->", kPathBuffer);
    if (!previous.empty()) {
      AppendBackslash(previous);
      if (DirectoryIsWritable(previous)) return previous;
    }
  }

  std::string destination = TrimmedOfBlanks(value);
  if (destination.empty()) return {};
  std::string rest;
  if (TextAfterPlaceholder(destination, kProgramFilesDirPlaceholder, rest)) destination = ProgramFilesFolder() + rest;
  AppendBackslash(destination);
  return destination;
}

bool FindProgramGroup(const ScriptLines& script, std::string& directory, std::string& name) {
  directory.clear();
  name = "(none)";
  std::string group;
  if (!TextAfterPlaceholder(ScriptSetting(script, "ProductProgramGroup"), kProgramsGroupPlaceholder, group))
    return false;
  const std::string programs = ProgramsFolder();
  if (programs.empty()) return false;
  directory = programs + group;
  AppendBackslash(directory);
  name = group;
  return true;
}

std::string ChosenDestination(std::string folder, const std::string& product_sub_directory) {
  AppendBackslash(folder);
  // Only a whole last component counts: D:\XAcme Paint\ does not end in Acme Paint\.
  const bool ends_with_sub =
      EndsWithIgnoringCase(folder, product_sub_directory) &&
      (folder.size() == product_sub_directory.size() ||
       folder[folder.size() - product_sub_directory.size() - 1] == '\\');
  if (!ends_with_sub) folder += product_sub_directory;
  return folder;
}
