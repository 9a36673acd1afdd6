// The release builder: Finish turns the wizard's answers into the web setup package.
//
// One object serves one wizard window. It drives the cabinet-builder component (a build
// on a worker thread whose events are delivered here whenever the window processes its
// events) and works on the answers the wizard hands it, reporting through the wizard. The
// concepts live in their own files: program_cabinets.cpp (the blocking build protocol,
// cabinet names, Program.cab, splitting), script_generation.cpp (both scripts, the
// component cabinets and the script cabinet), setup_executables.cpp (Attachment.CAB,
// Setup.exe, the stand-alone program), html_page.cpp, sign_code.cpp, package_text.cpp (the
// code page of what reaches the end user's PC), installed_paths.cpp (the engine's path
// limit), and release_pipeline.cpp (the build in its order).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cab_builder.h"
#include "release_builder.h"

// One program cabinet that the web script installs.
struct ProgramCabinetEntry {
  std::string path;
  std::string sub_directory;
};

// The line of the web script that installs one shared component, with what its cabinet
// and file showed while the cabinet was made.
struct WebScriptComponent {
  bool is_dll = false;
  std::string cabinet_url;
  std::int64_t cabinet_size = 0;
  std::string file_name;
  std::string version;
  std::string class_id;  // controls only
  std::int64_t file_size = 0;
  std::string cabinet_signature;
};

// The line of the web script that installs one program cabinet.
struct WebScriptProgramCabinet {
  std::string name;
  std::int64_t size = 0;
  std::string info;
  int parts = 0;
  std::string signature;
  std::string sub_directory;
};

// Everything the web script says: its header, the dialog's title, the components (the
// DLLs first, then the controls), the program cabinets and the parameters of Setup.exe.
struct WebScript {
  std::string file_name;
  std::string wizard_version;
  std::string created;
  std::string title;
  std::vector<WebScriptComponent> components;
  std::vector<WebScriptProgramCabinet> program_cabinets;
  std::string setup_parameters;
};

// The web script's text.
std::string WebScriptText(const WebScript& script);

// The program group lines of the Setup script for `tree`: one SetProductProgramGroup line
// for the root, then one CreateProgramGroup line for every linked node in the tree's order.
std::string ProgramGroupTree2String(const std::vector<ProgramGroupEntry>& tree);

// The component cabinet of `Filename` in `DestDirectory`: its file name without the
// extension (case kept) + ".Cab".
std::string VexaGenerateCabFilename(const std::string& Filename, const std::string& DestDirectory);

// How many parts a setup cabinet of `size` bytes is split into: 0 (not split) unless
// `minimize_download_time` and size > 50,000; then size / 25,000, at most 1,000.
int SetupCabinetParts(std::int64_t size, bool minimize_download_time);

// HTML text with &, <, > and the double quote written as character references.
std::string HtmlEscaped(const std::string& text);

// `url` with the bytes of its UTF-8 form that a URL cannot carry as they are (blanks,
// controls, non-ASCII, "\" and the like) written as "%" and two hexadecimal digits.
std::string PercentEncodedUrl(const std::string& url);

// `page` with the value of its first "charset=" declaration replaced by `charset`.
std::string WithDeclaredCharset(const std::string& page, const std::string& charset);

class ReleasePipeline : public ReleaseBuilder, private MakeCabEvents {
 public:
  ReleasePipeline() = default;
  // The pipeline's cabinet writer options (tests lower the folder size, benchmarks pick
  // threads).
  explicit ReleasePipeline(const CabWriterOptions& options) : writer_options_(options) { cab_.SetWriterOptions(options); }

  // The compression of Program.cab and the component cabinets, in place of the project's
  // choice (vexabuild --compression).
  void SetProgramCompression(std::optional<CabCompression> compression) { program_compression_ = compression; }
  // Program.cab and the component cabinets are LZX or MSZIP as the project's
  // CabCompression.txt says ("LZX" or "MSZIP"); without it, LZX when "Minimize Download
  // Time" is on. The cabinets that hold only compressed data (the attachment, Prog1.cab)
  // and the script cabinet are always MSZIP.
  CabCompression ProgramCompression() const;

  ReleaseResult Build(const ReleaseAnswers& answers, ReleaseHost& host) override;
  void CancelWork() override;

  // --- The steps of the build, each usable on its own once answers are attached --------
  void Attach(const ReleaseAnswers& answers, ReleaseHost& host);
  // The fields as the steps so far have rewritten them.
  ReleaseFieldValues FieldValues() const {
    return {answers_.ActiveXUrl, answers_.ExeParas, answers_.SignCodeCommands};
  }
  bool DeleteAllFilesInReleaseDirectory();
  std::string VexaCreateCabFromOneFile(const std::string& CabFilename, const std::string& Filename,
                                       std::int32_t CertificateSize,
                                       CabCompression compression = CabCompression::kMszip);
  bool CreateSingleProgramCabFile();
  // The Setup script's text (written by CreateSetupExeProgram).
  std::string SetupScriptText();
  bool CreateSetupExeProgram();
  bool CreateScriptCabFile();
  bool MakeHTMLFile(const std::string& HTMLFileName);
  bool ExecuteSignCodeCommands();
  // Every text of the package can be written in the project's code page (package_text.cpp);
  // shows the field or file that cannot.
  bool CheckPackageText();
  // Every ticked file fits the engine's path limit under the default destination
  // (installed_paths.cpp); shows the first that does not.
  bool CheckInstalledPathLengths();
  // Writes `text` in the project's code page; shows the reason on failure.
  bool WritePackageTextFile(const std::string& text, const std::string& path);
  // With "Sign every program": the sign code commands run on `path` ("%1"). False when a
  // command failed (its message shown); a Cancel (now or earlier in the build) is not a
  // failure, the file just stays as it is.
  bool SignEveryProgramFile(const std::string& path);
  bool MakeStandAloneExeWebFile(const std::string& ResultantExeFilename);

  // The handlers of the component's events, delivered on the model's thread.
  void VexaCB1_MakeCabProgress(const std::string& CabFilename, const std::string& CurrentFileInCab);
  void VexaCB1_MakeCabDone(const std::string& CabFilename);
  void VexaCB1_MakeCabError(const std::string& CabFilename);
  void VexaCB1_MakeCabCancel();

  std::string CabResult;
  std::string LastProgressFile;
  std::vector<ProgramCabinetEntry> ProgramCabinetList;

 private:
  // The component's events; the byte counts are not used.
  void MakeCabProgress(const std::string& CabFilename, const std::string& CurrentFileInCab, std::uint64_t,
                       std::uint64_t) override {
    VexaCB1_MakeCabProgress(CabFilename, CurrentFileInCab);
  }
  void MakeCabDone(const std::string& CabFilename, std::uint64_t, std::uint64_t) override {
    VexaCB1_MakeCabDone(CabFilename);
  }
  void MakeCabError(const std::string& CabFilename) override { VexaCB1_MakeCabError(CabFilename); }
  void MakeCabCancel(const std::string&) override { VexaCB1_MakeCabCancel(); }

  // Lets the wizard process its pending events, then delivers the component's.
  void DoEvents();
  // Waits for the running cabinet build: up to 500 ms at a time (less when the component
  // has something to say), then the window's events, while KeepWorking.
  void WaitForCabBuild();
  void ShowOk(const std::string& text, const std::string& title = "");
  // The component cabinets: each made (the loader's copied and signed) and described for
  // the web script; false when one fails, its message shown.
  bool PublishComponents(std::vector<WebScriptComponent>& components);
  bool PublishComponent(const std::string& line, bool is_dll, WebScriptComponent& component);
  // The program cabinets described for the web script, each split when it is to be.
  bool PublishProgramCabinets(std::vector<WebScriptProgramCabinet>& cabinets);
  std::string UninstallEntryLines();
  std::string ProgramVersionText();
  // Steps before the work: the checks, the ActiveX address, the Release directories
  // emptied (after asking when they hold files). False when the build stops there.
  bool PrepareRelease();
  // The package in its fixed order; false when a step failed (its message shown).
  bool BuildPackage();
  ReleaseResult Ended(ReleaseOutcome outcome) const { return {outcome, FieldValues()}; }
  ReleaseResult FailBuild();

  enum class SignCodeOutcome { Done, Cancelled, Failed };
  // The typed commands with "%3", "%1" (= `file`) and "%2" replaced, in that order.
  std::string SignCodeCommandText(const std::string& commands, const std::string& file) const;
  // Runs the lines one after the other, each to its end; the first failure or Cancel stops.
  SignCodeOutcome RunSignCodeLines(const std::vector<std::string>& lines);
  void NoteSignCodeOutcome(SignCodeOutcome outcome);
  // Sets the compression of the next cabinet build.
  void UseCompression(CabCompression compression);

  // The answers being built, with the fields the steps rewrite.
  ReleaseAnswers answers_;
  ReleaseHost* host_ = nullptr;
  CabWriterOptions writer_options_;
  std::optional<CabCompression> program_compression_;
  CabBuilder cab_;
  // What happened to the build's signing so far: a failure fails the build; after a Cancel
  // nothing more is signed.
  bool signing_failed_ = false;
  bool signing_cancelled_ = false;
};
