// The build: the package's texts and paths checked, the Release directories emptied after
// asking, then the package in a fixed order. A failing step has shown its message; the
// Release directories are emptied and the wizard goes back to its last step. The project
// files are kept in every case.
#include "release_pipeline.h"

#include "directory_listing.h"
#include "native_files.h"

namespace {

constexpr const char* kCrLf = "\r\n";
// A directory that keeps refilling itself is not emptied for ever: after every file listed
// has been deleted it is listed again, at most this many times. The bound counts whole
// listings, never files: a package may hold any number of parts.
constexpr int kMaxEmptyingRounds = 16;

// The ordinary files directly in `directory` (sub-directories are not listed).
bool ListOrdinaryFiles(const std::string& directory, std::vector<std::string>& files) {
  files.clear();
  std::vector<DirectoryEntry> entries;
  if (!ListDirectory(directory, entries)) return false;
  for (const DirectoryEntry& entry : entries) {
    if (entry.kind == DirectoryEntryKind::File) files.push_back(entry.name);
  }
  return true;
}

bool HoldsAnyFile(const std::string& directory) {
  std::vector<std::string> files;
  return ListOrdinaryFiles(directory, files) && !files.empty();
}

}  // namespace

bool ReleasePipeline::DeleteAllFilesInReleaseDirectory() {
  for (const std::string* directory : {&answers_.ReleaseDirectory, &answers_.ReleaseActiveXDirectory}) {
    std::vector<std::string> files;
    for (int round = 0;; ++round) {
      if (!ListOrdinaryFiles(*directory, files)) return false;
      if (files.empty()) break;
      if (round == kMaxEmptyingRounds) return false;
      for (const std::string& file : files) {
        if (!RemoveNativeFile(*directory + file)) return false;
      }
    }
  }
  return true;
}

ReleaseResult ReleasePipeline::FailBuild() {
  DeleteAllFilesInReleaseDirectory();
  return Ended(ReleaseOutcome::Failed);
}

void ReleasePipeline::Attach(const ReleaseAnswers& answers, ReleaseHost& host) {
  answers_ = answers;
  host_ = &host;
}

ReleaseResult ReleasePipeline::Build(const ReleaseAnswers& answers, ReleaseHost& host) {
  Attach(answers, host);
  if (!PrepareRelease()) return Ended(ReleaseOutcome::Stopped);
  host_->WorkStarted();
  if (!BuildPackage()) return FailBuild();
  host_->AppendProgressLine("Done!");
  DoEvents();
  return Ended(ReleaseOutcome::Built);
}

bool ReleasePipeline::PrepareRelease() {
  if (!CheckPackageText() || !CheckInstalledPathLengths()) return false;
  std::string& activex_url = answers_.ActiveXUrl;
  if (activex_url.empty() || (activex_url.back() != '\\' && activex_url.back() != '/')) activex_url += "/";
  const std::string& release = answers_.ReleaseDirectory;
  const std::string& release_activex = answers_.ReleaseActiveXDirectory;
  if (HoldsAnyFile(release) || HoldsAnyFile(release_activex)) {
    const bool replace = host_->Ask(
        std::string("Continuing will delete all the current files in the Release directories: ") + kCrLf + kCrLf +
            release + kCrLf + release_activex + kCrLf + kCrLf +
            "The Release directories will be updated with new updated files. " + "Do you wish to continue?",
        "Updating Release Files");
    if (!replace) return false;
  }
  if (!DeleteAllFilesInReleaseDirectory()) {
    ShowOk("Error. Cannot delete files in directory: " + release);
    return false;
  }
  return true;
}

// Setup.exe is signed before Prog1.cab takes it in. A cancelled signing does not stop the
// build, a failed one does. The stand-alone program is signed after its lines are appended
// (it reads them up to its signature).
bool ReleasePipeline::BuildPackage() {
  signing_failed_ = signing_cancelled_ = false;
  const std::string setup = answers_.ProjectFilesDirectory + "Setup.exe";
  if (!CreateSingleProgramCabFile() || !CreateSetupExeProgram() || !SignEveryProgramFile(setup)) return false;
  if (const std::string error = VexaCreateCabFromOneFile(answers_.ReleaseDirectory + "Prog1.cab", setup, 0);
      !error.empty()) {
    ShowOk("Error. Cannot create Prog1.cab\r\n" + error, "Error");
    return false;
  }
  RemoveNativeFile(setup);
  ProgramCabinetList = {{answers_.ReleaseDirectory + "Prog1.cab", ""}};
  if (!CreateScriptCabFile()) return false;
  if (!MakeHTMLFile(answers_.ReleaseDirectory + answers_.HtmlFilenameNoPath)) return false;
  host_->PackageMade(FieldValues());
  ExecuteSignCodeCommands();
  if (signing_failed_) return false;
  const std::string stand_alone = answers_.ReleaseDirectory + answers_.StandAloneExeFilenameNoPath;
  return MakeStandAloneExeWebFile(stand_alone) && SignEveryProgramFile(stand_alone);
}
