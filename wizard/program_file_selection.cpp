// Step 1's directory choice and scan, the restoring of a saved selection, the two lists of
// step 2 with their pop-up menu, and the run-file list of step 3.
//
// The scan runs inside the button's handler: the search advances 200 files at a time and
// the listing reports every 200 paths, each time letting the window process its events so
// that Cancel (cmdCancel_Click) can clear KeepWorking.
//
// A scan that is cancelled or fails after the project paths were computed puts the earlier
// project back: its paths, the fields loaded from it and the tree. Otherwise the box would
// show one project's directory while the fields (and Finish) belonged to another.
#include <algorithm>
#include <utility>

#include "cache_directories.h"
#include "form1.h"
#include "path_case.h"
#include "path_services.h"
#include "text_files.h"

namespace {

constexpr std::int32_t kSearchStep = 200;
constexpr int kListingReportEvery = 200;
constexpr int kSelectedOnlyYieldEvery = 300;
constexpr const char* kFolderPrompt = "Select the directory:";
constexpr int kFolderFlags = 3;
constexpr const char* kProjectPrefix = "VEXAWIZARD";


// True when a component of `path` begins with VexaWizard, in any case.
bool NamesAProjectDirectory(const std::string& path) {
  const std::string upper = UpperAscii(path);
  for (std::size_t at = upper.find(kProjectPrefix); at != std::string::npos; at = upper.find(kProjectPrefix, at + 1)) {
    if (at > 0 && IsPathSeparator(upper[at - 1])) return true;
  }
  return false;
}

// A path below the program directory as the list shows it: lower case, "\" between folders.
std::string ListLineOf(std::string_view relative) {
  std::string line = LowerAscii(std::string(relative));
  std::replace(line.begin(), line.end(), '/', '\\');
  return line;
}

}  // namespace

// Everything a directory choice changes before its scan can fail.
struct Form1::ProjectSnapshot {
  std::string ProgramDirectory, ProjectDirectory, ProjectFilesDirectory, ReleaseDirectory, ReleaseActiveXDirectory;
  std::string InstalledScriptsCache, DownloadedProgramsCache;
  std::vector<TextBox> fields;
  ListBox lstOCX, lstDLL;
  int CreateMultiProgramCabs = 1;
  int SignEveryProgram = 0;
  ProgramGroupTree ProgramGroup;
  bool step1_fields_enabled = false;
};

std::vector<TextBox*> Form1::ProjectFields() {
  return {&txtProgramFriendlyName, &txtCompanyName, &txtWebSiteURL, &txtActiveXUrl, &txtPublicationURL,
          &txtExeFilename, &txtExeParas, &txtHtmlFilenameNoPath, &txtHtmlTitle, &txtSignCodeCommands,
          &txtStandAloneExeFilenameNoPath};
}

Form1::ProjectSnapshot Form1::TakeProjectSnapshot() {
  ProjectSnapshot snapshot{ProgramDirectory, ProjectDirectory, ProjectFilesDirectory, ReleaseDirectory,
                           ReleaseActiveXDirectory, InstalledScriptsCache, DownloadedProgramsCache, {}, lstOCX, lstDLL,
                           chkCreateMultiProgramCabs.value, chkSignEveryProgram.value, ProgramGroup,
                           txtProgramFriendlyName.enabled};
  for (TextBox* field : ProjectFields()) snapshot.fields.push_back(*field);
  return snapshot;
}

void Form1::RestoreProjectSnapshot(const ProjectSnapshot& snapshot) {
  ProgramDirectory = snapshot.ProgramDirectory;
  ProjectDirectory = snapshot.ProjectDirectory;
  ProjectFilesDirectory = snapshot.ProjectFilesDirectory;
  ReleaseDirectory = snapshot.ReleaseDirectory;
  ReleaseActiveXDirectory = snapshot.ReleaseActiveXDirectory;
  InstalledScriptsCache = snapshot.InstalledScriptsCache;
  DownloadedProgramsCache = snapshot.DownloadedProgramsCache;
  const std::vector<TextBox*> fields = ProjectFields();
  for (std::size_t i = 0; i < fields.size(); ++i) SetText(*fields[i], snapshot.fields[i].text);
  lstOCX = snapshot.lstOCX;
  lstDLL = snapshot.lstDLL;
  chkCreateMultiProgramCabs.value = snapshot.CreateMultiProgramCabs;
  chkSignEveryProgram.value = snapshot.SignEveryProgram;
  ProgramGroup = snapshot.ProgramGroup;
  SetStep1FieldsEnabled(snapshot.step1_fields_enabled);
}

void Form1::ClearProgramFileList() {
  List1.Clear();
  ProgramFileDiskPaths.clear();
  ListedFileCount = 0;
  ticked_count_ = 0;
}

// Step 7 of the choice: an empty field (after trimming) gets its default.
void Form1::FillStep1Defaults() {
  std::string program_name = ProgramDirectory;
  if (!program_name.empty() && IsPathSeparator(program_name.back())) program_name.pop_back();
  program_name = PathFileName(program_name);
  if (!program_name.empty() && program_name.back() == ':') program_name.pop_back();
  const auto fill = [this](TextBox& box, const std::string& value) {
    SetText(box, TrimBlanks(box.text));
    if (box.text.empty()) SetText(box, value);
  };
  fill(txtCompanyName, kExampleCompanyName);
  fill(txtProgramFriendlyName, txtCompanyName.text + " " + program_name);
  fill(txtWebSiteURL, kExampleBaseURL);
  fill(txtPublicationURL, txtWebSiteURL.text + program_name + "/");
  fill(txtActiveXUrl, txtWebSiteURL.text + "ActiveX/");
}

void Form1::cmdSelectDirectory_Click() {
  if (Ended) return;
  cmdSelectDirectory.enabled = false;
  cmdBack.enabled = false;
  cmdNext.enabled = false;
  cmdCancel.enabled = true;
  const std::string previous_directory = txtDirectoryName.text;
  const ProjectSnapshot previous_project = TakeProjectSnapshot();
  const bool scanned = ChooseAndScanDirectory();
  if (!scanned) {
    ClearProgramFileList();
    RestoreProjectSnapshot(previous_project);
  }
  // Step 12.
  txtDirectoryName.text = scanned ? ProgramDirectory : previous_directory;
  cmdSelectDirectory.enabled = true;
  cmdBack.enabled = true;
  cmdCancel.enabled = false;
  if (!txtDirectoryName.text.empty()) {
    cmdNext.enabled = true;
    SetFocus(cmdNext);
  } else {
    SetStep1FieldsEnabled(false);
  }
}

// Steps 2 to 11; false when the choice ends with the previous directory.
bool Form1::ChooseAndScanDirectory() {
  const std::string answer = host_.BrowseForFolder(kFolderPrompt, kFolderFlags);
  if (answer.empty()) return false;
  if (NamesAProjectDirectory(answer)) {
    host_.ShowMessage("Error. You cannot select a VexaWizard directory.", "", MessageIcon::None, MessageButtons::Ok);
    return false;
  }
  txtDirectoryName.text = answer;
  SetProjectPaths(answer);
  const std::string cache_files = GetCacheBaseDirectory() + kCacheFilesDirectoryName + "\\";
  InstalledScriptsCache = cache_files + "Installed Scripts\\";
  DownloadedProgramsCache = cache_files + "Downloaded Programs\\";
  SetStep1FieldsEnabled(true);
  LoadStepSettingsFromProjectDirectory();
  FillStep1Defaults();
  ClearProgramFileList();
  if (!SearchProgramDirectory()) return false;
  if (!ListProgramFiles()) return false;
  if (!SelectProgramFilesInList()) return false;
  List1.list_index = 0;
  List2.Clear();
  List3.Clear();
  List1.visible = true;
  List2.visible = false;
  if (chkShowSelectedItemsOnly.value != 0) {
    chkShowSelectedItemsOnly.value = 0;
    chkShowSelectedItemsOnly_Click();
  }
  return true;
}

// Step 8: the search, 200 files a call.
bool Form1::SearchProgramDirectory() {
  KeepWorking = true;
  file_search_.StartFileSearch();
  const std::string pattern = ProgramDirectory + "*.*";
  while (!file_search_.ContinueFileSearch(pattern, true, kSearchStep)) {
    txtDirectoryName.text =
        "Selecting files (" + SignedNumberText(file_search_.FoundFileCount()) + " files selected.)";
    host_.ProcessEvents();
    if (!KeepWorking) {
      host_.ShowMessage("Files Selection canceled.", "Files Selection Canceled", MessageIcon::Information,
                        MessageButtons::Ok);
      return false;
    }
  }
  // Step 9.
  txtDirectoryName.text = ProgramDirectory;
  if (file_search_.FoundFileCount() == 0) {
    host_.ShowMessage("The directory you selected has no files in it. You must select a directory that is not empty.",
                      "Empty Directory", MessageIcon::Information, MessageButtons::Ok);
    return false;
  }
  return true;
}

// Steps 10 and 11: every found file below the program directory, but those of the project
// directory, in lower case. Each line keeps its path as found on disk beside it.
bool Form1::ListProgramFiles() {
  const std::int32_t count = file_search_.FoundFileCount();
  const std::size_t prefix = ProgramDirectory.size();
  List1.lines.reserve(static_cast<std::size_t>(count));
  List1.checked.reserve(static_cast<std::size_t>(count));
  ProgramFileDiskPaths.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string path = file_search_.FoundFile(i);
    const std::string_view relative = std::string_view(path).substr(std::min(prefix, path.size()));
    if (!relative.empty() && !StartsWithIgnoringAsciiCase(relative, kProjectPrefix)) {
      List1.AddItem(ListLineOf(relative));
      ProgramFileDiskPaths.emplace_back(relative);
      ++ListedFileCount;
    }
    if ((i + 1) % kListingReportEvery == 0 && !ReportListingProgress(i + 1, count)) return false;
  }
  txtDirectoryName.text = ProgramDirectory;
  if (ListedFileCount == 0) {
    host_.ShowMessage(
        "The directory you selected does not contain any files. You must select a directory that contains at least "
        "one EXE file. You can also select a directory whose sub-directories contain at least one file.",
        "No File Found", MessageIcon::Information, MessageButtons::Ok);
    return false;
  }
  return true;
}

// "Listing file 200 of 1000 files (20%)", then the window processes its events; false
// (after its message) when Cancel was clicked meanwhile.
bool Form1::ReportListingProgress(std::int64_t done, std::int64_t count) {
  txtDirectoryName.text = "Listing file " + std::to_string(done) + " of " + std::to_string(count) + " files (" +
                          std::to_string(done * 100 / count) + "%)";
  host_.ProcessEvents();
  if (KeepWorking) return true;
  host_.ShowMessage("Files listing canceled.", "Files Listing Canceled", MessageIcon::Information, MessageButtons::Ok);
  return false;
}

bool Form1::SelectProgramFilesInList() {
  std::vector<std::string> saved;
  ReadTextFileLines(ProjectFilesDirectory + "ProgramFiles.txt", saved);
  const std::size_t count = List1.lines.size();
  ticked_count_ = 0;
  if (!saved.empty()) {
    std::sort(saved.begin(), saved.end());
    for (std::size_t i = 0; i < count; ++i) {
      List1.checked[i] = std::binary_search(saved.begin(), saved.end(), List1.lines[i]);
      if (List1.checked[i]) ++ticked_count_;
    }
    return true;
  }
  for (std::size_t i = 0; i < count; ++i) {
    List1.checked[i] = true;
    ++ticked_count_;
    if ((i + 1) % kListingReportEvery == 0 &&
        !ReportListingProgress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(count))) {
      return false;
    }
  }
  txtDirectoryName.text = ProgramDirectory;
  return true;
}

void Form1::CountTickedProgramFiles() {
  ticked_count_ = static_cast<std::int32_t>(std::count(List1.checked.begin(), List1.checked.end(), true));
}

void Form1::UpdateStep2Next() {
  const bool can_go_on = ListedFileCount > 0 && ticked_count_ > 0;
  cmdNext.enabled = can_go_on;
  lblStep2Note.visible = !can_go_on;
}

void Form1::List1_ItemCheck(int index) {
  if (Ended || CurrentStep != 2 || index < 0 || index >= List1.ListCount()) return;
  const int change = List1.checked[static_cast<std::size_t>(index)] ? 1 : -1;
  ListedFileCount += change;
  ticked_count_ += change;
  UpdateStep2Next();
}

void Form1::SetProgramFileTicked(int index, bool ticked) {
  if (List1.checked[static_cast<std::size_t>(index)] == ticked) return;
  List1.checked[static_cast<std::size_t>(index)] = ticked;
  List1_ItemCheck(index);
}

void Form1::List1_MouseDown(MouseButton button) {
  if (button == MouseButton::Right) host_.ShowPopupMenu(PopupMenu::SelectFiles);
}

void Form1::TickAllProgramFiles(bool ticked) {
  host_.SetBusyPointer(true);
  for (int i = 0; i < List1.ListCount(); ++i) SetProgramFileTicked(i, ticked);
  host_.SetBusyPointer(false);
  List1.list_index = List1.lines.empty() ? -1 : 0;
}

void Form1::mnuSelectAllFiles_Click() { TickAllProgramFiles(true); }

void Form1::mnuClearAllFiles_Click() { TickAllProgramFiles(false); }

void Form1::chkShowSelectedItemsOnly_Click() {
  if (chkShowSelectedItemsOnly.value == 0) {
    List1.visible = true;
    List2.visible = false;
    List1.list_index = List1.lines.empty() ? -1 : 0;
    if (!List1.lines.empty()) txtSelectedItem.text = List1.lines[0];
    return;
  }
  List1.visible = false;
  List2.visible = true;
  List2.Clear();
  host_.SetBusyPointer(true);
  const bool next_was_enabled = cmdNext.enabled;
  cmdNext.enabled = false;
  cmdBack.enabled = false;
  for (std::size_t i = 0; i < List1.lines.size(); ++i) {
    if (List1.checked[i]) List2.AddItem(List1.lines[i]);
    if ((i + 1) % kSelectedOnlyYieldEvery == 0) host_.ProcessEvents();
  }
  cmdNext.enabled = next_was_enabled;
  cmdBack.enabled = true;
  host_.SetBusyPointer(false);
  if (!List2.lines.empty()) {
    List2.list_index = 0;
    txtSelectedItem.text = List2.lines[0];
  }
}

void Form1::List1_Click() {
  if (List1.list_index >= 0 && List1.list_index < List1.ListCount()) {
    txtSelectedItem.text = List1.lines[static_cast<std::size_t>(List1.list_index)];
  }
}

void Form1::List2_Click() {
  if (List2.list_index >= 0 && List2.list_index < List2.ListCount()) {
    txtSelectedItem.text = List2.lines[static_cast<std::size_t>(List2.list_index)];
  }
}

void Form1::List3_Click() {
  if (List3.list_index < 0 || List3.list_index >= List3.ListCount()) return;
  SetText(txtExeFilename, List3.lines[static_cast<std::size_t>(List3.list_index)]);
  const bool has_run_file = List3.list_index != 0;
  txtExeParas.enabled = has_run_file;
  txtExeParas.back_colour = has_run_file ? kWhite : kDisabledFieldGrey;
  lblExeParas.fore_colour = has_run_file ? kBlack : kDisabledLabelGrey;
}

std::vector<TickedProgramFile> Form1::TickedProgramFileSources() const {
  std::vector<TickedProgramFile> sources;
  const bool scanned = ProgramFileDiskPaths.size() == List1.lines.size();
  for (std::size_t i = 0; i < List1.lines.size(); ++i) {
    if (i >= List1.checked.size() || !List1.checked[i]) continue;
    const std::string& line = List1.lines[i];
    sources.push_back({line, scanned ? ProgramDirectory + ProgramFileDiskPaths[i] : ResolvePathCase(ProgramDirectory + line)});
  }
  return sources;
}
