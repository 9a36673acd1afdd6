// Reading a program group tree file ("ProgramGroup.txt") from arbitrary bytes. Whatever the
// file holds, the tree keeps its invariants; the strict reader of a named file agrees with
// it or refuses; it is written and read back unchanged; and
// the editing commands keep the invariants on it (create under the last node, link it,
// delete the second node).
#include <cstdint>
#include <string>

#include "form1.h"
#include "text_files.h"
#include "wizard_fuzz_support.h"

namespace {

// frmLinkTo's user picks its current line.
class LinkingHost : public SilentHost {
 public:
  void ShowModalWindow(ModalWindow window) override {
    if (window != ModalWindow::LinkTo || !form) return;
    form->lstLinkTo.list_index = form->lstLinkTo.ListCount() - 1;
    form->frmLinkTo_cmdOK_Click();
  }
  Form1* form = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& work = WorkDirectory();
  const std::string path = work + "ProgramGroup.txt";
  WriteTextFile(std::string(reinterpret_cast<const char*>(data), size), path);
  LinkingHost host;
  host.wizard_directory = work + "wizard";
  Form1 form(host);
  host.form = &form;
  form.TextFile2ProgramGroupTree(path);
  const ProgramGroupTree loaded = form.ProgramGroup;
  CheckTree(loaded);
  Check(form.UntitledCounter >= 0);

  // The strict reader of a named file accepts only what the lenient one reads the same way,
  // and leaves the tree alone when it refuses.
  std::string reason;
  form.InitializeProgramGroupTree();
  if (form.LoadProgramGroupTreeFile(path, reason)) {
    Check(SameTree(form.ProgramGroup, loaded));
  } else {
    Check(!reason.empty() && form.ProgramGroup.nodes.size() == 1);
  }
  form.ProgramGroup = loaded;

  form.ProgramGroupTree2TextFile(path);
  form.TextFile2ProgramGroupTree(path);
  Check(SameTree(form.ProgramGroup, loaded));

  form.ProgramGroup.selected = static_cast<int>(form.ProgramGroup.nodes.size() - 1);
  form.mnuCreateLeaf_Click();
  CheckTree(form.ProgramGroup);
  form.lstLinkTo.AddItem("linked.exe");
  form.lstLinkTo.list_index = 0;
  form.mnuLinkTo_Click();
  CheckTree(form.ProgramGroup);
  form.ProgramGroup.selected = form.ProgramGroup.nodes.size() > 1 ? 1 : 0;
  form.mnuDeleteLeaf_Click();
  CheckTree(form.ProgramGroup);
  return 0;
}
