#include <windows.h>

#include <cstdio>
#include <vector>

#include "administrators_only.h"
#include "cabinet.h"
#include "shared_components.h"
#include "file_signature.h"
#include "held_file.h"
#include "package.h"
#include "package_cache.h"
#include "part_list.h"
#include "paths.h"
#include "script.h"
#include "small_file.h"
#include "temporary_directory.h"
#include "test_pause.h"
#include "text.h"
#include "web_script.h"
#include "web_setup_run.h"
#include "web_url.h"
#include "win32_handles.h"

namespace {

constexpr std::uint64_t kMaxScriptCabinetBytes = 16u * 1024u * 1024u;

std::string Mismatch(const std::string& url) {
  return "Error. The file downloaded from " + url +
         " is not the one published (its signature differs). It was deleted; nothing was installed from it.";
}

bool EnsureDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The parts of `list`, from `parts_directory`, one after the other into `joined`; nothing
// is left of `joined` when that fails.
bool JoinParts(const PartList& list, const std::string& parts_directory, const std::string& joined) {
  std::FILE* out = std::fopen(joined.c_str(), "wb");
  if (!out) return false;
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (const PartEntry& part : list.parts) {
    std::FILE* in = std::fopen((parts_directory + part.name).c_str(), "rb");
    ok = in != nullptr;
    std::size_t read = 0;
    while (ok && (read = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
      ok = std::fwrite(buffer.data(), 1, read, out) == read;
    if (in) std::fclose(in);
    if (!ok) break;
  }
  ok = std::fclose(out) == 0 && ok;
  if (!ok) DeleteFileA(joined.c_str());
  return ok;
}

// The checks below read the held file, never its path (see held_file.h).
bool HeldFileMatches(const HeldFile& held, const FileSignature& signature) {
  return StreamMatchesSignature(held.NewStream(), signature);
}

bool HeldFileHasShortSignature(const HeldFile& held, const std::string& short_signature) {
  std::string digest;
  std::uint64_t size = 0;
  return HashStream(held.NewStream(), digest, size) && DigestHasShortSignature(digest, short_signature);
}

// A cache directory and those above it that are missing. Made by an elevated run, each is
// made for administrators only (administrators_only.h); one that exists is used as it is.
bool CreateCacheDirectory(const std::string& path) {
  static const bool elevated = RunsElevated();
  if (!elevated) return CreateDirectoryTree(path);
  std::string full = path;
  AppendBackslash(full);
  // The first backslash follows the root ("C:\\"): start at the second one.
  for (std::size_t backslash = full.find('\\', full.find('\\') + 1); backslash != std::string::npos;
       backslash = full.find('\\', backslash + 1)) {
    const std::string prefix = full.substr(0, backslash);
    const DWORD attributes = GetFileAttributesA(prefix.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!CreateAdministratorsOnlyDirectory(prefix)) return false;
  }
  return true;
}

CabinetStreamOpener OpenerOf(const HeldFile& held) {
  return [&held] { return held.NewStream(); };
}

// One run: its temporary directories and what it reports.
class WebSetup {
 public:
  WebSetup(const WebSetupAttachment& attachment, const EngineOptions& options, WebSetupUi& ui, const LogFile& log,
           const std::string& cache)
      : attachment_(attachment), options_(options), ui_(ui), log_(log), cache_(cache) {}
  ~WebSetup() {
    if (!work_directory_.empty()) DeleteTemporaryDirectory(work_directory_);
    if (!program_directory_.empty()) DeleteTemporaryDirectory(program_directory_);
  }

  WebSetupOutcome Run();

 private:
  enum class Step { Done, Cancelled, Failed };

  void Log(const std::string& line) { log_.Append(line); }
  Step Fail(const std::string& message) {
    message_ = message;
    return Step::Failed;
  }
  Step Download(const DownloadRequest& request, const std::string& shown);
  Step FetchVerified(const std::string& url, const std::string& path, const FileSignature& signature,
                     const std::string& shown, HeldFile& held);
  Step FetchScript(HeldFile& cabinet);
  Step ReadScript(const HeldFile& cabinet);
  Step InstallComponent(const WebComponent& component);
  Step FetchProgram(const WebProgram& program, HeldFile& cabinet);
  Step FetchParts(const WebProgram& program, const std::string& cabinet_path, HeldFile& cabinet);
  Step ExpandProgram(const WebProgram& program, const HeldFile& cabinet);
  Step RunProgram();
  void KeepOnlyThisVersionsCabinets();
  std::string PackageKey() const { return PackageCacheKey(attachment_.publication_url, attachment_.script_cabinet); }

  const WebSetupAttachment& attachment_;
  const EngineOptions& options_;
  WebSetupUi& ui_;
  const LogFile& log_;
  const std::string cache_;
  std::string work_directory_;
  std::string program_directory_;
  WebScript script_;
  bool restart_needed_ = false;
  int program_status_ = kExitSuccess;
  std::string message_;
};

WebSetup::Step WebSetup::Download(const DownloadRequest& request, const std::string& shown) {
  ui_.SetCurrentFile(shown);
  Log("Downloading " + request.url);
  const std::uint64_t bytes_before = DownloadCounts().bytes_received;
  const ULONGLONG started = GetTickCount64();
  std::string error;
  switch (DownloadFile(request, ui_, error)) {
    case DownloadResult::Complete:
      Log("Downloaded " + request.url + ": " + std::to_string(DownloadCounts().bytes_received - bytes_before) +
          " bytes in " + std::to_string(GetTickCount64() - started) + " ms");
      return Step::Done;
    case DownloadResult::Cancelled:
      return Step::Cancelled;
    case DownloadResult::Failed:
      break;
  }
  return Fail(error);
}

// Downloads `url` into `path` (resuming a partial file) and keeps it only when it matches
// `signature`. A resumed file that does not match is fetched once more from the start: its
// first part may be of an older version of the file. On success `held` holds the file at
// `path`, checked through that hold: what is used later is what was checked.
WebSetup::Step WebSetup::FetchVerified(const std::string& url, const std::string& path,
                                       const FileSignature& signature, const std::string& shown, HeldFile& held) {
  if (held.Open(path) && HeldFileMatches(held, signature)) return Step::Done;
  held.Close();
  const std::string partial = path + ".partial";
  for (int attempt = 0; attempt < 2; ++attempt) {
    const Step step = Download({url, partial, signature.size, signature.size}, shown);
    if (step != Step::Done) return step;
    if (held.Open(partial) && HeldFileMatches(held, signature)) {
      DeleteFileA((partial + ".validator").c_str());
      if (!held.MoveTo(path)) return Fail("Error. Cannot write " + path);
      return Step::Done;
    }
    held.Close();
    DeletePartialDownload(partial);
    Log("Signature mismatch: " + url);
  }
  return Fail(Mismatch(url));
}

WebSetup::Step WebSetup::FetchScript(HeldFile& held) {
  const std::string& short_signature = attachment_.script_short_signature;
  const std::string cabinet_path = cache_ + kScriptsCache + short_signature + ".cab";
  if (held.Open(cabinet_path) && HeldFileHasShortSignature(held, short_signature)) {
    Log("Script from the cache: " + cabinet_path);
    return Step::Done;
  }
  held.Close();
  const std::string url = JoinUrl(attachment_.publication_url, attachment_.script_cabinet);
  const std::string partial = cabinet_path + ".partial";
  const Step step = Download({url, partial, 0, kMaxScriptCabinetBytes}, attachment_.script_cabinet);
  if (step != Step::Done) return step;
  if (!held.Open(partial) || !HeldFileHasShortSignature(held, short_signature)) {
    held.Close();
    DeletePartialDownload(partial);
    return Fail(Mismatch(url));
  }
  if (!held.MoveTo(cabinet_path)) return Fail("Error. Cannot write " + cabinet_path);
  return Step::Done;
}

WebSetup::Step WebSetup::ReadScript(const HeldFile& held) {
  const std::string& cabinet = attachment_.script_cabinet;
  const std::string member = cabinet.substr(0, cabinet.size() - 4) + ".txt";
  std::vector<std::string> written;
  if (!ExpandCabStream(OpenerOf(held), work_directory_, written, member))
    return Fail("Error. Cannot extract the web script " + member + " from " + cabinet);
  ScriptLines lines;
  const bool loaded = LoadScript(work_directory_ + member, lines);
  DeleteFileA((work_directory_ + member).c_str());
  if (!loaded) return Fail("Error. Cannot load script to memory.");
  std::string error;
  if (!ReadWebScript(lines, script_, error)) return Fail(error);
  return Step::Done;
}

WebSetup::Step WebSetup::InstallComponent(const WebComponent& component) {
  const std::string kind = component.ocx ? "OCX " : "DLL ";
  // The decision comes before the download, so it is taken for a component of the
  // program's own bitness; the installation decides again from the file itself.
  const bool present = component.ocx
                           ? FindOcxTarget(component.file_name, component.version, component.class_id).empty()
                           : FindDllTarget(component.file_name, component.version).empty();
  if (present) {
    Log("Up to date: " + component.file_name);
    if (component.ocx) {
      const std::string registered = GetRegisteredServer(component.class_id);
      if (!registered.empty()) RegisterServer(registered);
    }
    return Step::Done;
  }
  const std::string downloaded = work_directory_ + component.cabinet_name;
  HeldFile held;
  const Step step = FetchVerified(component.url, downloaded, component.signature, component.cabinet_name, held);
  if (step != Step::Done) return step;
  Log("Installing " + UpperCase(component.cabinet_name));
  ui_.SetCurrentFile("Installing " + component.file_name);
  const std::string source = work_directory_ + component.file_name;
  if (EndsWithIgnoringCase(component.cabinet_name, "CAB")) {
    std::vector<std::string> written;
    if (!ExpandCabStream(OpenerOf(held), work_directory_, written, component.file_name))
      return Fail("Error. Cannot extract " + component.file_name + " from " + component.cabinet_name);
  } else if (!EqualsIgnoringCase(component.cabinet_name, component.file_name)) {
    return Fail("Error. Cannot extract " + component.file_name + " from " + component.cabinet_name);
  }
  // From here on the component is read by its path, in the run's work directory, which
  // only administrators may write.
  held.Close();
  const bool installed = component.ocx ? InstallOcx(source, component.class_id, restart_needed_)
                                       : InstallSharedDll(source, restart_needed_);
  if (!installed) return Fail("Error. Cannot install " + kind + component.file_name);
  return Step::Done;
}

WebSetup::Step WebSetup::FetchParts(const WebProgram& program, const std::string& cabinet_path, HeldFile& held) {
  const std::string list_name = PartListName(program.cabinet_name);
  const std::string list_url = JoinUrl(attachment_.publication_url, list_name);
  const std::string list_path = work_directory_ + list_name;
  Step step = Download({list_url, list_path, 0, kMaxPartListBytes}, list_name);
  if (step != Step::Done) return step;
  std::string text;
  PartList list;
  std::string error;
  if (!ReadSmallFile(list_path, kMaxPartListBytes, text) || !ParsePartList(text, list, error))
    return Fail("Error. The part list " + list_url + " is damaged: " + (error.empty() ? "it is too large" : error) + ".");
  bool named = list.cabinet_name == program.cabinet_name && list.parts.size() == program.parts;
  for (std::size_t i = 0; named && i < list.parts.size(); ++i) named = list.parts[i].name == PartName(program.cabinet_name, i + 1);
  if (!named || list.cabinet_size != program.signature.size || list.cabinet_sha256 != program.signature.sha256)
    return Fail("Error. The part list " + list_url + " does not belong to the published " + program.cabinet_name + ".");

  // The parts of one cabinet wait in a directory of their own until all are there.
  const std::string parts_directory = cabinet_path.substr(0, cabinet_path.size() - 4) + ".parts\\";
  if (!EnsureDirectory(parts_directory)) return Fail("Error. Cannot create " + parts_directory);
  for (std::size_t i = 0; i < list.parts.size(); ++i) {
    const PartEntry& part = list.parts[i];
    const FileSignature signature{part.sha256, part.size};
    const std::string shown = program.cabinet_name + " (part " + std::to_string(i + 1) + " of " +
                              std::to_string(list.parts.size()) + ")";
    HeldFile part_held;
    step = FetchVerified(JoinUrl(attachment_.publication_url, part.name), parts_directory + part.name, signature, shown,
                         part_held);
    if (step != Step::Done) return step;
  }
  // Joined, then checked whole through the hold that keeps it, before the cabinet takes
  // its place in the cache.
  const std::string joined = cabinet_path + ".partial";
  if (!JoinParts(list, parts_directory, joined)) return Fail("Error. Cannot write " + joined);
  if (!held.Open(joined) || !HeldFileMatches(held, program.signature)) {
    held.Close();
    DeleteFileA(joined.c_str());
    return Fail(Mismatch(JoinUrl(attachment_.publication_url, program.cabinet_name)));
  }
  if (!held.MoveTo(cabinet_path)) return Fail("Error. Cannot write " + cabinet_path);
  for (const PartEntry& part : list.parts) DeleteFileA((parts_directory + part.name).c_str());
  RemoveDirectoryA(parts_directory.c_str());
  return Step::Done;
}

WebSetup::Step WebSetup::FetchProgram(const WebProgram& program, HeldFile& held) {
  const std::string cabinet_path = cache_ + kProgramsCache + program.signature.ShortSignature() + ".cab";
  if (held.Open(cabinet_path) && HeldFileMatches(held, program.signature)) {
    Log("Program from the cache: " + cabinet_path);
    return Step::Done;
  }
  held.Close();
  if (program.parts > 1) return FetchParts(program, cabinet_path, held);
  return FetchVerified(JoinUrl(attachment_.publication_url, program.cabinet_name), cabinet_path, program.signature,
                       program.cabinet_name, held);
}

WebSetup::Step WebSetup::ExpandProgram(const WebProgram& program, const HeldFile& held) {
  ui_.SetCurrentFile("Expanding " + program.cabinet_name);
  std::string target = program_directory_;
  if (!program.sub_directory.empty()) {
    target += program.sub_directory + "\\";
    if (!CreateDirectoryTree(target)) return Fail("Error. Cannot create " + target);
  }
  std::vector<std::string> written;
  if (!ExpandCabStream(OpenerOf(held), target, written, ""))
    return Fail("Error. Cannot expand " + program.cabinet_name);
  return Step::Done;
}

WebSetup::Step WebSetup::RunProgram() {
  if (!script_.has_program_to_run) return Step::Done;
  const std::string program = program_directory_ + script_.program_to_run;
  std::string command = QuotedArgument(program);
  bool has_log = false;
  for (const std::string& parameter : script_.parameters) {
    command += " " + QuotedArgument(parameter);
    has_log = has_log || StartsWithIgnoringCase(parameter, "/LOG=") || StartsWithIgnoringCase(parameter, "-LOG=");
  }
  if (options_.silent) command += " /S";
  if (!options_.destination.empty()) command += " " + QuotedArgument("/D=" + options_.destination);
  if (!options_.log_file.empty() && !has_log) command += " " + QuotedArgument("/LOG=" + options_.log_file);
  // Our own engine records the package, so that uninstalling the product lets its cached
  // cabinets go; another program is not given a switch it does not know.
  if (EqualsIgnoringCase(FileNameOfPath(program), "Setup.exe")) command += " /WEBPACKAGE=" + PackageKey();
  ui_.SetCurrentFile("Running " + FileNameOfPath(program));
  ui_.DisableCancel();
  Log("Running " + command);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  // Not started in <TempDir>: the program that Setup.exe starts at its end inherits the
  // current directory, and a directory in use cannot be removed.
  char temporary_path[MAX_PATH + 1] = {};
  const DWORD temporary_length = GetTempPathA(sizeof temporary_path, temporary_path);
  const char* current = temporary_length > 0 && temporary_length <= MAX_PATH ? temporary_path : nullptr;
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, current, &startup, &process))
    return Fail("Error. Cannot run " + FileNameOfPath(program));
  const UniqueHandle child(process.hProcess);
  const UniqueHandle child_thread(process.hThread);
  WaitForSingleObject(child.get(), INFINITE);
  DWORD status = kExitFailure;
  GetExitCodeProcess(child.get(), &status);
  program_status_ = static_cast<int>(status);
  Log(FileNameOfPath(program) + " ended with " + std::to_string(status));
  return Step::Done;
}

// After a successful run: the package's index names what this run used, and the cabinets
// of its earlier versions that no package names any more leave the cache (package_cache.h).
void WebSetup::KeepOnlyThisVersionsCabinets() {
  std::vector<std::string> used{kScriptsCache + attachment_.script_short_signature + ".cab"};
  for (const WebProgram& program : script_.programs)
    used.push_back(kProgramsCache + program.signature.ShortSignature() + ".cab");
  const std::string directory = cache_ + kPackagesCache;
  if (!CreateCacheDirectory(directory)) return;
  const std::string index_name = PackageKey() + ".txt";
  std::vector<std::string> previous;
  ReadPackageCacheIndexFile(directory + index_name, previous);
  const std::vector<std::string> unused =
      CabinetsNoLongerUsed(previous, used, OtherPackageIndexes(directory, index_name));
  const std::string index = PackageCacheIndexText(used);
  if (!WriteSmallFile(directory + index_name, index)) return;
  for (const std::string& name : unused) {
    if (DeleteFileA((cache_ + name).c_str())) Log("Removed from the cache: " + cache_ + name);
  }
}

WebSetupOutcome WebSetup::Run() {
  WebSetupOutcome outcome;
  auto stopped = [&](Step step) {
    outcome.exit_status = step == Step::Cancelled ? kExitCancelled : kExitFailure;
    outcome.message = step == Step::Cancelled
                          ? "Installation cancelled. What was downloaded is kept for the next run."
                          : message_;
    Log("Message: " + outcome.message);
    const DownloadTotals& counts = DownloadCounts();
    Log("Requests: " + std::to_string(counts.requests) + ", bytes received: " + std::to_string(counts.bytes_received));
    return outcome;
  };
  if (cache_.empty() || !CreateCacheDirectory(cache_ + kScriptsCache) || !CreateCacheDirectory(cache_ + kProgramsCache))
    return stopped(Fail("Error. Cannot create the download cache in " + cache_));
  if (!CreateExpansionDirectory(work_directory_))
    return stopped(Fail("Error. Cannot create temporary directory."));

  // The script and program cabinets stay held from their check until they were expanded.
  HeldFile script_cabinet;
  Step step = FetchScript(script_cabinet);
  if (step == Step::Done) {
    TestPause("web-setup-script");
    step = ReadScript(script_cabinet);
  }
  if (step != Step::Done) return stopped(step);
  ui_.SetTitle(script_.title);
  for (const WebComponent& component : script_.components) {
    step = InstallComponent(component);
    if (step != Step::Done) return stopped(step);
  }
  script_cabinet.Close();
  std::vector<HeldFile> cabinets(script_.programs.size());
  for (std::size_t i = 0; i < cabinets.size(); ++i) {
    step = FetchProgram(script_.programs[i], cabinets[i]);
    if (step != Step::Done) return stopped(step);
  }
  if (!CreateExpansionDirectory(program_directory_))
    return stopped(Fail("Error. Cannot create temporary directory."));
  TestPause("web-setup-expand");
  for (std::size_t i = 0; i < cabinets.size(); ++i) {
    step = ExpandProgram(script_.programs[i], cabinets[i]);
    if (step != Step::Done) return stopped(step);
  }
  step = RunProgram();
  if (step != Step::Done) return stopped(step);
  if (program_status_ == kExitSuccess) KeepOnlyThisVersionsCabinets();
  outcome.exit_status = program_status_;
  outcome.restart_needed = restart_needed_;
  if (program_status_ == kExitSuccess && restart_needed_) outcome.exit_status = kExitRestartNeeded;
  const DownloadTotals& counts = DownloadCounts();
  Log("Requests: " + std::to_string(counts.requests) + ", bytes received: " + std::to_string(counts.bytes_received));
  return outcome;
}

}  // namespace

std::string InstalledScriptPath(const std::string& short_signature) {
  const std::string cache = WebFilesCacheDirectory();
  return cache.empty() ? std::string() : cache + kScriptsCache + short_signature + ".cab";
}

WebSetupOutcome RunWebSetup(const WebSetupAttachment& attachment, const EngineOptions& options, WebSetupUi& ui,
                            const LogFile& log) {
  return RunWebSetup(attachment, options, ui, log, WebFilesCacheDirectory());
}

WebSetupOutcome RunWebSetup(const WebSetupAttachment& attachment, const EngineOptions& options, WebSetupUi& ui,
                            const LogFile& log, const std::string& cache_directory) {
  WebSetup setup(attachment, options, ui, log, cache_directory);
  return setup.Run();
}
