// What the loader does once the page has named the script cabinet: the stand-alone web
// setup program's installation, started from a downloaded script cabinet instead of an
// attached short signature.
//
//   1. ScriptFile is resolved against the page's address (script_location.h); for a page
//      in a browser only within the page's own https: site.
//   2. For such a page the user is asked whether the site may have its setup script
//      downloaded (loader_texts.h); No ends the run before any download.
//   3. The script cabinet is downloaded whole into the web setup's cache and accepted
//      only when its Authenticode signature verifies, revocation checked
//      (authenticode_win32.h); a refused cabinet is deleted and nothing else is
//      downloaded.
//   4. For a page in a browser the user is asked again, naming the publisher from the
//      cabinet's certificate; No deletes the cabinet and installs nothing.
//   5. It is kept in the cache under its short signature, and the web setup's run
//      (web_setup_run.h) takes it from there, with the script cabinet's directory as the
//      publication URL: components, program cabinets, Setup.exe, as the stand-alone
//      program does it.
#pragma once

#include <string>

#include "command_line.h"
#include "log_file.h"
#include "web_setup_run.h"

struct LoaderRequest {
  std::string script_file;  // the page's parameter ScriptFile
  std::string page_url;     // the page's address from the host; empty when the host names none
  EngineOptions options;    // silent, destination and log only for a trusted host
  // The host runs the control for a web page whose data it does not trust (a browser).
  bool for_untrusted_page = false;
};

// The user's answers: a Yes/No question with No the default; true for Yes.
class LoaderQuestions {
 public:
  virtual ~LoaderQuestions() = default;
  virtual bool Ask(const std::string& question) = 0;
};

struct LoaderOutcome : WebSetupOutcome {
  std::string page_result;  // what a page in a browser is told instead of `message`
};

LoaderOutcome RunLoaderInstallation(const LoaderRequest& request, WebSetupUi& ui, LoaderQuestions& questions,
                                    const LogFile& log);
