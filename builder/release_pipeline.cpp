// Finish: the project directories, the two names checked, the Release directories emptied
// after asking, the "Working" panel, then the package in a fixed order. A failing step has
// shown its message; the Release directories are emptied and the window goes back to the
// last step. The project files are kept in every case.
#include "release_pipeline.h"

#include <filesystem>
#include <system_error>

#include "cache_directories.h"
#include "directory_listing.h"
#include "form1.h"
#include "native_files.h"
#include "path_services.h"

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

void CreateDirectoryIgnoringErrors(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directories(NativePath(path), ignored);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(NativePath(path), ignored);
}

}  // namespace

std::string SuccessText(const Form1& form) {
  const std::string& exe = form.txtStandAloneExeFilenameNoPath.text;
  return std::string("Successfully created the Web Setup program: ") + kCrLf + exe + kCrLf + kCrLf +
         "To test the Web Setup program locally: " + kCrLf + "Double-click the file: " + kCrLf + form.ReleaseDirectory +
         exe + kCrLf + kCrLf + "To publish your Web Setup program: " + kCrLf + kCrLf +
         "(1) Copy all the files in the Release directory: " + kCrLf + form.ReleaseDirectory + kCrLf +
         "into the following directory on your Web site: " + kCrLf + form.txtPublicationURL.text + kCrLf + kCrLf +
         "(2) Copy all the files in the Release directory: " + kCrLf + form.ReleaseActiveXDirectory + kCrLf +
         "into the following directory of your Web site: " + kCrLf + form.txtActiveXUrl.text;
}

bool ReleasePipeline::DeleteAllFilesInReleaseDirectory() {
  for (const std::string* directory : {&form_->ReleaseDirectory, &form_->ReleaseActiveXDirectory}) {
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

void ReleasePipeline::EnterWorkingPanel() {
  Form1& form = *form_;
  form.fraStep[static_cast<std::size_t>(form.CurrentStep)].visible = false;
  ++form.CurrentStep;
  form.Caption = std::string(kWizardTitle) + " - Creating the Web Setup Program";
  form.fraStep[kWorkingStep].visible = true;
  for (Control* button : {&form.cmdNext, &form.cmdBack, &form.cmdFinish, &form.cmdExit, &form.cmdSamples}) {
    button->enabled = false;
  }
  form.ShowPicLogoForPanel(kWorkingStep);
  form.txtWorkProgress.text.clear();
}

void ReleasePipeline::FailBuild() {
  Form1& form = *form_;
  DeleteAllFilesInReleaseDirectory();
  form.cmdBack_Click();
  form.cmdNext.enabled = false;
  form.cmdExit.enabled = true;
  form.cmdSamples.enabled = true;
}

void ReleasePipeline::Finish(Form1& form) {
  Attach(form);
  if (form.Ended || form.CurrentStep != kFinalStep) return;
  // Step 1.
  ResetCacheDirectory(form.InstalledScriptsCache);
  ResetCacheDirectory(form.DownloadedProgramsCache);
  // Step 2.
  for (const std::string* directory : {&form.ProjectDirectory, &form.ProjectFilesDirectory, &form.ReleaseDirectory,
                                       &form.ReleaseActiveXDirectory}) {
    CreateDirectoryIgnoringErrors(*directory);
    if (!DirectoryExists(*directory)) {
      ShowOk("Error. Cannot create project directory: " + *directory);
      return;
    }
  }
  // Step 3.
  if (!form.ValidateHtmlFilenameNoPath() || !form.ValidateStandAloneExeFilename() || !CheckPackageText() ||
      !CheckInstalledPathLengths()) {
    return;
  }
  // Step 4.
  const std::string& activex_url = form.txtActiveXUrl.text;
  if (activex_url.empty() || (activex_url.back() != '\\' && activex_url.back() != '/')) {
    form.SetText(form.txtActiveXUrl, activex_url + "/");
  }
  // Step 5.
  if (HoldsAnyFile(form.ReleaseDirectory) || HoldsAnyFile(form.ReleaseActiveXDirectory)) {
    const MessageAnswer answer = host_->ShowMessage(
        std::string("Continuing will delete all the current files in the Release directories: ") + kCrLf + kCrLf +
            form.ReleaseDirectory + kCrLf + form.ReleaseActiveXDirectory + kCrLf + kCrLf +
            "The Release directories will be updated with new updated files. " + "Do you wish to continue?",
        "Updating Release Files", MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) return;
  }
  // Step 6.
  if (!DeleteAllFilesInReleaseDirectory()) {
    ShowOk("Error. Cannot delete files in directory: " + form.ReleaseDirectory);
    return;
  }
  // Step 7.
  EnterWorkingPanel();
  // Steps 8 to 10; Setup.exe is signed before Prog1.cab takes it in.
  signing_failed_ = signing_cancelled_ = false;
  const std::string setup = form.ProjectFilesDirectory + "Setup.exe";
  if (!CreateSingleProgramCabFile() || !CreateSetupExeProgram() || !SignEveryProgramFile(setup)) return FailBuild();
  if (const std::string error = VexaCreateCabFromOneFile(form.ReleaseDirectory + "Prog1.cab", setup, 0);
      !error.empty()) {
    ShowOk("Error. Cannot create Prog1.cab\r\n" + error, "Error");
    return FailBuild();
  }
  // Steps 11 to 14.
  RemoveNativeFile(setup);
  ProgramCabinetList = {{form.ReleaseDirectory + "Prog1.cab", ""}};
  if (!CreateScriptCabFile()) return FailBuild();
  if (!MakeHTMLFile(form.ReleaseDirectory + form.txtHtmlFilenameNoPath.text)) return FailBuild();
  // Steps 15 to 17: a cancelled signing does not stop the build, a failed one does. The
  // stand-alone program is signed after its lines are appended (it reads them up to its
  // signature).
  form.SaveStepSettingsToProjectDirectory();
  ExecuteSignCodeCommands();
  if (signing_failed_) return FailBuild();
  const std::string stand_alone = form.ReleaseDirectory + form.txtStandAloneExeFilenameNoPath.text;
  if (!MakeStandAloneExeWebFile(stand_alone) || !SignEveryProgramFile(stand_alone)) return FailBuild();
  // Steps 18 and 19.
  form.txtWorkProgress.text += std::string("Done!") + kCrLf;
  DoEvents();
  form.frmSuccess_Text = SuccessText(form);
  host_->ShowModalWindow(ModalWindow::Success);
  form.Ended = true;
  host_->EndProgram();
}
