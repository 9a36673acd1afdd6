// The file named by /LOG=: every log line of the run, and in silent mode every message and
// question, one per line with CR LF. Lines are appended as they happen, so a run that
// stops half-way still leaves its log.
#pragma once

#include <string>

class LogFile {
 public:
  explicit LogFile(std::string path) : path_(std::move(path)) {}
  bool enabled() const { return !path_.empty(); }
  // Appends `text` (its line breaks as CR LF) and CR LF; false when the file cannot be
  // written.
  bool Append(const std::string& text) const;

 private:
  std::string path_;
};

// `text` with every line break as CR LF: a message's lone CR, which a message box shows as
// a new line, would otherwise run its lines together in the file.
std::string WithLogLineEnds(const std::string& text);

// The last line of a log text whose lines are separated by CR LF.
std::string LastLogLine(const std::string& log_text);
