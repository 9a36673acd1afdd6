// VexaInstall.exe, the setup engine. Start-up takes the package attached to the engine's
// own file into a fresh temporary directory, reads the Setup script from it and removes
// the directory again; every stop shows its message in a message box, and the process
// always ends with status 0.
#include <windows.h>

#include <string>

#include "cabinet.h"
#include "engine_size.h"
#include "package.h"
#include "script.h"
#include "text.h"

namespace {

constexpr const char* kCaption = "VexaInstall";

// The running program's module path, cut before its last "." and given ".EXE", in upper
// case.
std::string OwnExePath() {
  char module[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string path(module, length);
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos) path.resize(dot);
  return UpperCase(path + ".EXE");
}

// Removes `directory` (ending in "\\") and everything below it; links are removed, not
// followed.
void RemoveTree(const std::string& directory) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = directory + name;
      const DWORD attributes = found.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path + "\\");
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(path.c_str());
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

int Stop(const std::string& message) {
  MessageBoxA(nullptr, message.c_str(), kCaption, MB_OK);
  return 0;
}

int StartUp() {
  const std::string ownExe = OwnExePath();
  std::string directory, error;
  if (!ExtractAttachment(ownExe, EngineFileSize(), directory, error)) return Stop(error);
  std::string cabinet = directory;
  cabinet.append(kAttachmentFileName);
  const std::string scriptFile = directory + "Script.TXT";
  // The expansion also makes the folders of members it skips, so the whole directory
  // goes, not only the two files.
  if (!ExtractFileFromCab(cabinet, directory, "Script.TXT")) {
    RemoveTree(directory);
    return Stop("Error. Cannot extract script from self-extract EXE file.");
  }
  ScriptLines script;
  const bool loaded = LoadScript(scriptFile, script);
  RemoveTree(directory);
  if (!loaded) return Stop("Error. Cannot load script to memory.");
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return StartUp(); }
