// Loading a project directory's settings files from arbitrary bytes. The input is cut at
// every "\xFE\xFF" into the contents of the sixteen project files and the four remembered
// defaults (in that order; missing pieces leave their file absent). The load must keep
// every field within its bounds, and saving what was loaded and loading it again must give
// the same fields.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "form1.h"
#include "wizard_fuzz_support.h"
#include "path_services.h"
#include "text_files.h"

namespace {

constexpr const char* kProjectFiles[] = {
    "ProgramFriendlyName.txt", "CompanyName.txt",  "WebSiteURL.txt",         "ActiveXUrl.txt",
    "PublicationURL.txt",      "ProgramFiles.txt", "ExeFilename.txt",        "ExeParas.txt",
    "OcxFiles.txt",            "DllFiles.txt",     "ProgramGroup.txt",       "HtmlFilenameNoPath.txt",
    "HtmlTitle.txt",           "CreateMultiProgramCabs.txt", "SignCodeCommands.txt",
    "StandAloneExeFilenameNoPath.txt", "SignEveryProgram.txt"};
constexpr const char* kRememberedFiles[] = {"CompanyName.txt", "WebSiteURL.txt", "ActiveXUrl.txt",
                                            "SignCodeCommands.txt"};

void CheckText(const std::string& text) {
  Check(text.size() <= kMaxSettingsTextBytes);
  Check(text.find('\0') == std::string::npos);
}

void CheckList(const std::vector<std::string>& lines) {
  Check(lines.size() <= kMaxLines);
  for (const std::string& line : lines) {
    Check(line.size() <= kMaxLineBytes);
    Check(line.find('\0') == std::string::npos);
  }
}

void Write(const std::string& path, const std::string* content) {
  if (content) {
    WriteTextFile(*content, path);
  } else {
    std::remove(path.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> pieces;
  for (std::size_t from = 0;;) {
    const std::size_t at = input.find("\xFE\xFF", from);
    pieces.push_back(input.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 2;
  }
  const std::string& work = WorkDirectory();
  SilentHost host;
  host.wizard_directory = work + "wizard";
  Form1 form(host);
  form.WizardDirectory = WithTrailingSeparator(host.wizard_directory);
  form.SetProjectPaths(work + "program");
  std::size_t piece = 0;
  for (const char* name : kProjectFiles) {
    Write(form.ProjectFilesDirectory + name, piece < pieces.size() ? &pieces[piece] : nullptr);
    ++piece;
  }
  for (const char* name : kRememberedFiles) {
    Write(form.WizardDirectory + name, piece < pieces.size() ? &pieces[piece] : nullptr);
    ++piece;
  }

  form.LoadStepSettingsFromProjectDirectory();
  const ProjectSettings loaded = form.CurrentProjectSettings();
  for (const std::string* text :
       {&loaded.ProgramFriendlyName, &loaded.CompanyName, &loaded.WebSiteURL, &loaded.ActiveXUrl,
        &loaded.PublicationURL, &loaded.ExeFilename, &loaded.ExeParas, &loaded.HtmlFilenameNoPath, &loaded.HtmlTitle,
        &loaded.SignCodeCommands, &loaded.StandAloneExeFilenameNoPath}) {
    CheckText(*text);
  }
  CheckList(loaded.OcxFiles);
  CheckList(loaded.DllFiles);
  CheckTree(loaded.ProgramGroup);
  Check(loaded.CreateMultiProgramCabs == 0 || loaded.CreateMultiProgramCabs == 1);
  Check(loaded.SignEveryProgram == 0 || loaded.SignEveryProgram == 1);

  form.SaveStepSettingsToProjectDirectory();
  form.LoadStepSettingsFromProjectDirectory();
  const ProjectSettings again = form.CurrentProjectSettings();
  Check(again.ProgramFriendlyName == loaded.ProgramFriendlyName && again.CompanyName == loaded.CompanyName &&
        again.WebSiteURL == loaded.WebSiteURL && again.ActiveXUrl == loaded.ActiveXUrl &&
        again.PublicationURL == loaded.PublicationURL && again.ExeFilename == loaded.ExeFilename &&
        again.ExeParas == loaded.ExeParas && again.HtmlFilenameNoPath == loaded.HtmlFilenameNoPath &&
        again.HtmlTitle == loaded.HtmlTitle && again.SignCodeCommands == loaded.SignCodeCommands &&
        again.StandAloneExeFilenameNoPath == loaded.StandAloneExeFilenameNoPath);
  Check(again.OcxFiles == loaded.OcxFiles && again.DllFiles == loaded.DllFiles);
  Check(again.CreateMultiProgramCabs == loaded.CreateMultiProgramCabs);
  Check(again.SignEveryProgram == loaded.SignEveryProgram);
  Check(SameTree(again.ProgramGroup, loaded.ProgramGroup));
  return 0;
}
