// Setup.exe (the engine followed by Attachment.CAB, nothing else: the engine finds the
// cabinet at the offset of its own size) and the stand-alone web setup program (its
// program followed by the six lines of SAAttach.txt).
#include "build_clock.h"
#include "cache_directories.h"
#include "download_files.h"
#include "file_signature.h"
#include "file_stamp.h"
#include "native_files.h"
#include "path_services.h"
#include "pe_version.h"
#include "release_pipeline.h"
#include "text_files.h"

namespace {

std::string WithFinalSlash(std::string url) {
  url = TrimBlanks(url);
  if (url.empty() || url.back() != '/') url += "/";
  return url;
}

// Which side of a join of `program` and an attachment into `output` failed.
std::string JoinProblem(const std::string& program, const std::string& output) {
  return IsRegularNativeFile(program) ? "Cannot create file: " + output : "Cannot read file: " + program;
}

}  // namespace

bool ReleasePipeline::CreateSetupExeProgram() {
  auto fail = [this] {
    host_->SetKeepWorking(false);
    return false;
  };
  const std::string script = answers_.ProjectFilesDirectory + "Script.txt";
  if (!WritePackageTextFile(SetupScriptText(), script)) return fail();
  StampWithFixedBuildTime(script);
  host_->SetKeepWorking(true);
  cab_.ClearCabFiles();
  cab_.AddFileToCab(script, "Script.txt");
  cab_.AddFileToCab(answers_.WizardDirectory + "Uninstall.exe", "Uninstall.exe");
  cab_.AddFileToCab(answers_.ProjectFilesDirectory + "Program.cab", "Program.cab");
  CabResult.clear();
  const std::string attachment = answers_.ProjectFilesDirectory + "Attachment.CAB";
  UseCompression(CabCompression::kMszip);
  if (!cab_.MakeCab(attachment, 0)) {
    ShowOk("Error. Cannot create cab file: " + attachment);
    return fail();
  }
  WaitForCabBuild();
  if (!CabResult.empty()) {
    ShowOk(CabResult);
    return fail();
  }
  const std::string setup = answers_.ProjectFilesDirectory + "Setup.exe";
  if (!JoinFiles(answers_.WizardDirectory + "VexaInstall.exe", attachment, setup)) {
    ShowOk("Error. Cannot create Setup.exe\r\n" + JoinProblem(answers_.WizardDirectory + "VexaInstall.exe", setup));
    return fail();
  }
  // The current time, as the file system gives it to a file written now.
  const std::string probe = answers_.WizardDirectory + "~tmp_ctm.tmp";
  WriteTextFile(" ", probe);
  StampWithFixedBuildTime(probe);
  SetFileStamp(setup, GetFileStamp(probe));
  RemoveNativeFile(probe);
  return true;
}

bool ReleasePipeline::MakeStandAloneExeWebFile(const std::string& ResultantExeFilename) {
  const std::string script_cabinet = StripExtension(answers_.HtmlFilenameNoPath) + "Script.Cab";
  const std::string short_signature =
      CallFunction("LongSigToShortSig", GetFileSignature(answers_.ReleaseDirectory + script_cabinet));
  const std::string text = PercentEncodedUrl(WithFinalSlash(answers_.ActiveXUrl)) + "\r\n" +
                           GetFileVersion(answers_.WizardDirectory + "VexaLoad.ocx") + "\r\n" +
                           PercentEncodedUrl(answers_.PublicationURL) + "\r\n" + script_cabinet + "\r\n" +
                           short_signature + "\r\n" + "WEBSETUP";
  const std::string attachment = answers_.ProjectFilesDirectory + "SAAttach.txt";
  if (!WritePackageTextFile(text, attachment)) return false;
  StampWithFixedBuildTime(attachment);
  if (!JoinFiles(answers_.WizardDirectory + "VexaStandAloneWebProg.exe", attachment, ResultantExeFilename)) {
    ShowOk("Error. Cannot create stand-alone exe file: " + ResultantExeFilename +
           (IsRegularNativeFile(answers_.WizardDirectory + "VexaStandAloneWebProg.exe")
                ? std::string()
                : "\r\nCannot read file: " + answers_.WizardDirectory + "VexaStandAloneWebProg.exe"));
    return false;
  }
  SetFileStamp(ResultantExeFilename, FileStampTextOf(BuildTime()));
  if (SeedsLoaderCache()) {
    CopyWholeFile(answers_.ReleaseDirectory + script_cabinet,
                  NativeDirectoryText(answers_.InstalledScriptsCache + short_signature + ".cab"));
  }
  return true;
}
