// The two scripts in the Setup script language: the Setup script packed into Setup.exe, and
// the web script that the browser-side loader reads from the script cabinet, written while
// the component cabinets are built. Every line ends with CR LF; values are written as they
// are, never escaped (the script language has no escape), in the package's code page
// (package_text.cpp); addresses are percent-encoded.
#include "build_clock.h"
#include "cache_directories.h"
#include "download_files.h"
#include "file_signature.h"
#include "form1.h"
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
std::string NodeFullPath(const ProgramGroupTree& tree, int index) {
  std::vector<int> chain;
  // Parents precede their children, so the walk up is at most as long as the tree.
  for (int at = index; tree.Valid(at) && chain.size() <= tree.nodes.size(); at = tree.nodes[static_cast<std::size_t>(at)].parent) {
    chain.push_back(at);
  }
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += "\\";
    path += tree.nodes[static_cast<std::size_t>(*it)].text;
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

}  // namespace

std::string ProgramGroupTree2String(const ProgramGroupTree& tree) {
  if (tree.nodes.empty()) return {};
  const std::string root = NodeFullPath(tree, 0);
  std::string text = "SetProductProgramGroup  " + Quoted("<ProgramsGroup>\\" + root) + kCrLf;
  for (std::size_t i = 1; i < tree.nodes.size(); ++i) {
    const ProgramGroupNode& node = tree.nodes[i];
    if (node.tag.empty()) continue;
    const std::string full_path = NodeFullPath(tree, static_cast<int>(i));
    const std::string group = "<ProductProgramGroup>" + full_path.substr(std::min(root.size(), full_path.size()));
    text += ScriptLine("CreateProgramGroup", {WithoutOneTrailingBackslash(ParentPath(group)), PathFileName(group),
                                              "<ProductDirectory>\\" + node.tag}) +
            kCrLf;
  }
  return text;
}

std::string ReleasePipeline::WizardVersionText() {
  const ProgramVersion version = host_->GetProgramVersion();
  return std::to_string(version.major) + "." + std::to_string(version.minor);
}

std::string ReleasePipeline::ScriptHeader(const std::string& file_name, bool with_version) {
  std::string text = kHeaderRule + kCrLf;
  text += "' File Name: " + file_name + kCrLf;
  text += std::string("'") + kCrLf;
  text += std::string("' This file was generated automatically with the ") + kCrLf;
  text += std::string("' Corvanta Scriptor.") + kCrLf;
  if (with_version) text += "' Version: " + WizardVersionText() + kCrLf;
  for (int i = 0; i < 3; ++i) text += std::string("'") + kCrLf;
  text += "' Created: " + DateTimeText(BuildTime()) + kCrLf;
  text += kHeaderRule + kCrLf;
  text += std::string(kCrLf) + kCrLf;
  return text;
}

std::string ReleasePipeline::SetupScriptText() {
  Form1& form = *form_;
  const std::string& name = form.txtProgramFriendlyName.text;
  std::string text = ScriptHeader("Script.txt", false);
  text += ProgramGroupTree2String(form.ProgramGroup) + kCrLf + kCrLf;
  text += ReadTextFile(form.ProjectFilesDirectory + "Custom.txt") + kCrLf + kCrLf;
  text += std::string("' Specify the product name.") + kCrLf + ScriptLine("SetProductName", {name}) + kCrLf + kCrLf;
  text += std::string("' Specify the default product directory.") + kCrLf +
          ScriptLine("SetProductDirectory", {"<ProgramFilesDir>\\" + name}) + kCrLf + kCrLf;
  // The cabinet on disk is "Program.cab" (the name it was built under, which a
  // case-sensitive file system needs); the script names it as the engine looks for it.
  const std::string program_cabinet = form.ProjectFilesDirectory + "Program.cab";
  const std::int64_t size = GetFileSize(program_cabinet);
  text += ScriptLine("InstallProgram", {"Program.Cab", std::to_string(size), GetFileInfo(program_cabinet), "0",
                                        std::to_string(4 * size), GetFileSignature(program_cabinet), ""}) +
          kCrLf + kCrLf;
  if (form.txtExeFilename.text != "<none>") {
    text += std::string("' Program To Execute.") + kCrLf +
            ScriptLine("Execute", {"<ProductDirectory>\\" + form.txtExeFilename.text});
    form.SetText(form.txtExeParas, TrimBlanks(form.txtExeParas.text));
    if (!form.txtExeParas.text.empty()) text += ", " + form.txtExeParas.text;
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
  const Form1& form = *form_;
  std::string text;
  const auto add = [&text](const char* command, const std::string& value) {
    const std::string argument = ScriptArgumentText(TrimBlanks(value));
    if (!argument.empty()) text += ScriptLine(command, {argument}) + kCrLf;
  };
  // The examples step 1 fills in are no company and no site of the developer's.
  add("SetPublisher", form.txtCompanyName.text == kExampleCompanyName ? "" : form.txtCompanyName.text);
  add("SetDisplayVersion", ProgramVersionText());
  const std::string web_site = form.txtWebSiteURL.text == kExampleBaseURL ? "" : form.txtWebSiteURL.text;
  add("SetURLInfoAbout", web_site);
  add("SetHelpLink", web_site);
  return text;
}

// The version of the program file to run; without one, the highest version among the
// ticked executables.
std::string ReleasePipeline::ProgramVersionText() {
  const Form1& form = *form_;
  const std::string program_directory = WithTrailingSeparator(form.txtDirectoryName.text);
  if (form.txtExeFilename.text != "<none>") {
    const std::string version = GetFileVersion(ResolvePathCase(program_directory + form.txtExeFilename.text));
    if (!version.empty()) return version;
  }
  const bool scanned = form.ProgramFileDiskPaths.size() == form.List1.lines.size();
  std::vector<std::string> versions;
  for (std::size_t i = 0; i < form.List1.lines.size(); ++i) {
    const std::string& line = form.List1.lines[i];  // lower case
    if (i >= form.List1.checked.size() || !form.List1.checked[i] || !line.ends_with(".exe")) continue;
    versions.push_back(GetFileVersion(scanned ? program_directory + form.ProgramFileDiskPaths[i]
                                              : ResolvePathCase(program_directory + line)));
  }
  return HighestVersion(versions);
}

bool ReleasePipeline::CreateScriptCabFile() {
  Form1& form = *form_;
  auto fail = [&form] {
    form.KeepWorking = false;
    return false;
  };
  const std::string base = StripExtension(form.ReleaseDirectory + form.txtHtmlFilenameNoPath.text);
  const std::string script_path = base + "Script.txt";
  std::string text = ScriptHeader(PathFileName(script_path), true);
  text += std::string("' Specify the default product directory.") + kCrLf +
          ScriptLine("SetProductDirectory", {"<TempDir>"}) + kCrLf + kCrLf;
  const std::string title = form.txtHtmlTitle.text.empty() ? "Installing Program" : form.txtHtmlTitle.text;
  text += std::string("' InstallDialogTitle.") + kCrLf + ScriptLine("SetInstallDialogTitle", {title}) + kCrLf + kCrLf;

  std::vector<std::string> entries = form.lstDLL.lines;
  const std::size_t dll_count = entries.size();
  entries.insert(entries.end(), form.lstOCX.lines.begin(), form.lstOCX.lines.end());
  for (std::size_t k = 0; k < entries.size(); ++k) {
    // The lists hold lower-cased paths (and the loader's upper-cased one): names come from
    // the line, as on Windows, and the file is read where a case-sensitive system keeps it.
    const std::string file = ResolvePathCase(entries[k]);
    const bool is_dll = k < dll_count;
    std::string line;
    if (k == dll_count) {
      text += kCrLf;
      line = "''' ";
    }
    const std::string version = GetFileVersion(file);
    const bool is_loader = UpperAscii(PathFileName(entries[k])) == UpperAscii(kLoaderControl);
    std::string cabinet;
    if (!is_loader) {
      cabinet = VexaGenerateCabFilename(entries[k], form.ReleaseActiveXDirectory);
      const std::string error = VexaCreateCabFromOneFile(cabinet, file, 0, ProgramCompression());
      if (!error.empty()) {
        ShowOk(error);
        return fail();
      }
    } else {
      cabinet = form.ReleaseActiveXDirectory + kLoaderCabinet;
      CopyWholeFile(form.WizardDirectory + kLoaderCabinet, cabinet);
      CopyWholeFile(form.WizardDirectory + kLoaderControl, form.ReleaseActiveXDirectory + kLoaderControl);
      // Signed before the web script records its size and signature.
      if (!SignEveryProgramFile(cabinet)) return fail();
    }
    std::vector<std::string> arguments{PercentEncodedUrl(form.txtActiveXUrl.text + PathFileName(cabinet)),
                                       std::to_string(GetFileSize(cabinet))};
    const std::string class_id = GetServerClassId(file, true);
    if (class_id.empty() && !is_dll && !is_loader) {
      host_->ShowMessage("The OCX/DLL file " + entries[k] + " that you selected in step 5 is not registered." + kCrLf +
                             kCrLf + "Solution: " + kCrLf +
                             "[] Go back to step 5, remove this OCX/DLL from the list." + kCrLf +
                             "[] If needed, register the OCX/DLL (e.g., use the RegSvr32 utility)." + kCrLf +
                             "[] In Step 5, add this OCX/DLL to the list.",
                         "Error", MessageIcon::Critical, MessageButtons::Ok);
      return fail();
    }
    arguments.push_back(ComponentFileName(entries[k]));
    arguments.push_back(version);
    if (!is_dll) arguments.push_back(class_id);
    arguments.push_back("0");
    arguments.push_back(std::to_string(GetFileSize(file)));
    const std::string signature = GetFileSignature(cabinet);
    if (signature.empty()) {
      ShowOk("Error. Cannot generate signature of cab file: " + cabinet);
      return fail();
    }
    arguments.push_back(signature);
    if (is_dll) arguments.push_back("");
    text += line + ScriptLine(is_dll ? "InstallDllFile" : "InstallOcxFile", arguments) + kCrLf;
  }
  text += std::string(kCrLf) + kCrLf;

  const bool minimize = form.chkCreateMultiProgramCabs.value != 0;
  for (const ProgramCabinetEntry& entry : ProgramCabinetList) {
    const std::string& cabinet = entry.path;
    const std::int64_t size = GetFileSize(cabinet);
    std::vector<std::string> arguments{PathFileName(cabinet), std::to_string(size), GetFileInfo(cabinet)};
    const int parts = SetupCabinetParts(size, minimize);
    if (parts > 0) {
      form.AppendWorkProgressLine("Splitting " + PathFileName(cabinet));
      const std::string error = SplitCab(cabinet, parts);
      if (!error.empty()) {
        ShowOk("Error. " + error);
        return fail();
      }
    }
    arguments.push_back(std::to_string(parts));
    arguments.push_back(std::to_string(4 * size));
    const std::string signature = GetFileSignature(cabinet);
    arguments.push_back(signature);
    if (SeedsLoaderCache()) {
      CopyWholeFile(cabinet, NativeDirectoryText(form.DownloadedProgramsCache +
                                                 CallFunction("LongSigToShortSig", signature) + ".cab"));
    }
    arguments.push_back(minimize ? entry.sub_directory : "");
    text += ScriptLine("InstallProgram", arguments) + kCrLf + kCrLf;
    if (parts > 1) RemoveNativeFile(cabinet);
  }

  form.SetText(form.txtExeParas, TrimBlanks(form.txtExeParas.text));
  text += std::string("' Program To Execute.") + kCrLf + ScriptLine("Execute", {"<ProductDirectory>\\Setup.exe"});
  if (!form.txtExeParas.text.empty()) text += ", " + form.txtExeParas.text;
  text += std::string(kCrLf) + kCrLf;
  text += std::string(kEndOfScript) + kCrLf;

  if (!WritePackageTextFile(text, script_path)) return fail();
  StampWithFixedBuildTime(script_path);
  const std::string error = VexaCreateCabFromOneFile(base + "Script.Cab", script_path, 6144);
  if (!error.empty()) {
    ShowOk(error);
    return fail();
  }
  RemoveNativeFile(script_path);
  return true;
}
