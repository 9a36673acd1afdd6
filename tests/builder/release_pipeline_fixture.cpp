#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "download_files.h"
#include "file_signature.h"
#include "file_stamp.h"
#include "path_services.h"
#include "release_pipeline_test.h"
#include "text_files.h"

void ReleasePipelineTest::SetUp() {
  setenv("SOURCE_DATE_EPOCH", kFixedEpoch, 1);
  setenv("TZ", "UTC", 1);
  tzset();
  setenv("XDG_CACHE_HOME", (scratch / "cache").c_str(), 1);
  wizard_directory = scratch / "wizard";
  WriteFileBytes(wizard_directory + "/VexaInstall.exe", "MZ engine stand-in " + NoiseBytes(3000, 1));
  WriteFileBytes(wizard_directory + "/Uninstall.exe", "MZ uninstall stand-in");
  WriteFileBytes(wizard_directory + "/VexaStandAloneWebProg.exe", "MZ stand-alone stand-in");
  WriteFileBytes(wizard_directory + "/VexaLoad.ocx", "MZ loader stand-in");
  WriteFileBytes(wizard_directory + "/VexaLoad.cab", "MSCF loader cabinet stand-in");
  WriteFileBytes(wizard_directory + "/HtmlTemplates/TemplateSetup01.htm", ReadFileBytes(VEXA_PAGE_TEMPLATE));
  program_directory = WithTrailingSeparator(scratch / "Acme Paint");
  WriteFileBytes(program_directory + "Paint.exe", "MZ paint " + TextBytes(2000, 2));
  WriteFileBytes(program_directory + "Docs/Help.txt", TextBytes(1500, 3));
  for (const char* file : {"Paint.exe", "Docs/Help.txt"}) SetFileStamp(program_directory + file, "20261201120000");
  shared_directory = WithTrailingSeparator(scratch / "shared");
  host.program_directory = wizard_directory;
  form = std::make_unique<Form1>(host, &pipeline);
}

void ReleasePipelineTest::TearDown() {
  unsetenv("SOURCE_DATE_EPOCH");
  unsetenv("XDG_CACHE_HOME");
}

void ReleasePipelineTest::GoToFinalStep(const std::function<void(int)>& before_step) {
  form->Form_Load();
  ASSERT_FALSE(form->Ended);
  form->cmdNext_Click();
  host.folder_answers.push_back(program_directory);
  form->cmdSelectDirectory_Click();
  ASSERT_EQ(form->ProgramDirectory, program_directory);
  form->SetText(form->txtProgramFriendlyName, "Acme Paint");
  form->SetText(form->txtWebSiteURL, "http://www.acme.example/");
  form->SetText(form->txtActiveXUrl, "http://www.acme.example/ActiveX/");
  form->SetText(form->txtPublicationURL, "http://www.acme.example/paint/");
  for (int step = 1; step < kFinalStep; ++step) {
    if (step == 3) {
      form->List3.list_index = 1;  // the first ticked file: docs\help.txt or paint.exe in list order
      for (int i = 0; i < form->List3.ListCount(); ++i) {
        if (form->List3.lines[static_cast<std::size_t>(i)] == "paint.exe") form->List3.list_index = i;
      }
      form->List3_Click();
    }
    if (before_step) before_step(step);
    form->cmdNext_Click();
    ASSERT_EQ(form->CurrentStep, step + 1) << (host.messages.empty() ? "" : host.messages.back().text);
  }
  if (before_step) before_step(kFinalStep);
}

bool ReleasePipelineTest::Finish() {
  form->cmdFinish_Click();
  for (ModalWindow window : host.modal_windows) {
    if (window == ModalWindow::Success) return true;
  }
  return false;
}

std::vector<std::string> ReleasePipelineTest::ReleaseFiles() const {
  std::vector<std::string> files;
  for (const std::string& directory : {form->ReleaseDirectory, form->ReleaseActiveXDirectory}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
      if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReleasePipelineTest::WebScript() {
  const std::string out = scratch / "web-script";
  fs::remove_all(out);
  fs::create_directories(out);
  EXPECT_EQ(RunCommand("cabextract -q -d " + Quoted(out) + " " + Quoted(Release("AcmePaintScript.Cab"))), 0);
  return ReadFileBytes(out + "/AcmePaintScript.txt");
}

std::string ReleasePipelineTest::Golden(const std::string& name, const std::map<std::string, std::string>& values) const {
  const std::string text = ReadFileBytes(std::string(VEXA_GOLDEN_DIRECTORY) + "/" + name);
  EXPECT_FALSE(text.empty()) << name;
  std::string golden = ReplaceText(text, "\n", "\r\n");
  for (const auto& [key, value] : values) golden = ReplaceText(golden, "{" + key + "}", value);
  return golden;
}

void CabinetValues(const std::string& path, const std::string& prefix, std::map<std::string, std::string>& values) {
  const std::int64_t size = GetFileSize(path);
  ASSERT_GT(size, 0) << path;
  values[prefix + "_SIZE"] = std::to_string(size);
  values[prefix + "_SIZE4"] = std::to_string(4 * size);
  values[prefix + "_INFO"] = GetFileInfo(path);
  values[prefix + "_SIG"] = GetFileSignature(path);
  values[prefix + "_CAB_SIZE"] = std::to_string(size);
  values[prefix + "_CAB_SIG"] = GetFileSignature(path);
}

std::vector<std::string> ReleasePipelineTest::MessageTexts() const {
  std::vector<std::string> texts;
  for (const RecordedMessage& message : host.messages) texts.push_back(message.text);
  return texts;
}
