// Cabinets of the web setup package: the blocking build protocol around the component's
// asynchronous build, its progress lines, the names of component cabinets, the program
// cabinet of the ticked files, and the split rule of the setup cabinet.
#include <algorithm>

#include "build_clock.h"
#include "path_services.h"
#include "release_pipeline.h"

namespace {

constexpr int kBuildPollMilliseconds = 500;
constexpr int kQueueYieldEvery = 200;
constexpr std::int64_t kSplitAbove = 50'000;
constexpr std::int64_t kSplitPartSize = 25'000;
constexpr std::int64_t kMaxSplitParts = 1'000;

}  // namespace

std::string ComponentCabinetName(const std::string& component_path) {
  return StripExtension(PathFileName(component_path)) + ".Cab";
}

std::string VexaGenerateCabFilename(const std::string& Filename, const std::string& DestDirectory) {
  return DestDirectory + ComponentCabinetName(Filename);
}

int SetupCabinetParts(std::int64_t size, bool minimize_download_time) {
  if (!minimize_download_time || size <= kSplitAbove) return 0;
  return static_cast<int>(std::min(size / kSplitPartSize, kMaxSplitParts));
}

void ReleasePipeline::DoEvents() {
  host_->ProcessEvents();
  cab_.ProcessMakeCabEvents(*this);
}

void ReleasePipeline::WaitForCabBuild() {
  do {
    cab_.WaitForEvents(kBuildPollMilliseconds);
    DoEvents();
  } while (host_->KeepWorking());
}

void ReleasePipeline::ShowOk(const std::string& text, const std::string& title) {
  host_->ShowMessage(text, title);
}

void ReleasePipeline::VexaCB1_MakeCabProgress(const std::string& CabFilename, const std::string& CurrentFileInCab) {
  if (!CurrentFileInCab.empty() && CurrentFileInCab != LastProgressFile) {
    host_->AppendProgressLine("Adding " + PathFileName(CurrentFileInCab) + " into " + PathFileName(CabFilename));
  }
  LastProgressFile = CurrentFileInCab;
}

void ReleasePipeline::VexaCB1_MakeCabDone(const std::string& CabFilename) {
  // A finished cabinet carries the build's time when that is fixed, so that the dates
  // written about it (and the cabinets holding it) are the same in every build.
  StampWithFixedBuildTime(CabFilename);
  host_->AppendProgressLine("Completed making " + PathFileName(CabFilename));
  CabResult.clear();
  host_->SetKeepWorking(false);
}

// The component's reason (the file it could not read or write) follows on a line of its own.
void ReleasePipeline::VexaCB1_MakeCabError(const std::string& CabFilename) {
  CabResult = "Error. Cannot create cab file: " + CabFilename;
  const std::string reason = cab_.LastMakeCabError();
  if (!reason.empty()) CabResult += "\r\n" + reason;
  host_->SetKeepWorking(false);
}

void ReleasePipeline::VexaCB1_MakeCabCancel() {
  CabResult = "Error. Cab creation cancelled by user.";
  host_->SetKeepWorking(false);
}

void ReleasePipeline::CancelWork() {
  cab_.CancelMakeCab();
  CabResult = "Error. Cab creation cancelled by user.";
}

CabCompression ReleasePipeline::ProgramCompression() const {
  if (program_compression_) return *program_compression_;
  std::string choice = answers_.CabCompressionChoice;
  choice = UpperAscii(TrimBlanks(choice.substr(0, choice.find_first_of("\r\n"))));
  if (choice == "LZX") return CabCompression::kLzx;
  if (choice == "MSZIP") return CabCompression::kMszip;
  return answers_.MinimizeDownloadTime ? CabCompression::kLzx : CabCompression::kMszip;
}

void ReleasePipeline::UseCompression(CabCompression compression) {
  CabWriterOptions options = writer_options_;
  options.compression = compression;
  cab_.SetWriterOptions(options);
}

std::string ReleasePipeline::VexaCreateCabFromOneFile(const std::string& CabFilename, const std::string& Filename,
                                                      std::int32_t CertificateSize, CabCompression compression) {
  host_->SetKeepWorking(true);
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
  host_->SetKeepWorking(true);
  host_->AppendProgressLine("Adding files to Cab image...");
  DoEvents();
  cab_.ClearCabFiles();
  int counter = 0;
  for (const TickedProgramFile& file : answers_.ProgramFiles) {
    cab_.AddFileToCab(file.source, file.line);
    if (++counter == kQueueYieldEvery) {
      counter = 0;
      DoEvents();
      if (!host_->KeepWorking()) {
        ShowOk("Files Addition to Cab Image canceled.");
        return false;
      }
    }
  }
  // A Cancel taken by the yield after the first progress line is seen by no batch of a list
  // shorter than one batch; building anyway would report the cancelled build as made.
  if (!host_->KeepWorking()) {
    ShowOk("Files Addition to Cab Image canceled.");
    return false;
  }
  CabResult.clear();
  UseCompression(ProgramCompression());
  const std::string program_cabinet = answers_.ProjectFilesDirectory + "Program.cab";
  if (!cab_.MakeCab(program_cabinet, 0)) {
    ShowOk("Error. Cannot create cab file: " + program_cabinet);
    host_->SetKeepWorking(false);
    return false;
  }
  WaitForCabBuild();
  if (!CabResult.empty()) {
    ShowOk(CabResult);
    return false;
  }
  return true;
}
