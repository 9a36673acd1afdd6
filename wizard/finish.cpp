// Finish: the loader's caches emptied, the project directories made, the page's and the
// stand-alone program's names checked, then the release builder on the answers. While it
// builds, the Working panel shows its progress; a failed build brings the wizard back to
// the last step, a successful one shows the success window and ends the program.
#include <filesystem>
#include <system_error>

#include "cache_directories.h"
#include "form1.h"
#include "native_files.h"

namespace {

constexpr const char* kCrLf = "\r\n";

void CreateDirectoryIgnoringErrors(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directories(NativePath(path), ignored);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(NativePath(path), ignored);
}

std::vector<ProgramGroupEntry> ProgramGroupEntries(const ProgramGroupTree& tree) {
  std::vector<ProgramGroupEntry> entries;
  entries.reserve(tree.nodes.size());
  for (const ProgramGroupNode& node : tree.nodes) entries.push_back({node.text, node.tag, node.parent});
  return entries;
}

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

}  // namespace

// The release builder's host: the Working panel's progress box and Cancel, and the
// wizard's own host for messages and events.
class Form1::FinishHost : public ReleaseHost {
 public:
  explicit FinishHost(Form1& form) : form_(form) {}

  void AppendProgressLine(const std::string& line) override { form_.AppendWorkProgressLine(line); }
  void ProcessEvents() override { form_.host_.ProcessEvents(); }
  void ShowMessage(const std::string& text, const std::string& title) override {
    form_.host_.ShowMessage(text, title, MessageIcon::None, MessageButtons::Ok);
  }
  void ShowCriticalMessage(const std::string& text, const std::string& title) override {
    form_.host_.ShowMessage(text, title, MessageIcon::Critical, MessageButtons::Ok);
  }
  bool Ask(const std::string& text, const std::string& title) override {
    return form_.host_.ShowMessage(text, title, MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes;
  }
  bool KeepWorking() const override { return form_.KeepWorking; }
  void SetKeepWorking(bool keep_working) override { form_.KeepWorking = keep_working; }
  void WorkStarted() override { form_.EnterWorkingPanel(); }
  void PackageMade(const ReleaseFieldValues& fields) override {
    form_.ApplyReleaseFields(fields);
    form_.SaveStepSettingsToProjectDirectory();
  }

 private:
  Form1& form_;
};

void Form1::cmdFinish_Click() {
  if (!release_builder_ || Ended || CurrentStep != kFinalStep) return;
  ResetCacheDirectory(InstalledScriptsCache);
  ResetCacheDirectory(DownloadedProgramsCache);
  if (!CreateProjectDirectories()) return;
  if (!ValidateHtmlFilenameNoPath() || !ValidateStandAloneExeFilename()) return;
  FinishHost finish_host(*this);
  const ReleaseResult result = release_builder_->Build(ReleaseAnswersForBuild(), finish_host);
  ApplyReleaseFields(result.fields);
  if (result.outcome == ReleaseOutcome::Failed) LeaveWorkingPanel();
  if (result.outcome == ReleaseOutcome::Built) ShowSuccessWindow();
}

void Form1::cmdCancelWork_Click() {
  if (!release_builder_) return;
  release_builder_->CancelWork();
  KeepWorking = false;
}

bool Form1::CreateProjectDirectories() {
  for (const std::string* directory : {&ProjectDirectory, &ProjectFilesDirectory, &ReleaseDirectory,
                                       &ReleaseActiveXDirectory}) {
    CreateDirectoryIgnoringErrors(*directory);
    if (!DirectoryExists(*directory)) {
      host_.ShowMessage("Error. Cannot create project directory: " + *directory, "", MessageIcon::None,
                        MessageButtons::Ok);
      return false;
    }
  }
  return true;
}

ReleaseAnswers Form1::ReleaseAnswersForBuild() const {
  ReleaseAnswers answers;
  answers.ProgramDirectory = ProgramDirectory;
  answers.ProgramFriendlyName = txtProgramFriendlyName.text;
  // The examples step 1 fills in are no company and no site of the developer's.
  answers.CompanyName = txtCompanyName.text == kExampleCompanyName ? "" : txtCompanyName.text;
  answers.WebSiteURL = txtWebSiteURL.text == kExampleBaseURL ? "" : txtWebSiteURL.text;
  answers.ActiveXUrl = txtActiveXUrl.text;
  answers.PublicationURL = txtPublicationURL.text;
  answers.ProgramFiles = TickedProgramFileSources();
  answers.ExeFilename = txtExeFilename.text;
  answers.ExeParas = txtExeParas.text;
  answers.ProgramGroup = ProgramGroupEntries(ProgramGroup);
  answers.DllFiles = lstDLL.lines;
  answers.OcxFiles = lstOCX.lines;
  answers.HtmlFilenameNoPath = txtHtmlFilenameNoPath.text;
  answers.HtmlTitle = txtHtmlTitle.text;
  answers.StandAloneExeFilenameNoPath = txtStandAloneExeFilenameNoPath.text;
  answers.SignCodeCommands = txtSignCodeCommands.text;
  answers.MinimizeDownloadTime = chkCreateMultiProgramCabs.value != 0;
  answers.SignEveryProgram = chkSignEveryProgram.value != 0;
  answers.PackageCodePage = PackageCodePage;
  answers.CabCompressionChoice = ReadSettingsText(ProjectFilesDirectory + "CabCompression.txt");
  const ProgramVersion version = host_.GetProgramVersion();
  answers.WizardVersion = std::to_string(version.major) + "." + std::to_string(version.minor);
  answers.WizardDirectory = WizardDirectory;
  answers.ProjectFilesDirectory = ProjectFilesDirectory;
  answers.ReleaseDirectory = ReleaseDirectory;
  answers.ReleaseActiveXDirectory = ReleaseActiveXDirectory;
  answers.InstalledScriptsCache = InstalledScriptsCache;
  answers.DownloadedProgramsCache = DownloadedProgramsCache;
  return answers;
}

void Form1::EnterWorkingPanel() {
  fraStep[static_cast<std::size_t>(CurrentStep)].visible = false;
  ++CurrentStep;
  Caption = std::string(kWizardTitle) + " - Creating the Web Setup Program";
  fraStep[kWorkingStep].visible = true;
  for (Control* button : {&cmdNext, &cmdBack, &cmdFinish, &cmdExit, &cmdSamples}) button->enabled = false;
  ShowPicLogoForPanel(kWorkingStep);
  txtWorkProgress.text.clear();
}

// Back to the last step, with Next disabled and the buttons the Working panel disabled
// enabled again.
void Form1::LeaveWorkingPanel() {
  cmdBack_Click();
  cmdNext.enabled = false;
  cmdExit.enabled = true;
  cmdSamples.enabled = true;
}

void Form1::ApplyReleaseFields(const ReleaseFieldValues& fields) {
  SetText(txtActiveXUrl, fields.ActiveXUrl);
  SetText(txtExeParas, fields.ExeParas);
  SetText(txtSignCodeCommands, fields.SignCodeCommands);
}

void Form1::ShowSuccessWindow() {
  frmSuccess_Text = SuccessText(*this);
  host_.ShowModalWindow(ModalWindow::Success);
  Ended = true;
  host_.EndProgram();
}
