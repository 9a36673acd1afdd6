#include "loader_install_win32.h"

#include <windows.h>

#include "authenticode_win32.h"
#include "file_signature.h"
#include "http_download.h"
#include "loader_texts.h"
#include "paths.h"
#include "script_location.h"
#include "shortcuts.h"
#include "web_setup_attachment.h"

namespace {

// A script cabinet is a few kilobytes; this bounds what a hostile server can send.
constexpr std::uint64_t kMaxScriptCabinetBytes = 16u * 1024u * 1024u;

// `message` for the user and the log; `page_result` for a page, which never learns this
// PC's paths or what a server answered.
LoaderOutcome Stopped(const LogFile& log, const std::string& message, const std::string& page_result,
                      int status = kExitFailure) {
  log.Append("Message: " + message);
  LoaderOutcome outcome;
  outcome.exit_status = status;
  outcome.message = message;
  outcome.page_result = page_result;
  return outcome;
}

bool Asked(LoaderQuestions& questions, const LogFile& log, const std::string& question) {
  const bool yes = questions.Ask(question);
  log.Append("Question: " + question + (yes ? " -> Yes" : " -> No"));
  return yes;
}

// The script cabinet from `location` into `partial`.
bool DownloadScriptCabinet(const ScriptLocation& location, const std::string& partial, WebSetupUi& ui,
                           const LogFile& log, LoaderOutcome& stopped) {
  std::string error;
  ui.SetCurrentFile(location.cabinet_name);
  log.Append("Downloading " + location.url);
  switch (DownloadFile({location.url, partial, 0, kMaxScriptCabinetBytes}, ui, error)) {
    case DownloadResult::Complete:
      break;
    case DownloadResult::Cancelled:
      DeletePartialDownload(partial);
      stopped = Stopped(log, "Installation cancelled.", "Installation cancelled.", kExitCancelled);
      return false;
    case DownloadResult::Failed:
      DeletePartialDownload(partial);
      stopped = Stopped(log, error, "Error. The setup script " + location.url + " cannot be downloaded.");
      return false;
  }
  return true;
}

// The downloaded cabinet is kept, in the cache under its short signature, only when its
// signature verifies and, for a page, the user accepts its publisher.
bool AcceptScriptCabinet(const ScriptLocation& location, bool page, const std::string& partial,
                         LoaderQuestions& questions, const LogFile& log, std::string& short_signature,
                         LoaderOutcome& stopped) {
  std::string why;
  std::string publisher;
  if (!VerifyAuthenticodeSignature(partial, why, publisher)) {
    DeletePartialDownload(partial);
    const std::string refused =
        "Error. The setup script " + location.url + " was refused: " + why + ". It was deleted; nothing was installed.";
    stopped = Stopped(log, refused, refused);
    return false;
  }
  if (page && !Asked(questions, log, PublisherQuestion(location.site, publisher))) {
    DeletePartialDownload(partial);
    const std::string declined = "Installation cancelled: the setup script of " + ShownPublisher(publisher) +
                                 " was deleted; nothing was installed.";
    stopped = Stopped(log, declined, declined, kExitCancelled);
    return false;
  }
  std::string digest;
  std::uint64_t size = 0;
  if (!HashFile(partial, digest, size)) {
    DeletePartialDownload(partial);
    stopped = Stopped(log, "Error. Cannot read " + partial, "Error. The setup script cannot be read on this computer.");
    return false;
  }
  short_signature = FileSignature{digest, size}.ShortSignature();
  const std::string cached = InstalledScriptPath(short_signature);
  if (!MoveFileExA(partial.c_str(), cached.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeletePartialDownload(partial);
    stopped = Stopped(log, "Error. Cannot write " + cached, "Error. The setup script cannot be kept on this computer.");
    return false;
  }
  DeleteFileA((partial + ".validator").c_str());
  log.Append("Signed script accepted: " + location.url);
  return true;
}

}  // namespace

LoaderOutcome RunLoaderInstallation(const LoaderRequest& request, WebSetupUi& ui, LoaderQuestions& questions,
                                    const LogFile& log) {
  const bool page = request.for_untrusted_page;
  ScriptLocation location;
  std::string error;
  if (!ResolveScriptLocation(request.script_file, request.page_url, page, location, error))
    return Stopped(log, error, error);
  if (page && !Asked(questions, log, SiteQuestion(location.site))) {
    const std::string declined = "Installation cancelled: nothing was downloaded from " + location.site + ".";
    return Stopped(log, declined, declined, kExitCancelled);
  }

  // Any short signature will do for the name: it tells where the cabinet would be kept.
  const std::string cached_example = InstalledScriptPath(std::string(32, '0'));
  if (cached_example.empty() || !CreateDirectoryTree(DirectoryOfPath(cached_example)))
    return Stopped(log, "Error. Cannot create the download cache in " + WebFilesCacheDirectory(),
                   "Error. The download cache cannot be created on this computer.");
  const std::string partial =
      DirectoryOfPath(cached_example) + "~loader" + std::to_string(GetCurrentProcessId()) + ".partial";
  DeletePartialDownload(partial);
  LoaderOutcome stopped;
  std::string short_signature;
  if (!DownloadScriptCabinet(location, partial, ui, log, stopped) ||
      !AcceptScriptCabinet(location, page, partial, questions, log, short_signature, stopped)) {
    return stopped;
  }

  WebSetupAttachment attachment;
  attachment.publication_url = location.publication_url;
  attachment.script_cabinet = location.cabinet_name;
  attachment.script_short_signature = short_signature;
  LoaderOutcome outcome;
  static_cast<WebSetupOutcome&>(outcome) = RunWebSetup(attachment, request.options, ui, log);
  outcome.page_result = PageResultOfRun(outcome.message, outcome.exit_status);
  return outcome;
}
