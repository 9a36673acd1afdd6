// Moving between the steps: Next with the validation of step 1 and the rules of entering a
// step, Back without either, and the window caption.
#include <algorithm>
#include <charconv>
#include <cctype>

#include "form1.h"
#include "path_services.h"

namespace {

constexpr const char* kStepMessageTitle = "Wizard";
constexpr const char* kForbiddenNameCharacters = "\\/:*?\"<>|";
constexpr const char* kNoRunFile = "<none>";
constexpr int kMaxPort = 65535;

bool IsAsciiAlphanumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// A host name (letters, digits, '-' and '.'), an IPv4 address, or an IPv6 address in
// brackets, optionally followed by ":port".
bool IsHostAndPort(const std::string& authority) {
  std::size_t host_end = authority.size();
  std::size_t port_start = std::string::npos;
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string::npos || close == 1) return false;
    for (std::size_t i = 1; i < close; ++i) {
      const char c = authority[i];
      if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
    }
    host_end = close + 1;
    if (host_end < authority.size()) {
      if (authority[host_end] != ':') return false;
      port_start = host_end + 1;
    }
  } else {
    const std::size_t colon = authority.find(':');
    if (colon != std::string::npos) {
      host_end = colon;
      port_start = colon + 1;
    }
    if (host_end == 0) return false;
    for (std::size_t i = 0; i < host_end; ++i) {
      const char c = authority[i];
      if (!IsAsciiAlphanumeric(c) && c != '-' && c != '.') return false;
    }
  }
  if (port_start == std::string::npos) return true;
  const std::string port = authority.substr(port_start);
  if (port.empty() || port.size() > 5) return false;
  int number = 0;
  const char* end = port.data() + port.size();
  const auto [stop, error] = std::from_chars(port.data(), end, number);
  return error == std::errc() && stop == end && number >= 1 && number <= kMaxPort;
}

}  // namespace

// The end user's loader downloads every file of the package from these addresses, and the
// scripts carry them between double quotes: only an absolute http or https address that
// names a server (no user name, query or fragment, no quote or control character) can
// serve. A path may hold spaces: it is often named after a program directory.
bool IsWebDirectoryUrl(const std::string& url) {
  const std::string lower = LowerAscii(url);
  std::size_t authority_start = 0;
  if (lower.rfind("http://", 0) == 0) authority_start = 7;
  else if (lower.rfind("https://", 0) == 0) authority_start = 8;
  else return false;
  for (const char c : url) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"' || c == '?' || c == '#' ||
        c == '<' || c == '>') {
      return false;
    }
  }
  const std::size_t path_start = url.find('/', authority_start);
  const std::string authority =
      url.substr(authority_start, path_start == std::string::npos ? std::string::npos : path_start - authority_start);
  return IsHostAndPort(authority);
}

bool Form1::ValidateProgramFriendlyName() const {
  return txtProgramFriendlyName.text.find_first_of(kForbiddenNameCharacters) == std::string::npos;
}

// The checks of leaving step 1, in their order; the first failure shows its message, puts
// the focus in its field and leaves every field as the trimming made it.
bool Form1::ValidateStep1() {
  const std::string quote = "\"";
  for (TextBox* box : {&txtWebSiteURL, &txtPublicationURL, &txtActiveXUrl, &txtCompanyName, &txtProgramFriendlyName}) {
    SetText(*box, TrimBlanks(box->text));
  }
  auto fail = [&](const std::string& message, const TextBox& field) {
    host_.ShowMessage(message, kStepMessageTitle, MessageIcon::None, MessageButtons::Ok);
    SetFocus(field);
    return false;
  };
  if (!ValidateProgramFriendlyName()) {
    return fail("The Program Friendly Name cannot contain any of the following characters: \r\n\\ / : * ? " + quote +
                    " < > |",
                txtProgramFriendlyName);
  }
  if (txtWebSiteURL.text.empty()) {
    return fail(std::string("Before advancing to the next step, you must type the base URL address ") +
                    "of your web site. If you are only experimenting locally, you can " + "type: " + kExampleBaseURL,
                txtWebSiteURL);
  }
  if (txtPublicationURL.text.empty()) {
    return fail(std::string("Before advancing to the next step, you must type the URL address ") +
                    "where the resultant Web Setup program will be stored. If you are only experimenting locally, "
                    "you can " +
                    "type: " + kExampleBaseURL + "MyWebSetup/",
                txtPublicationURL);
  }
  if (txtActiveXUrl.text.empty()) {
    return fail(std::string("Before advancing to the next step, you must type the URL address ") +
                    "on your web site where ActiveX files and DLL files are stored. If you are only experimenting "
                    "locally, you can " +
                    "type: " + kExampleBaseURL + "ActiveX/",
                txtActiveXUrl);
  }
  if (txtProgramFriendlyName.text.empty()) {
    return fail("Before advancing to the next step, you must type the program friendly name.", txtProgramFriendlyName);
  }
  const std::string complete = " must be a complete address beginning with http:// or https:// and naming the web "
                               "server, for example: ";
  if (!IsWebDirectoryUrl(txtWebSiteURL.text)) {
    return fail("The base URL address of your web site" + complete + kExampleBaseURL, txtWebSiteURL);
  }
  if (!IsWebDirectoryUrl(txtPublicationURL.text)) {
    return fail("The URL address where the resultant Web Setup program will be stored" + complete + kExampleBaseURL +
                    "MyWebSetup/",
                txtPublicationURL);
  }
  if (!IsWebDirectoryUrl(txtActiveXUrl.text)) {
    return fail("The URL address on your web site where ActiveX files and DLL files are stored" + complete +
                    kExampleBaseURL + "ActiveX/",
                txtActiveXUrl);
  }
  for (TextBox* box : {&txtWebSiteURL, &txtPublicationURL, &txtActiveXUrl}) {
    if (box->text.back() != '/') SetText(*box, box->text + "/");
  }
  return true;
}

// A link is written into the Setup script as "<ProductDirectory>\" + the link: anything but
// a program file the package installs (a path of its own, a file not ticked, a file
// unticked after it was linked) makes a shortcut to nothing, or to outside the product.
bool Form1::ValidateProgramGroupLinks() {
  std::vector<std::string> ticked = TickedProgramFiles();
  for (std::string& file : ticked) file = LowerAscii(file);
  std::sort(ticked.begin(), ticked.end());
  for (std::size_t i = 0; i < ProgramGroup.nodes.size(); ++i) {
    const ProgramGroupNode& node = ProgramGroup.nodes[i];
    if (node.tag.empty() || std::binary_search(ticked.begin(), ticked.end(), LowerAscii(node.tag))) continue;
    ProgramGroup.selected = static_cast<int>(i);
    host_.ShowMessage("The shortcut \"" + node.text + "\" links to " + node.tag +
                          ", which is not a program file ticked in step 2. Link the shortcut to a ticked program "
                          "file, or unlink it.",
                      kStepMessageTitle, MessageIcon::None, MessageButtons::Ok);
    SetFocus(TreeView1);
    return false;
  }
  return true;
}

void Form1::cmdNext_Click() {
  if (Ended || CurrentStep < 0 || CurrentStep >= kFinalStep) return;
  if (CurrentStep == 1 && !ValidateStep1()) return;
  if (CurrentStep == 4 && !ValidateProgramGroupLinks()) return;
  if (CurrentStep == 5 && !ValidateComponentLists()) return;
  fraStep[static_cast<std::size_t>(CurrentStep)].visible = false;
  ++CurrentStep;
  Caption = std::string(kWizardTitle) +
            (CurrentStep == kFinalStep ? std::string(" - Final Step") : " - Step " + SignedNumberText(CurrentStep));
  fraStep[static_cast<std::size_t>(CurrentStep)].visible = true;
  cmdNext.enabled = false;
  cmdBack.enabled = true;
  ShowPicLogoForPanel(CurrentStep);
  EnterStep(CurrentStep);
}

void Form1::cmdBack_Click() {
  if (Ended || CurrentStep <= 0 || CurrentStep > kWorkingStep) return;
  fraStep[static_cast<std::size_t>(CurrentStep)].visible = false;
  --CurrentStep;
  Caption = std::string(kWizardTitle) +
            (CurrentStep == 0 ? std::string(" - Introduction") : " - Step " + SignedNumberText(CurrentStep));
  cmdFinish.enabled = CurrentStep == kFinalStep;
  fraStep[static_cast<std::size_t>(CurrentStep)].visible = true;
  cmdNext.enabled = true;
  cmdBack.enabled = CurrentStep != 0;
  ShowPicLogoForPanel(CurrentStep);
}

void Form1::EnterStep(int step) {
  switch (step) {
    case 1:
      cmdNext.enabled = !txtDirectoryName.text.empty();
      SetFocus(cmdNext.enabled ? cmdNext : cmdSelectDirectory);
      break;
    case 2:
      CountTickedProgramFiles();
      UpdateStep2Next();
      break;
    case 3:
      EnterStep3();
      break;
    case 4:
      EnterStep4();
      break;
    case 5:
      EnterStep5();
      break;
    case 6:
      EnterStep6();
      break;
    default:
      break;
  }
}

void Form1::EnterStep3() {
  List3.Clear();
  List3.AddItem(kNoRunFile);
  for (std::string& file : TickedProgramFiles()) List3.AddItem(std::move(file));
  const auto chosen = std::find(List3.lines.begin(), List3.lines.end(), txtExeFilename.text);
  List3.list_index = chosen == List3.lines.end() ? 0 : static_cast<int>(chosen - List3.lines.begin());
  // A remembered run file that is no longer ticked is not kept behind the chosen line.
  List3_Click();
  cmdNext.enabled = true;
}

void Form1::EnterStep4() {
  cmdNext.enabled = true;
  SetFocus(TreeView1);  // the step's work is in the tree, from the keyboard as well
  lstLinkTo.Clear();
  for (std::string& file : TickedProgramFiles()) lstLinkTo.AddItem(std::move(file));
  if (ProgramGroup.nodes.size() == 1 && ProgramGroup.nodes[0].text == kDefaultRootText) {
    ProgramGroup.nodes[0].text = txtProgramFriendlyName.text;
  }
}

// Line 0 of the OCX list is always the loader control beside the wizard.
void Form1::EnterStep5() {
  const std::string loader = UpperAscii(WizardDirectory + "VexaLoad.ocx");
  if (lstOCX.lines.empty()) {
    lstOCX.lines.insert(lstOCX.lines.begin(), loader);
  } else {
    lstOCX.lines[0] = loader;
  }
  for (ListBox* list : {&lstOCX, &lstDLL}) {
    if (list->list_index < 0 && !list->lines.empty()) list->list_index = 0;
  }
  cmdRemoveOCX.enabled = lstOCX.list_index > 0;
  cmdRemoveDLL.enabled = !lstDLL.lines.empty();
  cmdNext.enabled = true;
}

void Form1::EnterStep6() {
  cmdNext.enabled = false;
  cmdFinish.enabled = true;
  SetFocus(cmdFinish);  // Next is disabled on the last step: Finish is the way on
  if (txtHtmlTitle.text.empty()) SetText(txtHtmlTitle, txtProgramFriendlyName.text + " Web Setup Page");
  std::string directory = ProgramDirectory;
  if (!directory.empty() && IsPathSeparator(directory.back())) directory.pop_back();
  const std::string last_component = PathFileName(directory);
  // The names become parts of URLs and file names on the end user's PC: only characters
  // every URL and file system takes are kept (a directory "Café Über" gives "CafBer").
  if (txtHtmlFilenameNoPath.text.empty()) {
    std::string base = WebFileNameCharacters(StripExtension(last_component));
    if (base.empty() || base.find_first_not_of('.') == std::string::npos) base = "WebSetup";
    SetText(txtHtmlFilenameNoPath, base + ".htm");
  }
  if (TrimBlanks(txtStandAloneExeFilenameNoPath.text).empty()) {
    SetText(txtStandAloneExeFilenameNoPath, WebFileNameCharacters(last_component) + "WebSetup.exe");
  }
}
