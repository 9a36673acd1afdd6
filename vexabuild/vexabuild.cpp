// vexabuild: the wizard without a window. It drives the Form1 model as a developer drives
// the window (choose the program directory, fill the fields the options name, Next on
// every step, Finish) through a host that prints: messages with their titles to standard
// error, the Working panel's progress lines to standard output, the success text last.
#include <chrono>
#include <clocale>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <system_error>
#include <thread>

#include "form1.h"
#include "native_files.h"
#include "path_services.h"
#include "program_path.h"
#include "release_pipeline.h"
#include "silent_host.h"
#include "vexabuild_options.h"
#include "vexabuild_serve.h"

namespace {

// The version the wizard reports (lblVersion, the web script and the page).
constexpr ProgramVersion kWizardVersion{1, 0, 0};

std::string ConsoleText(const std::string& text) { return ReplaceText(text, "\r\n", "\n"); }

// Answers as the silent host does, except where the console shows or decides something.
class ConsoleHost : public SilentHost {
 public:
  explicit ConsoleHost(const VexaBuildOptions& options) : options_(options) {}

  void Attach(const Form1& form) { form_ = &form; }

  // Prints the progress lines appended since the last call.
  void FlushProgress() {
    if (!form_) return;
    const std::string& text = form_->txtWorkProgress.text;
    if (text.size() < printed_) printed_ = 0;  // the box was emptied for a new build
    if (text.size() > printed_) {
      std::fputs(ConsoleText(text.substr(printed_)).c_str(), stdout);
      std::fflush(stdout);
      printed_ = text.size();
    }
  }

  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon,
                            MessageButtons buttons) override {
    FlushProgress();
    std::fprintf(stderr, "%s: %s\n", title.empty() ? kWizardTitle : title.c_str(), ConsoleText(text).c_str());
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (options_.yes) {
      std::fputs("vexabuild: answered Yes (--yes)\n", stderr);
      return MessageAnswer::Yes;
    }
    std::fputs("vexabuild: answered No; pass --yes to answer Yes\n", stderr);
    declined = true;
    return MessageAnswer::No;
  }
  void ProcessEvents() override { FlushProgress(); }
  void Sleep(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
  std::string BrowseForFolder(const std::string&, int) override { return folder_answer; }
  std::string BrowseForFile(const std::string&, const std::string&) override {
    if (file_answers.empty()) return {};
    std::string answer = file_answers.front();
    file_answers.pop_front();
    return answer;
  }
  void ShowModalWindow(ModalWindow window) override {
    if (window != ModalWindow::Success || !form_) return;
    FlushProgress();
    std::printf("%s\n", ConsoleText(form_->frmSuccess_Text).c_str());
    std::fflush(stdout);
    succeeded = true;
  }
  ProgramVersion GetProgramVersion() override { return kWizardVersion; }

  std::string folder_answer;
  std::deque<std::string> file_answers;
  bool declined = false;
  bool succeeded = false;

 private:
  const VexaBuildOptions& options_;
  const Form1* form_ = nullptr;
  std::size_t printed_ = 0;
};

std::string AbsoluteDirectory(const std::string& directory) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(NativePath(directory), error);
  return WithTrailingSeparator(NarrowTextOf(error ? NativePath(directory) : absolute.lexically_normal()));
}

bool Stop(const std::string& why) {
  std::fprintf(stderr, "vexabuild: %s\n", why.c_str());
  return false;
}

class Driver {
 public:
  Driver(const VexaBuildOptions& options) : options_(options), host_(options), form_(host_, &pipeline_) {
    host_.Attach(form_);
  }

  bool Run() {
    host_.wizard_directory =
        options_.wizard_directory.empty() ? RunningProgramDirectory() : AbsoluteDirectory(options_.wizard_directory);
    form_.Form_Load();
    if (form_.Ended) return Stop("the wizard's directory " + host_.wizard_directory + " is not complete");
    if (!Next(1)) return false;
    const std::string program_directory = AbsoluteDirectory(options_.program_directory);
    std::error_code error;
    if (!std::filesystem::is_directory(NativePath(program_directory), error)) {
      return Stop("no such program directory: " + program_directory);
    }
    host_.folder_answer = program_directory;
    form_.cmdSelectDirectory_Click();
    if (form_.ProgramDirectory != program_directory || form_.txtDirectoryName.text != program_directory) {
      return Stop("the program directory could not be chosen");
    }
    Set(form_.txtProgramFriendlyName, options_.friendly_name);
    Set(form_.txtCompanyName, options_.company);
    Set(form_.txtWebSiteURL, options_.web_site_url);
    Set(form_.txtActiveXUrl, options_.activex_url);
    Set(form_.txtPublicationURL, options_.publication_url);
    if (!Next(2) || !Next(3) || !ChooseRunFile()) return false;
    if (options_.program_group_file) {
      std::string reason;
      if (!form_.LoadProgramGroupTreeFile(*options_.program_group_file, reason)) {
        return Stop("--program-group " + *options_.program_group_file + ": " + reason);
      }
    }
    if (!Next(4) || !Next(5) || !RemoveComponents() || !AddComponents() || !Next(6)) return false;
    Set(form_.txtHtmlFilenameNoPath, options_.html_name);
    Set(form_.txtHtmlTitle, options_.html_title);
    Set(form_.txtStandAloneExeFilenameNoPath, options_.web_setup_name);
    if (options_.code_page) form_.PackageCodePage = *options_.code_page;
    if (options_.minimize_download_time) form_.chkCreateMultiProgramCabs.value = *options_.minimize_download_time ? 1 : 0;
    if (options_.sign_every_program) form_.chkSignEveryProgram.value = *options_.sign_every_program ? 1 : 0;
    if (options_.compression) {
      pipeline_.SetProgramCompression(*options_.compression == "lzx" ? CabCompression::kLzx : CabCompression::kMszip);
    }
    if (options_.sign_commands) {
      std::string text;
      for (const std::string& line : *options_.sign_commands) text += (text.empty() ? "" : "\r\n") + line;
      form_.SetText(form_.txtSignCodeCommands, text);
    }
    if (!form_.cmdFinish.enabled) return Stop("Finish is not enabled: the HTML page needs a name");
    form_.cmdFinish_Click();
    host_.FlushProgress();
    if (host_.succeeded) return true;
    if (host_.declined) return Stop("stopped: a question was answered No");
    return Stop("the web setup package was not built");
  }

 private:
  void Set(TextBox& box, const std::optional<std::string>& value) {
    if (value) form_.SetText(box, *value);
  }

  bool Next(int expected_step) {
    if (!form_.cmdNext.enabled) {
      if (form_.CurrentStep == 2) return Stop("no program file is ticked on step 2");
      return Stop("Next is not enabled on step " + std::to_string(form_.CurrentStep));
    }
    form_.cmdNext_Click();
    if (form_.CurrentStep != expected_step) return Stop("stopped on step " + std::to_string(form_.CurrentStep));
    return true;
  }

  // The window selects the line of List3 that step 3 chose (or the one the option names)
  // and reports the click.
  bool ChooseRunFile() {
    if (options_.run_file) {
      const std::string wanted = LowerAscii(ReplaceText(*options_.run_file, "/", "\\"));
      int found = -1;
      for (int i = 0; i < form_.List3.ListCount(); ++i) {
        if (LowerAscii(form_.List3.lines[static_cast<std::size_t>(i)]) == wanted) found = i;
      }
      if (found < 0) return Stop("--run: " + *options_.run_file + " is not a ticked program file");
      form_.List3.list_index = found;
    }
    form_.List3_Click();
    if (options_.run_parameters) form_.SetText(form_.txtExeParas, *options_.run_parameters);
    return true;
  }

  // The window selects the line and clicks Remove; the loader control on line 0 of the
  // OCX list is the wizard's own and is never offered.
  bool RemoveComponents() {
    const auto remove = [this](const std::vector<std::string>& files, ListBox& list, void (Form1::*click)(),
                               std::size_t first, const char* option) {
      for (const std::string& file : files) {
        const std::string wanted = UpperAscii(ReplaceText(file, "\\", "/"));
        int found = -1;
        for (std::size_t i = first; i < list.lines.size() && found < 0; ++i) {
          const std::string line = UpperAscii(ReplaceText(list.lines[i], "\\", "/"));
          if (line == wanted || UpperAscii(PathFileName(list.lines[i])) == wanted) found = static_cast<int>(i);
        }
        if (found < 0) return Stop(std::string(option) + " " + file + ": no such component on step 5's list");
        list.list_index = found;
        (form_.*click)();
      }
      return true;
    };
    return remove(options_.remove_dll_files, form_.lstDLL, &Form1::cmdRemoveDLL_Click, 0, "--remove-dll") &&
           remove(options_.remove_ocx_files, form_.lstOCX, &Form1::cmdRemoveOCX_Click, 1, "--remove-ocx");
  }

  bool AddComponents() {
    const auto add = [this](const std::vector<std::string>& files, ListBox& list, void (Form1::*click)()) {
      for (const std::string& file : files) {
        const std::string upper = UpperAscii(file);
        bool listed = false;
        for (const std::string& line : list.lines) listed = listed || UpperAscii(line) == upper;
        if (listed) continue;
        const int before = list.ListCount();
        host_.file_answers = {file};
        (form_.*click)();
        if (list.ListCount() == before) return Stop("the component " + file + " was refused");
      }
      return true;
    };
    return add(options_.dll_files, form_.lstDLL, &Form1::cmdAddDLL_Click) &&
           add(options_.ocx_files, form_.lstOCX, &Form1::cmdAddOCX_Click);
  }

  const VexaBuildOptions& options_;
  ReleasePipeline pipeline_;
  ConsoleHost host_;
  Form1 form_;
};

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  VexaBuildOptions options;
  std::string error;
  if (!ParseVexaBuildOptions(arguments, options, error)) {
    std::fprintf(stderr, "vexabuild: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(VexaBuildUsage().c_str(), stdout);
    return 0;
  }
  if (options.command == "serve") return ServeProject(AbsoluteDirectory(options.program_directory), options.port);
  Driver driver(options);
  return driver.Run() ? 0 : 1;
}
