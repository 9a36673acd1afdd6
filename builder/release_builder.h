// The release builder as the wizard sees it: the wizard hands over its answers as plain
// data and a host to report through, and gets back how the build ended and the fields it
// rewrote. The builder never sees the wizard's window or model; the wizard shows the
// Working panel, goes back to the last step after a failure and shows the success window.
#pragma once

#include <string>
#include <vector>

// A ticked program file: its line of the list (the path below the program directory, in
// lower case) and the file as it is on disk (full path, case as found).
struct TickedProgramFile {
  std::string line;
  std::string source;
};

// A node of the program group tree, in the tree's order (a parent before its children;
// the root first, with no parent). A node with a link is a shortcut to that program file.
struct ProgramGroupEntry {
  std::string text;
  std::string link;
  int parent = -1;
};

// The developer's answers on the wizard's steps, and the directories the build works in.
// Directories end with a separator.
struct ReleaseAnswers {
  std::string ProgramDirectory;
  std::string ProgramFriendlyName;
  // The developer's own company and web site: empty when step 1's example is left in place.
  std::string CompanyName;
  std::string WebSiteURL;
  std::string ActiveXUrl;
  std::string PublicationURL;
  std::vector<TickedProgramFile> ProgramFiles;
  // The program file to run after installing (a line of the list), or "<none>".
  std::string ExeFilename;
  std::string ExeParas;
  std::vector<ProgramGroupEntry> ProgramGroup;
  // The component lists of step 5 as listed; the loader control is the OCX list's first line.
  std::vector<std::string> DllFiles;
  std::vector<std::string> OcxFiles;
  std::string HtmlFilenameNoPath;
  std::string HtmlTitle;
  std::string StandAloneExeFilenameNoPath;
  std::string SignCodeCommands;
  bool MinimizeDownloadTime = true;
  bool SignEveryProgram = false;
  int PackageCodePage = 0;
  // The project's choice of compression for the program cabinets (CabCompression.txt):
  // "LZX" or "MSZIP" on its first line, anything else leaves the choice to the build.
  std::string CabCompressionChoice;
  // The wizard's version as the web script and the page name it: "major.minor".
  std::string WizardVersion;

  std::string WizardDirectory;
  std::string ProjectFilesDirectory;
  std::string ReleaseDirectory;
  std::string ReleaseActiveXDirectory;
  // The browser-side loader's cache directories on this machine.
  std::string InstalledScriptsCache;
  std::string DownloadedProgramsCache;
};

// The fields a build rewrites (the ActiveX address gets its final "/", the parameters and
// the sign code commands are trimmed), as they stand when the build reports them.
struct ReleaseFieldValues {
  std::string ActiveXUrl;
  std::string ExeParas;
  std::string SignCodeCommands;
};

enum class ReleaseOutcome {
  // Stopped before the Release directories were touched (a check failed, or the developer
  // did not want the published files replaced).
  Stopped,
  // The build began and failed, or was cancelled: the Release directories are empty.
  Failed,
  Built,
};

struct ReleaseResult {
  ReleaseOutcome outcome = ReleaseOutcome::Stopped;
  ReleaseFieldValues fields;
};

// What the builder asks of the wizard while it works.
class ReleaseHost {
 public:
  virtual ~ReleaseHost() = default;

  // A line for the Working panel's progress box.
  virtual void AppendProgressLine(const std::string& line) = 0;
  // Lets the window process its pending events (the Working panel's Cancel among them).
  virtual void ProcessEvents() = 0;
  // A message with an OK button; an empty title means the program's default title.
  virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
  // The same with the critical icon: the developer must change the project first.
  virtual void ShowCriticalMessage(const std::string& text, const std::string& title) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool Ask(const std::string& text, const std::string& title) = 0;

  // The cancel flag: the builder sets it before each long wait, which ends when the work
  // is done or the Working panel's Cancel cleared it.
  virtual bool KeepWorking() const = 0;
  virtual void SetKeepWorking(bool keep_working) = 0;

  // The Release directories are empty and the package is about to be built.
  virtual void WorkStarted() = 0;
  // The scripts, cabinets and page are made: the answers they were made from, with the
  // fields rewritten so far, are to be kept as the project's.
  virtual void PackageMade(const ReleaseFieldValues& fields) = 0;
};

class ReleaseBuilder {
 public:
  virtual ~ReleaseBuilder() = default;
  // The whole build of the web setup package for `answers`.
  virtual ReleaseResult Build(const ReleaseAnswers& answers, ReleaseHost& host) = 0;
  // The Working panel's Cancel, pressed while Build runs (the wizard clears KeepWorking).
  virtual void CancelWork() {}
};

// The cabinet a shared component is published in: its file name without the extension
// (case kept), + ".Cab".
std::string ComponentCabinetName(const std::string& component_path);
