// The developer's code-signing commands: "%1" (the script cabinet) and "%2" (the page
// title) substituted, recorded in SignCodeCommands.BAT, and run one line at a time, each
// to its end, with Cancel noticed once a second. The record is read back line by line and
// never run as a batch file: a line's program is the text before its first blank.
#include "form1.h"
#include "path_services.h"
#include "process.h"
#include "release_pipeline.h"
#include "text_files.h"

namespace {

constexpr int kProcessPollMilliseconds = 1000;

}  // namespace

bool ReleasePipeline::ExecuteSignCodeCommands() {
  Form1& form = *form_;
  form.SetText(form.txtSignCodeCommands, TrimBlanks(form.txtSignCodeCommands.text));
  if (form.txtSignCodeCommands.text.empty()) return true;
  form.AppendWorkProgressLine("Executing the Sign Code Commands...");
  const std::string script_cabinet = StripExtension(form.ReleaseDirectory + form.txtHtmlFilenameNoPath.text) + "Script.Cab";
  const std::string text =
      ReplaceText(ReplaceText(form.txtSignCodeCommands.text, "%1", script_cabinet), "%2", form.txtHtmlTitle.text);
  const std::string record = form.ProjectFilesDirectory + "SignCodeCommands.BAT";
  WriteTextFile(text, record);
  std::vector<std::string> lines;
  ReadTextFileLines(record, lines);
  for (const std::string& line : lines) {
    const std::string command = TrimBlanks(line);
    const std::size_t blank = command.find(' ');
    const std::string program = command.substr(0, blank);
    const std::string arguments = blank == std::string::npos ? std::string() : command.substr(blank + 1);
    form.AppendWorkProgressLine("Executing Sign Code Command: " + command);
    DoEvents();
    const std::int64_t process = StartProcess(program, arguments, true);
    form.KeepWorking = true;
    while (IsProcessRunning(process)) {
      host_->Sleep(kProcessPollMilliseconds);
      DoEvents();
      if (!form.KeepWorking) {
        ShowOk("Signing commands canceled.");
        return false;
      }
    }
  }
  return true;
}
