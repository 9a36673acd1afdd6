// Step 5: the shared OCX and DLL lists with their Add and Remove buttons and the
// registration check.
//
// Every component is published as its own cabinet in the ActiveX directory, named after
// its file name without extension (see ComponentCabinetName). Two components whose names
// differ only in their extension or directory would be published in one cabinet, the
// second silently replacing the first; such a second component is refused when added.
#include "form1.h"
#include "path_case.h"
#include "path_services.h"
#include "pe_resources.h"
#include "server_class_id.h"

namespace {

constexpr const char* kLoaderControl = "VexaLoad.ocx";
constexpr const char* kOcxFilter = "OCX files (*.ocx)|*.ocx|DLL files (*.dll)|*.dll|All files (*.*)|*.*||";
constexpr const char* kDllFilter = "DLL files (*.dll)|*.dll|All files (*.*)|*.*||";

bool ListHoldsPath(const ListBox& list, const std::string& path) {
  const std::string wanted = UpperAscii(path);
  for (const std::string& line : list.lines) {
    if (UpperAscii(line) == wanted) return true;
  }
  return false;
}

// A component is installed into the end user's system directory and loaded from there: a
// file that is no Windows library (a text, a program, a library for another machine) must
// not be published as one.
bool RefuseNonLibrary(Host& host, const std::string& path, const std::string& on_disk) {
  if (IsWindowsLibraryFile(on_disk)) return false;
  host.ShowMessage("The file you selected: \r\n\r\n" + path +
                       "\r\n\r\nis not a DLL or OCX file for Windows (x86, x64, ARM or ARM64). You must select a "
                       "DLL or OCX file.",
                   "Error", MessageIcon::Exclamation, MessageButtons::Ok);
  return true;
}

void ShowOk(Host& host, const std::string& text) {
  host.ShowMessage(text, "", MessageIcon::None, MessageButtons::Ok);
}

// The current line goes; the line now at its index becomes current, or the new last line.
void RemoveCurrentLine(ListBox& list) {
  list.lines.erase(list.lines.begin() + list.list_index);
  if (list.list_index >= list.ListCount()) list.list_index = list.ListCount() - 1;
}

}  // namespace

// The line of either list that would be published under the same cabinet as `path`;
// empty when there is none. Cabinet names are compared as the file system of the web
// server's Windows publisher would: without regard to case.
std::string Form1::ComponentSharingCabinet(const std::string& path) const {
  const std::string wanted = UpperAscii(ComponentCabinetName(path));
  for (const ListBox* list : {&lstOCX, &lstDLL}) {
    for (const std::string& line : list->lines) {
      if (UpperAscii(ComponentCabinetName(line)) == wanted) return line;
    }
  }
  return {};
}

bool Form1::RefuseSharedCabinet(const std::string& path) {
  const std::string other = ComponentSharingCabinet(path);
  if (other.empty()) return false;
  host_.ShowMessage("Error. The file you selected would be published in the cabinet " + ComponentCabinetName(path) +
                        ", which already holds " + other + ". Two components cannot share one cabinet name.",
                    "Error", MessageIcon::Exclamation, MessageButtons::Ok);
  return true;
}

void Form1::AppendComponent(ListBox& list, Control& remove_button, const std::string& path) {
  list.AddItem(LowerAscii(path));
  list.list_index = list.ListCount() - 1;
  remove_button.enabled = true;
}

void Form1::cmdAddOCX_Click() {
  if (Ended) return;
  const std::string path = host_.BrowseForFile(kOcxFilter, "ocx");
  if (path.empty()) return;
  const std::string on_disk = ResolvePathCase(path);
  if (!PathExists(on_disk)) return ShowOk(host_, "Error. Selected file does not exist.");
  if (UpperAscii(PathFileName(path)) == UpperAscii(kLoaderControl)) {
    return ShowOk(host_, std::string("Error. You cannot add ") + kLoaderControl +
                             " to the list (it was added automatically).");
  }
  if (ListHoldsPath(lstOCX, path)) return ShowOk(host_, "The file you selected is already in the list.");
  if (ListHoldsPath(lstDLL, path)) return ShowOk(host_, "The file you selected is already in the DLL list.");
  if (RefuseNonLibrary(host_, path, on_disk)) return;
  const std::string last_three = UpperAscii(path.size() >= 3 ? path.substr(path.size() - 3) : path);
  const std::string registration =
      last_three == "OCX" ? GetOcxRegistration(on_disk, true) : GetServerClassId(on_disk, true);
  if (registration.empty()) {
    host_.ShowMessage("The file you selected: \r\n\r\n" + path +
                          "\r\n\r\nis not a registered OCX/DLL file. You must select a file that is registered.",
                      "Error", MessageIcon::Exclamation, MessageButtons::Ok);
    return;
  }
  if (RefuseSharedCabinet(path)) return;
  AppendComponent(lstOCX, cmdRemoveOCX, path);
}

void Form1::cmdAddDLL_Click() {
  if (Ended) return;
  const std::string path = host_.BrowseForFile(kDllFilter, "dll");
  if (path.empty()) return;
  const std::string on_disk = ResolvePathCase(path);
  if (!PathExists(on_disk)) return ShowOk(host_, "Error. Selected file does not exist.");
  if (ListHoldsPath(lstDLL, path)) return ShowOk(host_, "The file you selected is already in the list.");
  if (ListHoldsPath(lstOCX, path)) return ShowOk(host_, "The file you selected is already in the OCX list.");
  if (RefuseNonLibrary(host_, path, on_disk)) return;
  if (RefuseSharedCabinet(path)) return;
  AppendComponent(lstDLL, cmdRemoveDLL, path);
}

void Form1::cmdRemoveOCX_Click() {
  if (lstOCX.lines.empty() || lstOCX.list_index <= 0 || lstOCX.list_index >= lstOCX.ListCount()) return;
  RemoveCurrentLine(lstOCX);
  cmdRemoveOCX.enabled = lstOCX.list_index > 0;
}

void Form1::cmdRemoveDLL_Click() {
  if (lstDLL.lines.empty() || lstDLL.list_index < 0 || lstDLL.list_index >= lstDLL.ListCount()) return;
  RemoveCurrentLine(lstDLL);
  cmdRemoveDLL.enabled = !lstDLL.lines.empty();
}

void Form1::lstOCX_Click() { cmdRemoveOCX.enabled = lstOCX.list_index != 0; }

// The loader control on line 0 of lstOCX is the wizard's own and is not checked.
bool Form1::ValidateComponentLists() {
  for (ListBox* list : {&lstDLL, &lstOCX}) {
    for (std::size_t i = list == &lstOCX ? 1 : 0; i < list->lines.size(); ++i) {
      const std::string on_disk = ResolvePathCase(list->lines[i]);
      if (!PathExists(on_disk) || IsWindowsLibraryFile(on_disk)) continue;
      list->list_index = static_cast<int>(i);
      host_.ShowMessage("The component " + list->lines[i] +
                            " in the list is not a DLL or OCX file for Windows (x86, x64, ARM or ARM64). Remove it "
                            "from the list.",
                        "Error", MessageIcon::Exclamation, MessageButtons::Ok);
      SetFocus(*list);
      return false;
    }
  }
  return true;
}
