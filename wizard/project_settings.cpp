// The project directory's settings files: saving the whole record at Finish and loading it
// when a program directory is chosen, with the four remembered defaults in the wizard's own
// directory.
#include "project_settings.h"

#include "form1.h"
#include "path_services.h"
#include "text_files.h"

std::string ListFileText(const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& entry : entries) text += entry + "\r\n";
  return text;
}

std::string NumberFileText(int value) { return SignedNumberText(value); }

// Like the numeric reading of the original format: blanks before the number are ignored, a
// sign and digits (with a fraction) are read as far as they go, anything else is 0. Only
// whether the value is 0 matters, so no digit string can overflow.
int CheckValueOfNumberText(const std::string& text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  if (text[i] == '+' || text[i] == '-') ++i;
  bool non_zero = false;
  bool seen_point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !seen_point) {
      seen_point = true;
    } else if (c >= '0' && c <= '9') {
      non_zero = non_zero || c != '0';
    } else {
      break;
    }
  }
  return non_zero ? 1 : 0;
}

int CodePageOfText(const std::string& text) {
  const std::string trimmed = TrimBlanks(text);
  if (trimmed.empty()) return kDefaultPackageCodePage;
  if (trimmed.size() > 5 || trimmed.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stoi(trimmed);
}

std::string ReadSettingsText(const std::string& path) {
  std::string text = ReadTextFile(path, kMaxSettingsTextBytes);
  std::erase(text, '\0');
  return text;
}

void Form1::SetProjectPaths(const std::string& program_directory) {
  ProgramDirectory = WithTrailingSeparator(program_directory);
  ProjectDirectory = ProgramDirectory + kProjectDirectoryName + kDirectorySeparator;
  ProjectFilesDirectory = ProjectDirectory + kProjectFilesDirectoryName + kDirectorySeparator;
  ReleaseDirectory = ProjectDirectory + kReleaseDirectoryName + kDirectorySeparator;
  ReleaseActiveXDirectory = ProjectDirectory + kReleaseActiveXDirectoryName + kDirectorySeparator;
}

ProjectSettings Form1::CurrentProjectSettings() const {
  ProjectSettings settings;
  settings.ProgramFriendlyName = txtProgramFriendlyName.text;
  settings.CompanyName = txtCompanyName.text;
  settings.WebSiteURL = txtWebSiteURL.text;
  settings.ActiveXUrl = txtActiveXUrl.text;
  settings.PublicationURL = txtPublicationURL.text;
  settings.ProgramFiles = TickedProgramFiles();
  settings.ExeFilename = txtExeFilename.text;
  settings.ExeParas = txtExeParas.text;
  settings.OcxFiles = lstOCX.lines;
  settings.DllFiles = lstDLL.lines;
  settings.ProgramGroup = ProgramGroup;
  settings.HtmlFilenameNoPath = txtHtmlFilenameNoPath.text;
  settings.HtmlTitle = txtHtmlTitle.text;
  settings.CreateMultiProgramCabs = chkCreateMultiProgramCabs.value;
  settings.SignCodeCommands = txtSignCodeCommands.text;
  settings.SignEveryProgram = chkSignEveryProgram.value;
  settings.StandAloneExeFilenameNoPath = txtStandAloneExeFilenameNoPath.text;
  settings.CodePage = PackageCodePage;
  return settings;
}

// Write failures are not reported: the build has succeeded by now, and the files only help
// the next run.
void Form1::SaveStepSettingsToProjectDirectory() {
  const ProjectSettings settings = CurrentProjectSettings();
  const std::string& dir = ProjectFilesDirectory;
  ProgramGroupTree2TextFile(dir + "ProgramGroup.txt");
  WriteTextFile(ListFileText(settings.ProgramFiles), dir + "ProgramFiles.txt");
  WriteTextFile(settings.ExeFilename, dir + "ExeFilename.txt");
  WriteTextFile(ListFileText(settings.OcxFiles), dir + "OcxFiles.txt");
  WriteTextFile(ListFileText(settings.DllFiles), dir + "DllFiles.txt");
  WriteTextFile(settings.ActiveXUrl, dir + "ActiveXUrl.txt");
  WriteTextFile(settings.HtmlFilenameNoPath, dir + "HtmlFilenameNoPath.txt");
  WriteTextFile(settings.HtmlTitle, dir + "HtmlTitle.txt");
  WriteTextFile(NumberFileText(settings.CreateMultiProgramCabs), dir + "CreateMultiProgramCabs.txt");
  WriteTextFile(settings.SignCodeCommands, dir + "SignCodeCommands.txt");
  WriteTextFile(NumberFileText(settings.SignEveryProgram), dir + "SignEveryProgram.txt");
  WriteTextFile(settings.StandAloneExeFilenameNoPath, dir + "StandAloneExeFilenameNoPath.txt");
  WriteTextFile(settings.WebSiteURL, dir + "WebSiteURL.txt");
  WriteTextFile(settings.PublicationURL, dir + "PublicationURL.txt");
  WriteTextFile(settings.ExeParas, dir + "ExeParas.txt");
  WriteTextFile(settings.CompanyName, dir + "CompanyName.txt");
  WriteTextFile(settings.ProgramFriendlyName, dir + "ProgramFriendlyName.txt");
  WriteTextFile(std::to_string(settings.CodePage), dir + "CodePage.txt");
  // The defaults of the next new project.
  WriteTextFile(settings.ActiveXUrl, WizardDirectory + "ActiveXUrl.txt");
  WriteTextFile(settings.SignCodeCommands, WizardDirectory + "SignCodeCommands.txt");
  WriteTextFile(settings.WebSiteURL, WizardDirectory + "WebSiteURL.txt");
  WriteTextFile(settings.CompanyName, WizardDirectory + "CompanyName.txt");
}

// A project field that is blank after trimming takes the remembered default.
void Form1::LoadWithFallback(TextBox& box, const char* file_name) {
  SetText(box, ReadSettingsText(ProjectFilesDirectory + file_name));
  if (TrimBlanks(box.text).empty()) SetText(box, ReadSettingsText(WizardDirectory + file_name));
}

void Form1::LoadStepSettingsFromProjectDirectory() {
  const std::string& dir = ProjectFilesDirectory;
  for (auto [list, file_name] : {std::pair{&lstOCX, "OcxFiles.txt"}, std::pair{&lstDLL, "DllFiles.txt"}}) {
    list->Clear();
    ReadTextFileLines(dir + file_name, list->lines);
    if (!list->lines.empty()) list->list_index = 0;
  }
  SetText(txtExeFilename, ReadSettingsText(dir + "ExeFilename.txt"));
  LoadWithFallback(txtActiveXUrl, "ActiveXUrl.txt");
  LoadWithFallback(txtSignCodeCommands, "SignCodeCommands.txt");
  SetText(txtHtmlFilenameNoPath, ReadSettingsText(dir + "HtmlFilenameNoPath.txt"));
  SetText(txtHtmlTitle, ReadSettingsText(dir + "HtmlTitle.txt"));
  const std::string number_file = dir + "CreateMultiProgramCabs.txt";
  chkCreateMultiProgramCabs.value = PathExists(number_file) ? CheckValueOfNumberText(ReadSettingsText(number_file)) : 1;
  // Off unless the project says otherwise: an absent file (any project made before the
  // setting existed) keeps signing to the script cabinet.
  chkSignEveryProgram.value = CheckValueOfNumberText(ReadSettingsText(dir + "SignEveryProgram.txt"));
  SetText(txtStandAloneExeFilenameNoPath, ReadSettingsText(dir + "StandAloneExeFilenameNoPath.txt"));
  LoadWithFallback(txtCompanyName, "CompanyName.txt");
  SetText(txtProgramFriendlyName, ReadSettingsText(dir + "ProgramFriendlyName.txt"));
  LoadWithFallback(txtWebSiteURL, "WebSiteURL.txt");
  SetText(txtPublicationURL, ReadSettingsText(dir + "PublicationURL.txt"));
  SetText(txtExeParas, ReadSettingsText(dir + "ExeParas.txt"));
  TextFile2ProgramGroupTree(dir + "ProgramGroup.txt");
  PackageCodePage = CodePageOfText(ReadSettingsText(dir + "CodePage.txt"));
}
