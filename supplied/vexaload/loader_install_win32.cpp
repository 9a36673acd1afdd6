#include "loader_install_win32.h"

#include <windows.h>

#include "authenticode_win32.h"
#include "file_signature.h"
#include "http_download.h"
#include "paths.h"
#include "shortcuts.h"
#include "script_location.h"
#include "web_setup_attachment.h"

namespace {

// A script cabinet is a few kilobytes; this bounds what a hostile server can send.
constexpr std::uint64_t kMaxScriptCabinetBytes = 16u * 1024u * 1024u;

WebSetupOutcome Failed(const LogFile& log, const std::string& message, int status = kExitFailure) {
  log.Append("Message: " + message);
  return {status, message};
}

}  // namespace

WebSetupOutcome RunLoaderInstallation(const LoaderRequest& request, WebSetupUi& ui, const LogFile& log) {
  ScriptLocation location;
  std::string error;
  if (!ResolveScriptLocation(request.script_file, request.page_url, location, error)) return Failed(log, error);

  // Any short signature will do for the name: it tells where the cabinet would be kept.
  const std::string cached_example = InstalledScriptPath(std::string(32, '0'));
  if (cached_example.empty() || !CreateDirectoryTree(DirectoryOfPath(cached_example)))
    return Failed(log, "Error. Cannot create the download cache in " + WebFilesCacheDirectory());
  const std::string partial =
      DirectoryOfPath(cached_example) + "~loader" + std::to_string(GetCurrentProcessId()) + ".partial";
  DeletePartialDownload(partial);

  ui.SetCurrentFile(location.cabinet_name);
  log.Append("Downloading " + location.url);
  switch (DownloadFile({location.url, partial, 0, kMaxScriptCabinetBytes}, ui, error)) {
    case DownloadResult::Complete:
      break;
    case DownloadResult::Cancelled:
      DeletePartialDownload(partial);
      return Failed(log, "Installation cancelled.", kExitCancelled);
    case DownloadResult::Failed:
      DeletePartialDownload(partial);
      return Failed(log, error);
  }
  std::string why;
  if (!VerifyAuthenticodeSignature(partial, why)) {
    DeletePartialDownload(partial);
    return Failed(log, "Error. The setup script " + location.url + " was refused: " + why +
                           ". It was deleted; nothing was installed.");
  }
  std::string digest;
  std::uint64_t size = 0;
  if (!HashFile(partial, digest, size)) {
    DeletePartialDownload(partial);
    return Failed(log, "Error. Cannot read " + partial);
  }
  const FileSignature signature{digest, size};
  const std::string cached = InstalledScriptPath(signature.ShortSignature());
  if (!MoveFileExA(partial.c_str(), cached.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeletePartialDownload(partial);
    return Failed(log, "Error. Cannot write " + cached);
  }
  DeleteFileA((partial + ".validator").c_str());
  log.Append("Signed script accepted: " + location.url);

  WebSetupAttachment attachment;
  attachment.publication_url = location.publication_url;
  attachment.script_cabinet = location.cabinet_name;
  attachment.script_short_signature = signature.ShortSignature();
  return RunWebSetup(attachment, request.options, ui, log);
}
