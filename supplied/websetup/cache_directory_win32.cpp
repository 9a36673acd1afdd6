#include "cache_directory.h"

#include <windows.h>

#include "administrators_only.h"
#include "paths.h"
#include "registry.h"
#include "text.h"

std::string WebFilesCacheDirectory() {
  char base[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) length = GetTempPathA(MAX_PATH, base);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string directory(base, length);
  if (directory.back() != '\\') directory.push_back('\\');
  return directory + "Corvanta\\Temporary VexaWeb Files\\";
}

std::string AdministratorsCacheDirectory() {
  std::string folder = ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE->Microsoft->Windows->CurrentVersion",
                                          "ProgramFilesDir", "->", kPathBuffer);
  if (folder.empty()) return {};
  AppendBackslash(folder);
  return folder + "Corvanta\\Temporary VexaWeb Files\\";
}

std::string StandAloneCacheDirectory() {
  return RunsElevated() ? AdministratorsCacheDirectory() : WebFilesCacheDirectory();
}

std::vector<std::string> PackageCacheDirectories() {
  std::vector<std::string> directories;
  for (const std::string& directory : {StandAloneCacheDirectory(), WebFilesCacheDirectory()}) {
    if (directory.empty()) continue;
    if (!directories.empty() && EqualsIgnoringCase(directories.front(), directory)) continue;
    directories.push_back(directory);
  }
  return directories;
}
