// Loading a project directory's settings files from arbitrary bytes. The input is cut at
// every "\xFE\xFF" into the contents of the sixteen project files and the four remembered
// defaults (in that order; missing pieces leave their file absent). The load must keep
// every field within its bounds, and saving what was loaded and loading it again must give
// the same fields.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "form1.h"
#include "path_services.h"
#include "text_files.h"

namespace {

class SilentHost : public Host {
 public:
  MessageAnswer ShowMessage(const std::string&, const std::string&, MessageIcon, MessageButtons) override {
    return MessageAnswer::Ok;
  }
  void ProcessEvents() override {}
  void Sleep(int) override {}
  std::string BrowseForFolder(const std::string&, int) override { return {}; }
  std::string BrowseForFile(const std::string&, const std::string&) override { return {}; }
  void ShowModalWindow(ModalWindow) override {}
  void ShowPopupMenu(PopupMenu) override {}
  void BeginTreeLabelEdit(int) override {}
  void SetBusyPointer(bool) override {}
  void EndProgram() override {}
  void OpenDocument(const std::string&) override {}
  std::string ProgramDirectoryPath() override { return wizard_directory; }
  ProgramVersion GetProgramVersion() override { return {}; }
  std::string wizard_directory;
};

constexpr const char* kProjectFiles[] = {
    "ProgramFriendlyName.txt", "CompanyName.txt",  "WebSiteURL.txt",         "ActiveXUrl.txt",
    "PublicationURL.txt",      "ProgramFiles.txt", "ExeFilename.txt",        "ExeParas.txt",
    "OcxFiles.txt",            "DllFiles.txt",     "ProgramGroup.txt",       "HtmlFilenameNoPath.txt",
    "HtmlTitle.txt",           "CreateMultiProgramCabs.txt", "SignCodeCommands.txt",
    "StandAloneExeFilenameNoPath.txt"};
constexpr const char* kRememberedFiles[] = {"CompanyName.txt", "WebSiteURL.txt", "ActiveXUrl.txt",
                                            "SignCodeCommands.txt"};

// One directory per process, removed when the process ends.
class WorkTree {
 public:
  WorkTree() {
    const std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    root_ = base / ("vexa-settings-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(root_ / "wizard");
    std::filesystem::create_directories(root_ / "program" / kProjectDirectoryName / kProjectFilesDirectoryName);
    text_ = WithTrailingSeparator(root_.string());
  }
  ~WorkTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const std::string& text() const { return text_; }

 private:
  std::filesystem::path root_;
  std::string text_;
};

const std::string& WorkDirectory() {
  static const WorkTree tree;
  return tree.text();
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckText(const std::string& text) {
  Check(text.size() <= kMaxSettingsTextBytes);
  Check(text.find('\0') == std::string::npos);
}

void CheckList(const std::vector<std::string>& lines) {
  Check(lines.size() <= kMaxLines);
  for (const std::string& line : lines) {
    Check(line.size() <= kMaxLineBytes);
    Check(line.find('\0') == std::string::npos);
  }
}

void CheckTree(const ProgramGroupTree& tree) {
  Check(!tree.nodes.empty() && tree.nodes[0].parent == -1);
  for (std::size_t i = 1; i < tree.nodes.size(); ++i) {
    const int parent = tree.nodes[i].parent;
    Check(parent >= 0 && static_cast<std::size_t>(parent) < i);
    Check(tree.nodes[static_cast<std::size_t>(parent)].tag.empty());
    Check(tree.FindKey(tree.nodes[i].key) == static_cast<int>(i));
  }
}

bool SameTree(const ProgramGroupTree& a, const ProgramGroupTree& b) {
  if (a.nodes.size() != b.nodes.size()) return false;
  for (std::size_t i = 0; i < a.nodes.size(); ++i) {
    const ProgramGroupNode& x = a.nodes[i];
    const ProgramGroupNode& y = b.nodes[i];
    if (x.key != y.key || x.text != y.text || x.tag != y.tag || x.parent != y.parent || x.image != y.image) return false;
  }
  return true;
}

void Write(const std::string& path, const std::string* content) {
  if (content) {
    WriteTextFile(*content, path);
  } else {
    std::remove(path.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> pieces;
  for (std::size_t from = 0;;) {
    const std::size_t at = input.find("\xFE\xFF", from);
    pieces.push_back(input.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 2;
  }
  const std::string& work = WorkDirectory();
  SilentHost host;
  host.wizard_directory = work + "wizard";
  Form1 form(host);
  form.WizardDirectory = WithTrailingSeparator(host.wizard_directory);
  form.SetProjectPaths(work + "program");
  std::size_t piece = 0;
  for (const char* name : kProjectFiles) {
    Write(form.ProjectFilesDirectory + name, piece < pieces.size() ? &pieces[piece] : nullptr);
    ++piece;
  }
  for (const char* name : kRememberedFiles) {
    Write(form.WizardDirectory + name, piece < pieces.size() ? &pieces[piece] : nullptr);
    ++piece;
  }

  form.LoadStepSettingsFromProjectDirectory();
  const ProjectSettings loaded = form.CurrentProjectSettings();
  for (const std::string* text :
       {&loaded.ProgramFriendlyName, &loaded.CompanyName, &loaded.WebSiteURL, &loaded.ActiveXUrl,
        &loaded.PublicationURL, &loaded.ExeFilename, &loaded.ExeParas, &loaded.HtmlFilenameNoPath, &loaded.HtmlTitle,
        &loaded.SignCodeCommands, &loaded.StandAloneExeFilenameNoPath}) {
    CheckText(*text);
  }
  CheckList(loaded.OcxFiles);
  CheckList(loaded.DllFiles);
  CheckTree(loaded.ProgramGroup);
  Check(loaded.CreateMultiProgramCabs == 0 || loaded.CreateMultiProgramCabs == 1);

  form.SaveStepSettingsToProjectDirectory();
  form.LoadStepSettingsFromProjectDirectory();
  const ProjectSettings again = form.CurrentProjectSettings();
  Check(again.ProgramFriendlyName == loaded.ProgramFriendlyName && again.CompanyName == loaded.CompanyName &&
        again.WebSiteURL == loaded.WebSiteURL && again.ActiveXUrl == loaded.ActiveXUrl &&
        again.PublicationURL == loaded.PublicationURL && again.ExeFilename == loaded.ExeFilename &&
        again.ExeParas == loaded.ExeParas && again.HtmlFilenameNoPath == loaded.HtmlFilenameNoPath &&
        again.HtmlTitle == loaded.HtmlTitle && again.SignCodeCommands == loaded.SignCodeCommands &&
        again.StandAloneExeFilenameNoPath == loaded.StandAloneExeFilenameNoPath);
  Check(again.OcxFiles == loaded.OcxFiles && again.DllFiles == loaded.DllFiles);
  Check(again.CreateMultiProgramCabs == loaded.CreateMultiProgramCabs);
  Check(SameTree(again.ProgramGroup, loaded.ProgramGroup));
  return 0;
}
