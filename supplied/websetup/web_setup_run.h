// The stand-alone web setup: what VexaStandAloneWebProg.exe does once it knows its six
// attached lines.
//
//   1. The script cabinet (publication URL + line 4) is taken from the cache "Installed
//      Scripts\<line 5>.cab" when its digest there starts with line 5, else downloaded
//      and accepted only when it does.
//   2. The web script is read from it (the engine's script reader) and checked whole.
//   3. Each component line: when the PC has an equal or newer copy (the engine's version
//      rules) nothing is downloaded (an OCX is registered again); otherwise its cabinet is
//      downloaded into the run's temporary directory, checked against its signature,
//      expanded and installed by the engine's component code.
//   4. Each program line: the cabinet is taken from "Downloaded Programs\<short>.cab" when
//      it matches its signature there, else downloaded into it (resumed; whole or as the
//      parts of its part list, each part checked), checked whole and expanded into a new
//      private temporary directory, <TempDir>.
//   5. The Execute program (Setup.exe) is started there with its parameters (and /S in
//      silent mode, and the package key, /WEBPACKAGE=, when it is Setup.exe), waited for,
//      and its exit status returned; both temporary directories are removed.
//
// A file that fails its signature is deleted and the run stops with a message naming
// its URL; nothing is expanded or installed from it. Every check reads the file through
// a handle that denies writing and deleting (held_file.h), and the file is expanded
// through that same handle: what is used is what was checked.
#pragma once

#include <cstdint>
#include <string>

#include "cache_directory.h"
#include "command_line.h"
#include "http_download.h"
#include "log_file.h"
#include "web_setup_attachment.h"

// What the window (or silent mode) shows and how Cancel reaches the run.
class WebSetupUi : public DownloadObserver {
 public:
  virtual void SetTitle(const std::string& title) = 0;
  // The file now being fetched or worked on.
  virtual void SetCurrentFile(const std::string& text) = 0;
  // Cancel no longer applies (the program's own setup runs).
  virtual void DisableCancel() = 0;
};

// No window: what silent mode (and a host that wants none) gives the run.
class SilentWebSetupUi : public WebSetupUi {
 public:
  void SetTitle(const std::string&) override {}
  void SetCurrentFile(const std::string&) override {}
  void DisableCancel() override {}
  void Progress(std::uint64_t, std::uint64_t) override {}
  bool CancelRequested() override { return false; }
};

struct WebSetupOutcome {
  int exit_status = kExitFailure;
  std::string message;  // for the user; empty when there is nothing to say
  // A component of the run waits for the next boot (the run otherwise succeeded).
  bool restart_needed = false;
};

// Where a script cabinet with this short signature is kept in the user's cache; a run finds it
// there and downloads it no more.
std::string InstalledScriptPath(const std::string& short_signature);

WebSetupOutcome RunWebSetup(const WebSetupAttachment& attachment, const EngineOptions& options, WebSetupUi& ui,
                            const LogFile& log);

// The same with the cache base `cache_directory` (ending with "\"); the form above uses
// WebFilesCacheDirectory().
WebSetupOutcome RunWebSetup(const WebSetupAttachment& attachment, const EngineOptions& options, WebSetupUi& ui,
                            const LogFile& log, const std::string& cache_directory);
