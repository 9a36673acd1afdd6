// The web script: a script in the Setup script language (read with the engine's reader)
// that the release builder packs into the script cabinet beside the web page. The lines a
// web setup acts on:
//
//   SetInstallDialogTitle "title"
//   InstallDllFile "url", "cabinet size", "file name", "version", "0", "file size",
//                  "signature", ""
//   InstallOcxFile "url", "cabinet size", "file name", "version", "{class id}", "0",
//                  "file size", "signature"
//   InstallProgram "Prog1.cab", "size", "file info", "parts", "4 x size", "signature",
//                  "sub-directory"
//   Execute "<ProductDirectory>\Setup.exe", "parameter", ...
//
// A component line's URL names the component's cabinet; a program cabinet (or its parts
// and part list) lies in the publication directory. Every cabinet carries its long
// signature, and its size argument must agree with it. The whole script is checked before
// anything is downloaded: an address of another scheme, a name with a path in it, a size
// beyond kMaxDownloadBytes, a malformed class identifier or signature refuses the script.
#pragma once

#include <string>
#include <vector>

#include "file_signature.h"
#include "script.h"

inline constexpr std::size_t kMaxWebScriptLines = 100000;
inline constexpr std::size_t kMaxWebScriptComponents = 1000;
inline constexpr std::size_t kMaxWebScriptPrograms = 100;
inline constexpr std::size_t kMaxProgramParts = 1000;

struct WebComponent {
  bool ocx = false;
  std::string url;
  std::string cabinet_name;  // the URL's file name
  std::string file_name;
  std::string version;
  std::string class_id;  // OCX only
  FileSignature signature;
};

struct WebProgram {
  std::string cabinet_name;
  std::size_t parts = 0;  // 0 or 1: the cabinet is published whole
  FileSignature signature;
  std::string sub_directory;  // relative, "\"-separated, empty for the directory itself
};

struct WebScript {
  std::string title;
  std::vector<WebComponent> components;
  std::vector<WebProgram> programs;
  bool has_program_to_run = false;
  std::string program_to_run;  // relative to <TempDir>
  std::vector<std::string> parameters;
};

inline constexpr const char* kDefaultWebSetupTitle = "Installing Program";

// Reads what the web setup does from the script's lines; false with `error` (a message
// for the user) when a line is refused.
bool ReadWebScript(const ScriptLines& lines, WebScript& script, std::string& error);
