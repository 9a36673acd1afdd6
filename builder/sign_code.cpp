// The developer's code-signing commands: "%1" (the file to sign) and "%2" (the page title)
// substituted, and run one line at a time, each to its end. The script cabinet's commands
// are recorded in SignCodeCommands.BAT and read back line by line; the record is never run
// as a batch file: a line's program is the text before its first blank.
//
// Beyond signing the script cabinet:
// - "%3" is SOURCE_DATE_EPOCH (empty when unset or malformed), so that a tool that takes a
//   signing time signs alike in every build. It is replaced first: the epoch is digits
//   only, and a "%3" inside the path or the title stays as typed.
// - With "Sign every program" the same lines also sign Setup.exe, the stand-alone web setup
//   program and the loader's cabinet, each at the point of the build where the file is
//   complete and before anything records its bytes.
// - A command that cannot be started or ends with a non-zero exit status fails the build:
//   an unsigned package must never be reported as a success. An empty line starts nothing.
// - The wait ends when the command ends (and, in the window, as soon as the window has
//   input), so a quick command costs its own time; Cancel is seen at once in the window.
//   After a Cancel no later file of the build is signed.
#include <ctime>

#include "build_clock.h"
#include "file_stamp.h"
#include "path_services.h"
#include "process.h"
#include "release_pipeline.h"
#include "text_files.h"

namespace {

// How long one wait lasts when nothing wakes it: a host whose Cancel cannot wake the wait
// (the tests' scripted host) sees it within this time.
constexpr int kCancelCheckMilliseconds = 250;

std::string SigningTimeText() {
  const std::time_t fixed = FixedBuildTime();
  return fixed >= 0 ? std::to_string(static_cast<long long>(fixed)) : std::string();
}

}  // namespace

std::string ReleasePipeline::SignCodeCommandText(const std::string& commands, const std::string& file) const {
  return ReplaceText(ReplaceText(ReplaceText(commands, "%3", SigningTimeText()), "%1", file), "%2",
                     answers_.HtmlTitle);
}

ReleasePipeline::SignCodeOutcome ReleasePipeline::RunSignCodeLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const std::string command = TrimBlanks(line);
    const std::size_t blank = command.find(' ');
    const std::string program = command.substr(0, blank);
    const std::string arguments = blank == std::string::npos ? std::string() : command.substr(blank + 1);
    host_->AppendProgressLine("Executing Sign Code Command: " + command);
    DoEvents();
    if (program.empty()) continue;
    const std::int64_t process = StartProcess(program, arguments, true);
    host_->SetKeepWorking(true);
    if (process == 0) {
      ShowOk("Error. The sign code command could not be started: " + command + ".");
      return SignCodeOutcome::Failed;
    }
    while (IsProcessRunning(process)) {
      WaitForProcess(process, kCancelCheckMilliseconds);
      DoEvents();
      if (!host_->KeepWorking()) {
        ShowOk("Signing commands canceled.");
        return SignCodeOutcome::Cancelled;
      }
    }
    std::uint32_t status = 0;
    if (!ProcessExitStatus(process, status) || status != 0) {
      ShowOk("Error. The sign code command failed: " + command + " (exit status " + std::to_string(status) + ").");
      return SignCodeOutcome::Failed;
    }
  }
  return SignCodeOutcome::Done;
}

void ReleasePipeline::NoteSignCodeOutcome(SignCodeOutcome outcome) {
  if (outcome == SignCodeOutcome::Failed) signing_failed_ = true;
  if (outcome == SignCodeOutcome::Cancelled) signing_cancelled_ = true;
}

bool ReleasePipeline::ExecuteSignCodeCommands() {
  std::string& commands = answers_.SignCodeCommands;
  commands = TrimBlanks(commands);
  if (commands.empty()) return true;
  if (signing_cancelled_) return false;
  host_->AppendProgressLine("Executing the Sign Code Commands...");
  const std::string script_cabinet =
      StripExtension(answers_.ReleaseDirectory + answers_.HtmlFilenameNoPath) + "Script.Cab";
  if (answers_.SignEveryProgram) host_->AppendProgressLine("Signing " + PathFileName(script_cabinet));
  const std::string record = answers_.ProjectFilesDirectory + "SignCodeCommands.BAT";
  WriteTextFile(SignCodeCommandText(commands, script_cabinet), record);
  std::vector<std::string> lines;
  ReadTextFileLines(record, lines);
  const SignCodeOutcome outcome = RunSignCodeLines(lines);
  NoteSignCodeOutcome(outcome);
  return outcome == SignCodeOutcome::Done;
}

bool ReleasePipeline::SignEveryProgramFile(const std::string& path) {
  const std::string commands = TrimBlanks(answers_.SignCodeCommands);
  if (!answers_.SignEveryProgram || commands.empty() || signing_cancelled_) return true;
  host_->AppendProgressLine("Signing " + PathFileName(path));
  // Signing tools write a new file: the date the build gave the file is given back.
  const std::string stamp = GetFileStamp(path);
  const SignCodeOutcome outcome = RunSignCodeLines(SplitTextLines(SignCodeCommandText(commands, path)));
  NoteSignCodeOutcome(outcome);
  if (!stamp.empty()) SetFileStamp(path, stamp);
  return outcome != SignCodeOutcome::Failed;
}
