// What the loader does once the page has named the script cabinet: the stand-alone web
// setup program's installation, started from a downloaded script cabinet instead of an
// attached short signature.
//
//   1. ScriptFile is resolved against the page's address (script_location.h).
//   2. The script cabinet is downloaded whole into the web setup's cache and accepted
//      only when its Authenticode signature verifies (authenticode_win32.h); a refused
//      cabinet is deleted and nothing else is downloaded.
//   3. It is kept in the cache under its short signature, and the web setup's run
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
  std::string page_url;     // the page's address; empty when the host names none
  EngineOptions options;    // silent, destination and log only for a trusted host
};

WebSetupOutcome RunLoaderInstallation(const LoaderRequest& request, WebSetupUi& ui, const LogFile& log);
