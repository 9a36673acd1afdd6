// Cabinets of the web setup package: the blocking build protocol around the component's
// asynchronous build, its progress lines, the names of component cabinets, the program
// cabinet of the ticked files, and the split rule of the setup cabinet.
#include <algorithm>

#include "build_clock.h"
#include "form1.h"
#include "path_case.h"
#include "path_services.h"
#include "project_settings.h"
#include "release_pipeline.h"

namespace {

constexpr int kBuildPollMilliseconds = 500;
constexpr int kQueueYieldEvery = 200;
constexpr std::int64_t kSplitAbove = 50'000;
constexpr std::int64_t kSplitPartSize = 25'000;
constexpr std::int64_t kMaxSplitParts = 1'000;

}  // namespace

std::string VexaGenerateCabFilename(const std::string& Filename, const std::string& DestDirectory) {
  return DestDirectory + ComponentCabinetName(Filename);
}

int SetupCabinetParts(std::int64_t size, bool minimize_download_time) {
  if (!minimize_download_time || size <= kSplitAbove) return 0;
  return static_cast<int>(std::min(size / kSplitPartSize, kMaxSplitParts));
}

void ReleasePipeline::Attach(Form1& form) {
  form_ = &form;
  host_ = &form.host();
}

void ReleasePipeline::DoEvents() {
  host_->ProcessEvents();
  cab_.ProcessMakeCabEvents(*this);
}

void ReleasePipeline::WaitForCabBuild() {
  do {
    cab_.WaitForEvents(kBuildPollMilliseconds);
    DoEvents();
  } while (form_->KeepWorking);
}

void ReleasePipeline::ShowOk(const std::string& text, const std::string& title) {
  host_->ShowMessage(text, title, MessageIcon::None, MessageButtons::Ok);
}

void ReleasePipeline::VexaCB1_MakeCabProgress(const std::string& CabFilename, const std::string& CurrentFileInCab) {
  if (!CurrentFileInCab.empty() && CurrentFileInCab != LastProgressFile) {
    form_->AppendWorkProgressLine("Adding " + PathFileName(CurrentFileInCab) + " into " + PathFileName(CabFilename));
  }
  LastProgressFile = CurrentFileInCab;
}

void ReleasePipeline::VexaCB1_MakeCabDone(const std::string& CabFilename) {
  // A finished cabinet carries the build's time when that is fixed, so that the dates
  // written about it (and the cabinets holding it) are the same in every build.
  StampWithFixedBuildTime(CabFilename);
  form_->AppendWorkProgressLine("Completed making " + PathFileName(CabFilename));
  CabResult.clear();
  form_->KeepWorking = false;
}

// The component's reason (the file it could not read or write) follows on a line of its own.
void ReleasePipeline::VexaCB1_MakeCabError(const std::string& CabFilename) {
  CabResult = "Error. Cannot create cab file: " + CabFilename;
  const std::string reason = cab_.LastMakeCabError();
  if (!reason.empty()) CabResult += "\r\n" + reason;
  form_->KeepWorking = false;
}

void ReleasePipeline::VexaCB1_MakeCabCancel() {
  CabResult = "Error. Cab creation cancelled by user.";
  form_->KeepWorking = false;
}

void ReleasePipeline::cmdCancelWork_Click(Form1& form) {
  cab_.CancelMakeCab();
  form.KeepWorking = false;
  CabResult = "Error. Cab creation cancelled by user.";
}

CabCompression ReleasePipeline::ProgramCompression() const {
  if (program_compression_) return *program_compression_;
  std::string choice = ReadSettingsText(form_->ProjectFilesDirectory + "CabCompression.txt");
  choice = UpperAscii(TrimBlanks(choice.substr(0, choice.find_first_of("\r\n"))));
  if (choice == "LZX") return CabCompression::kLzx;
  if (choice == "MSZIP") return CabCompression::kMszip;
  return form_->chkCreateMultiProgramCabs.value != 0 ? CabCompression::kLzx : CabCompression::kMszip;
}

void ReleasePipeline::UseCompression(CabCompression compression) {
  CabWriterOptions options = writer_options_;
  options.compression = compression;
  cab_.SetWriterOptions(options);
}

std::string ReleasePipeline::VexaCreateCabFromOneFile(const std::string& CabFilename, const std::string& Filename,
                                                      std::int32_t CertificateSize, CabCompression compression) {
  form_->KeepWorking = true;
  UseCompression(compression);
  cab_.ClearCabFiles();
  cab_.AddFileToCab(Filename, PathFileName(Filename));
  CabResult.clear();
  if (!cab_.MakeCab(CabFilename, CertificateSize)) {
    return "Error. Cannot create cab file: " + CabFilename + " from file: " + Filename;
  }
  WaitForCabBuild();
  return CabResult;
}

bool ReleasePipeline::CreateSingleProgramCabFile() {
  Form1& form = *form_;
  form.KeepWorking = true;
  const std::string program_directory = WithTrailingSeparator(form.txtDirectoryName.text);
  form.AppendWorkProgressLine("Adding files to Cab image...");
  DoEvents();
  cab_.ClearCabFiles();
  // The lines are lower case; the scan kept each file's spelling on disk beside it.
  const bool scanned = form.ProgramFileDiskPaths.size() == form.List1.lines.size();
  int counter = 0;
  for (std::size_t i = 0; i < form.List1.lines.size(); ++i) {
    const std::string& line = form.List1.lines[i];
    if (i < form.List1.checked.size() && form.List1.checked[i]) {
      cab_.AddFileToCab(scanned ? program_directory + form.ProgramFileDiskPaths[i]
                                : ResolvePathCase(program_directory + line),
                        line);
    }
    if (++counter == kQueueYieldEvery) {
      counter = 0;
      DoEvents();
      if (!form.KeepWorking) {
        ShowOk("Files Addition to Cab Image canceled.");
        form.KeepWorking = false;
        return false;
      }
    }
  }
  // A Cancel taken by the yield after the first progress line is seen by no batch of a list
  // shorter than one batch; building anyway would report the cancelled build as made.
  if (!form.KeepWorking) {
    ShowOk("Files Addition to Cab Image canceled.");
    return false;
  }
  CabResult.clear();
  UseCompression(ProgramCompression());
  if (!cab_.MakeCab(form.ProjectFilesDirectory + "Program.cab", 0)) {
    ShowOk("Error. Cannot create cab file: " + form.ProjectFilesDirectory + "Program.cab");
    form.KeepWorking = false;
    return false;
  }
  WaitForCabBuild();
  if (!CabResult.empty()) {
    ShowOk(CabResult);
    return false;
  }
  return true;
}
