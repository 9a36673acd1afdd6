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
  if (!ExtractFileFromCab(cabinet, directory, "Script.TXT")) {
    DeleteFileA(cabinet.c_str());
    RemoveDirectoryA(directory.c_str());
    return Stop("Error. Cannot extract script from self-extract EXE file.");
  }
  ScriptLines script;
  const bool loaded = LoadScript(scriptFile, script);
  DeleteFileA(cabinet.c_str());
  DeleteFileA(scriptFile.c_str());
  RemoveDirectoryA(directory.c_str());
  if (!loaded) return Stop("Error. Cannot load script to memory.");
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return StartUp(); }
