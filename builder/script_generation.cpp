// The two scripts in the Setup script language: the Setup script packed into Setup.exe, and
// the web script that the browser-side loader reads from the script cabinet, written while
// the component cabinets are built. Every line ends with CR LF; values are written as they
// are, never escaped (the script language has no escape), in the package's code page
// (package_text.cpp); addresses are percent-encoded.
#include "build_clock.h"
#include "cache_directories.h"
#include "download_files.h"
#include "file_signature.h"
#include "native_files.h"
#include "path_case.h"
#include "path_services.h"
#include "pe_version.h"
#include "release_pipeline.h"
#include "server_class_id.h"
#include "split_cab.h"
#include "version_order.h"
#include "text_files.h"

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kLoaderControl = "VexaLoad.ocx";
constexpr const char* kLoaderCabinet = "VexaLoad.cab";
constexpr const char* kEndOfScript = "'''''''''''''''' end of script ''''''''''''''''''";
const std::string kHeaderRule(49, '\'');

std::string Quoted(const std::string& value) { return "\"" + value + "\""; }

// Command word, a blank, then the quoted arguments separated by ", ".
std::string ScriptLine(const std::string& command, const std::vector<std::string>& arguments) {
  std::string line = command;
  for (std::size_t i = 0; i < arguments.size(); ++i) line += (i == 0 ? " " : ", ") + Quoted(arguments[i]);
  return line;
}

// The full path of a node: the texts from the root down, "\" between them.
std::string NodeFullPath(const std::vector<ProgramGroupEntry>& tree, int index) {
  const auto valid = [&tree](int at) { return at >= 0 && static_cast<std::size_t>(at) < tree.size(); };
  std::vector<int> chain;
  // Parents precede their children, so the walk up is at most as long as the tree.
  for (int at = index; valid(at) && chain.size() <= tree.size(); at = tree[static_cast<std::size_t>(at)].parent) {
    chain.push_back(at);
  }
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += "\\";
    path += tree[static_cast<std::size_t>(*it)].text;
  }
  return path;
}

// A value as a script argument: the script language has no escape, so a double quote
// becomes an apostrophe rather than end the argument early.
std::string ScriptArgumentText(std::string value) {
  for (char& c : value) {
    if (c == '"') c = '\'';
  }
  return value;
}

std::string WithoutOneTrailingBackslash(std::string text) {
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

// The comment block both scripts open with; an empty `version` leaves its line out.
std::string ScriptHeader(const std::string& file_name, const std::string& version, const std::string& created) {
  std::string text = kHeaderRule + kCrLf;
  text += "' File Name: " + file_name + kCrLf;
  text += std::string("'") + kCrLf;
  text += std::string("' This file was generated automatically with the ") + kCrLf;
  text += std::string("' Corvanta Scriptor.") + kCrLf;
  if (!version.empty()) text += "' Version: " + version + kCrLf;
  for (int i = 0; i < 3; ++i) text += std::string("'") + kCrLf;
  text += "' Created: " + created + kCrLf;
  text += kHeaderRule + kCrLf;
  text += std::string(kCrLf) + kCrLf;
  return text;
}

std::string ComponentLine(const WebScriptComponent& component) {
  std::vector<std::string> arguments{component.cabinet_url, std::to_string(component.cabinet_size),
                                     component.file_name, component.version};
  if (!component.is_dll) arguments.push_back(component.class_id);
  arguments.push_back("0");
  arguments.push_back(std::to_string(component.file_size));
  arguments.push_back(component.cabinet_signature);
  if (component.is_dll) arguments.push_back("");
  return ScriptLine(component.is_dll ? "InstallDllFile" : "InstallOcxFile", arguments);
}

std::string ProgramCabinetLine(const WebScriptProgramCabinet& cabinet) {
  return ScriptLine("InstallProgram", {cabinet.name, std::to_string(cabinet.size), cabinet.info,
                                       std::to_string(cabinet.parts), std::to_string(4 * cabinet.size),
                                       cabinet.signature, cabinet.sub_directory});
}

}  // namespace

std::string ProgramGroupTree2String(const std::vector<ProgramGroupEntry>& tree) {
  if (tree.empty()) return {};
  const std::string root = NodeFullPath(tree, 0);
  std::string text = "SetProductProgramGroup  " + Quoted("<ProgramsGroup>\\" + root) + kCrLf;
  for (std::size_t i = 1; i < tree.size(); ++i) {
    const ProgramGroupEntry& node = tree[i];
    if (node.link.empty()) continue;
    const std::string full_path = NodeFullPath(tree, static_cast<int>(i));
    const std::string group = "<ProductProgramGroup>" + full_path.substr(std::min(root.size(), full_path.size()));
    text += ScriptLine("CreateProgramGroup", {WithoutOneTrailingBackslash(ParentPath(group)), PathFileName(group),
                                              "<ProductDirectory>\\" + node.link}) +
            kCrLf;
  }
  return text;
}

std::string ReleasePipeline::SetupScriptText() {
  const std::string& name = answers_.ProgramFriendlyName;
  std::string text = ScriptHeader("Script.txt", "", DateTimeText(BuildTime()));
  text += ProgramGroupTree2String(answers_.ProgramGroup) + kCrLf + kCrLf;
  text += ReadTextFile(answers_.ProjectFilesDirectory + "Custom.txt") + kCrLf + kCrLf;
  text += std::string("' Specify the product name.") + kCrLf + ScriptLine("SetProductName", {name}) + kCrLf + kCrLf;
  text += std::string("' Specify the default product directory.") + kCrLf +
          ScriptLine("SetProductDirectory", {"<ProgramFilesDir>\\" + name}) + kCrLf + kCrLf;
  // The cabinet on disk is "Program.cab" (the name it was built under, which a
  // case-sensitive file system needs); the script names it as the engine looks for it.
  const std::string program_cabinet = answers_.ProjectFilesDirectory + "Program.cab";
  const std::int64_t size = GetFileSize(program_cabinet);
  text += ScriptLine("InstallProgram", {"Program.Cab", std::to_string(size), GetFileInfo(program_cabinet), "0",
                                        std::to_string(4 * size), GetFileSignature(program_cabinet), ""}) +
          kCrLf + kCrLf;
  if (answers_.ExeFilename != "<none>") {
    text += std::string("' Program To Execute.") + kCrLf +
            ScriptLine("Execute", {"<ProductDirectory>\\" + answers_.ExeFilename});
    answers_.ExeParas = TrimBlanks(answers_.ExeParas);
    if (!answers_.ExeParas.empty()) text += ", " + answers_.ExeParas;
  }
  text += kCrLf;
  text += ScriptLine("SetDoneMessage", {"Installation completed successfully."}) + kCrLf;
  text += UninstallEntryLines() + kCrLf;
  text += std::string(kEndOfScript) + kCrLf;
  return text;
}

// What the engine writes into the product's Add/Remove Programs entry beside its own
// values: the company, the program's version, the web site. A line is written only when
// there is a value, so a project without them gets the script it always got.
std::string ReleasePipeline::UninstallEntryLines() {
  std::string text;
  const auto add = [&text](const char* command, const std::string& value) {
    const std::string argument = ScriptArgumentText(TrimBlanks(value));
    if (!argument.empty()) text += ScriptLine(command, {argument}) + kCrLf;
  };
  add("SetPublisher", answers_.CompanyName);
  add("SetDisplayVersion", ProgramVersionText());
  add("SetURLInfoAbout", answers_.WebSiteURL);
  add("SetHelpLink", answers_.WebSiteURL);
  return text;
}

// The version of the program file to run; without one, the highest version among the
// ticked executables.
std::string ReleasePipeline::ProgramVersionText() {
  if (answers_.ExeFilename != "<none>") {
    const std::string version = GetFileVersion(ResolvePathCase(answers_.ProgramDirectory + answers_.ExeFilename));
    if (!version.empty()) return version;
  }
  std::vector<std::string> versions;
  for (const TickedProgramFile& file : answers_.ProgramFiles) {
    if (file.line.ends_with(".exe")) versions.push_back(GetFileVersion(file.source));  // lines are lower case
  }
  return HighestVersion(versions);
}

// The controls follow the DLLs after a blank line, the first of them behind a comment mark.
std::string WebScriptText(const WebScript& script) {
  std::string text = ScriptHeader(script.file_name, script.wizard_version, script.created);
  text += std::string("' Specify the default product directory.") + kCrLf +
          ScriptLine("SetProductDirectory", {"<TempDir>"}) + kCrLf + kCrLf;
  text += std::string("' InstallDialogTitle.") + kCrLf + ScriptLine("SetInstallDialogTitle", {script.title}) + kCrLf +
          kCrLf;
  bool first_control = true;
  for (const WebScriptComponent& component : script.components) {
    if (!component.is_dll && first_control) {
      first_control = false;
      text += std::string(kCrLf) + "''' ";
    }
    text += ComponentLine(component) + kCrLf;
  }
  text += std::string(kCrLf) + kCrLf;
  for (const WebScriptProgramCabinet& cabinet : script.program_cabinets) {
    text += ProgramCabinetLine(cabinet) + kCrLf + kCrLf;
  }
  text += std::string("' Program To Execute.") + kCrLf + ScriptLine("Execute", {"<ProductDirectory>\\Setup.exe"});
  if (!script.setup_parameters.empty()) text += ", " + script.setup_parameters;
  text += std::string(kCrLf) + kCrLf;
  text += std::string(kEndOfScript) + kCrLf;
  return text;
}

bool ReleasePipeline::PublishComponents(std::vector<WebScriptComponent>& components) {
  components.clear();
  for (const std::string& line : answers_.DllFiles) {
    if (!PublishComponent(line, true, components.emplace_back())) return false;
  }
  for (const std::string& line : answers_.OcxFiles) {
    if (!PublishComponent(line, false, components.emplace_back())) return false;
  }
  return true;
}

bool ReleasePipeline::PublishComponent(const std::string& line, bool is_dll, WebScriptComponent& component) {
  // The lists hold lower-cased paths (and the loader's upper-cased one): names come from
  // the line, as on Windows, and the file is read where a case-sensitive system keeps it.
  const std::string file = ResolvePathCase(line);
  component.is_dll = is_dll;
  component.version = GetFileVersion(file);
  const bool is_loader = UpperAscii(PathFileName(line)) == UpperAscii(kLoaderControl);
  std::string cabinet;
  if (!is_loader) {
    cabinet = VexaGenerateCabFilename(line, answers_.ReleaseActiveXDirectory);
    const std::string error = VexaCreateCabFromOneFile(cabinet, file, 0, ProgramCompression());
    if (!error.empty()) {
      ShowOk(error);
      return false;
    }
  } else {
    cabinet = answers_.ReleaseActiveXDirectory + kLoaderCabinet;
    CopyWholeFile(answers_.WizardDirectory + kLoaderCabinet, cabinet);
    CopyWholeFile(answers_.WizardDirectory + kLoaderControl, answers_.ReleaseActiveXDirectory + kLoaderControl);
    // Signed before the web script records its size and signature.
    if (!SignEveryProgramFile(cabinet)) return false;
  }
  component.cabinet_url = PercentEncodedUrl(answers_.ActiveXUrl + PathFileName(cabinet));
  component.cabinet_size = GetFileSize(cabinet);
  component.class_id = GetServerClassId(file, true);
  if (component.class_id.empty() && !is_dll && !is_loader) {
    host_->ShowCriticalMessage("The OCX/DLL file " + line + " that you selected in step 5 is not registered." +
                                   kCrLf + kCrLf + "Solution: " + kCrLf +
                                   "[] Go back to step 5, remove this OCX/DLL from the list." + kCrLf +
                                   "[] If needed, register the OCX/DLL (e.g., use the RegSvr32 utility)." + kCrLf +
                                   "[] In Step 5, add this OCX/DLL to the list.",
                               "Error");
    return false;
  }
  component.file_name = ComponentFileName(line);
  component.file_size = GetFileSize(file);
  component.cabinet_signature = GetFileSignature(cabinet);
  if (component.cabinet_signature.empty()) {
    ShowOk("Error. Cannot generate signature of cab file: " + cabinet);
    return false;
  }
  return true;
}

bool ReleasePipeline::PublishProgramCabinets(std::vector<WebScriptProgramCabinet>& cabinets) {
  cabinets.clear();
  for (const ProgramCabinetEntry& entry : ProgramCabinetList) {
    WebScriptProgramCabinet& cabinet = cabinets.emplace_back();
    cabinet.name = PathFileName(entry.path);
    cabinet.size = GetFileSize(entry.path);
    cabinet.info = GetFileInfo(entry.path);
    cabinet.parts = SetupCabinetParts(cabinet.size, answers_.MinimizeDownloadTime);
    if (cabinet.parts > 0) {
      host_->AppendProgressLine("Splitting " + cabinet.name);
      const std::string error = SplitCab(entry.path, cabinet.parts);
      if (!error.empty()) {
        ShowOk("Error. " + error);
        return false;
      }
    }
    cabinet.signature = GetFileSignature(entry.path);
    if (SeedsLoaderCache()) {
      CopyWholeFile(entry.path, NativeDirectoryText(answers_.DownloadedProgramsCache +
                                                    CallFunction("LongSigToShortSig", cabinet.signature) + ".cab"));
    }
    cabinet.sub_directory = answers_.MinimizeDownloadTime ? entry.sub_directory : "";
    if (cabinet.parts > 1) RemoveNativeFile(entry.path);
  }
  return true;
}

bool ReleasePipeline::CreateScriptCabFile() {
  const std::string base = StripExtension(answers_.ReleaseDirectory + answers_.HtmlFilenameNoPath);
  const std::string script_path = base + "Script.txt";
  WebScript script;
  script.file_name = PathFileName(script_path);
  script.wizard_version = answers_.WizardVersion;
  script.created = DateTimeText(BuildTime());
  script.title = answers_.HtmlTitle.empty() ? "Installing Program" : answers_.HtmlTitle;
  const auto fail = [this] {
    host_->SetKeepWorking(false);
    return false;
  };
  if (!PublishComponents(script.components) || !PublishProgramCabinets(script.program_cabinets)) return fail();
  answers_.ExeParas = TrimBlanks(answers_.ExeParas);
  script.setup_parameters = answers_.ExeParas;
  if (!WritePackageTextFile(WebScriptText(script), script_path)) return fail();
  StampWithFixedBuildTime(script_path);
  const std::string error = VexaCreateCabFromOneFile(base + "Script.Cab", script_path, 6144);
  if (!error.empty()) {
    ShowOk(error);
    return fail();
  }
  RemoveNativeFile(script_path);
  return true;
}
