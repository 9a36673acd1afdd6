// Step 5's component lists: the refusals, the Remove rules and the cabinet names. The
// registered components of each build are tested beside this file (type libraries natively,
// servers registered under Wine in the Windows build).
#include "component_lists_test.h"

const std::string kNotRegisteredEnd = "\r\n\r\nis not a registered OCX/DLL file. You must select a file that is registered.";

const std::string kNotALibraryEnd =
    "\r\n\r\nis not a DLL or OCX file for Windows (x86, x64, ARM or ARM64). You must select a DLL or OCX file.";

TEST_F(ComponentListsTest, RefusalsComeInTheirOrderAndLeaveTheListsAsTheyWere) {
  const std::string plain = Library("Plain.ocx");
  const std::string other_loader = Component("elsewhere/VEXALOAD.OCX", "x");
  AddOcx(scratch / "absent.ocx");
  EXPECT_EQ(host.OnlyMessage(), "Error. Selected file does not exist.");
  host.messages.clear();
  AddOcx(other_loader);
  EXPECT_EQ(host.OnlyMessage(), "Error. You cannot add VexaLoad.ocx to the list (it was added automatically).");
  host.messages.clear();
  AddOcx(plain);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The file you selected: \r\n\r\n" + plain + kNotRegisteredEnd);
  EXPECT_EQ(host.messages[0].title, "Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
  host.messages.clear();
  EXPECT_EQ(form->lstOCX.ListCount(), 1);
  // The dialog's filters and default extensions.
  EXPECT_EQ(host.file_requests.back().first,
            "OCX files (*.ocx)|*.ocx|DLL files (*.dll)|*.dll|All files (*.*)|*.*||");
  EXPECT_EQ(host.file_requests.back().second, "ocx");
  AddDll("");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.file_requests.back().first, "DLL files (*.dll)|*.dll|All files (*.*)|*.*||");
  EXPECT_EQ(host.file_requests.back().second, "dll");
}

TEST_F(ComponentListsTest, DllsAreAddedInLowerCaseAndDuplicatesAreRefusedWithoutRegardToCase) {
  const std::string helper = Library("Lib/Helper.DLL");
  AddDll(helper);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(form->lstDLL.lines, std::vector<std::string>{LowerAscii(helper)});
  EXPECT_EQ(form->lstDLL.list_index, 0);
  EXPECT_TRUE(form->cmdRemoveDLL.enabled);
  AddDll(UpperAscii(helper));
  EXPECT_EQ(host.OnlyMessage(), "The file you selected is already in the list.");
  host.messages.clear();
  // The loader is only refused by the OCX button; by the DLL button it is already listed.
  AddDll(wizard_directory + kDirectorySeparator + "VexaLoad.ocx");
  EXPECT_EQ(host.OnlyMessage(), "The file you selected is already in the OCX list.");
  host.messages.clear();
  // The lists hold lower case; the dialog answers in any case (natively the upper-cased
  // path still finds the file).
  const std::string control = Component("A/X.OCX", "x");
  form->lstOCX.lines.push_back(LowerAscii(control));
  AddOcx(UpperAscii(control));
  EXPECT_EQ(host.OnlyMessage(), "The file you selected is already in the list.");
  host.messages.clear();
  form->lstOCX.lines.pop_back();
  form->lstDLL.lines.push_back(LowerAscii(control));
  AddOcx(UpperAscii(control));
  EXPECT_EQ(host.OnlyMessage(), "The file you selected is already in the DLL list.");
  EXPECT_EQ(form->lstOCX.ListCount(), 1);
}

TEST_F(ComponentListsTest, ASecondComponentOfTheSameCabinetNameIsRefused) {
  const std::string first = Library("one/Shared.dll");
  const std::string second = Library("two/SHARED.dll");
  const std::string third = Library("three/shared.exe");
  const std::string loader_named = Library("vexaload.dll");
  AddDll(first);
  ASSERT_TRUE(host.messages.empty());
  for (const std::string& path : {second, third}) {
    AddDll(path);
    ASSERT_EQ(host.messages.size(), 1u) << path;
    EXPECT_EQ(host.messages[0].text, "Error. The file you selected would be published in the cabinet " +
                                         ComponentCabinetName(path) + ", which already holds " + LowerAscii(first) +
                                         ". Two components cannot share one cabinet name.");
    EXPECT_EQ(host.messages[0].title, "Error");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
    host.messages.clear();
  }
  // The loader's own cabinet is VexaLoad.cab.
  AddDll(loader_named);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find("which already holds " + form->lstOCX.lines[0]), std::string::npos)
      << host.messages[0].text;
  EXPECT_EQ(form->lstDLL.ListCount(), 1);
  EXPECT_EQ(ComponentCabinetName("C:\\WINDOWS\\SYSTEM\\COMCTL32.OCX"), "COMCTL32.Cab");
}

TEST_F(ComponentListsTest, RemoveNeverTakesTheLoaderAndKeepsACurrentLine) {
  EXPECT_FALSE(form->cmdRemoveOCX.enabled);
  form->cmdRemoveOCX_Click();
  EXPECT_EQ(form->lstOCX.ListCount(), 1);
  form->lstOCX.lines.insert(form->lstOCX.lines.end(), {"c:\\c\\one.ocx", "c:\\c\\two.ocx"});
  form->lstOCX.list_index = 2;
  form->lstOCX_Click();
  EXPECT_TRUE(form->cmdRemoveOCX.enabled);
  form->cmdRemoveOCX_Click();
  EXPECT_EQ(form->lstOCX.lines.back(), "c:\\c\\one.ocx");
  EXPECT_EQ(form->lstOCX.list_index, 1);
  EXPECT_TRUE(form->cmdRemoveOCX.enabled);
  form->cmdRemoveOCX_Click();
  EXPECT_EQ(form->lstOCX.ListCount(), 1);
  EXPECT_EQ(form->lstOCX.list_index, 0);
  EXPECT_FALSE(form->cmdRemoveOCX.enabled);
  form->cmdRemoveOCX_Click();
  EXPECT_EQ(form->lstOCX.ListCount(), 1);

  form->lstDLL.lines = {"c:\\d\\a.dll", "c:\\d\\b.dll", "c:\\d\\c.dll"};
  form->lstDLL.list_index = 2;
  form->cmdRemoveDLL_Click();
  EXPECT_EQ(form->lstDLL.list_index, 1);
  form->lstDLL.list_index = 0;
  form->cmdRemoveDLL_Click();
  EXPECT_EQ(form->lstDLL.lines, std::vector<std::string>{"c:\\d\\b.dll"});
  EXPECT_EQ(form->lstDLL.list_index, 0);
  EXPECT_TRUE(form->cmdRemoveDLL.enabled);
  form->cmdRemoveDLL_Click();
  EXPECT_TRUE(form->lstDLL.lines.empty());
  EXPECT_EQ(form->lstDLL.list_index, -1);
  EXPECT_FALSE(form->cmdRemoveDLL.enabled);
  form->cmdRemoveDLL_Click();
}

// What is installed into the end user's system directory must be a Windows library: a text
// file, a program, or a library for a machine Windows does not run is refused by both
// buttons, before it can enter either list.
TEST_F(ComponentListsTest, OnlyWindowsLibrariesOfAKnownMachineAreComponents) {
  std::string other_machine = ReadFileBytes(VEXA_PE_LIBRARY);
  const std::size_t pe = static_cast<unsigned char>(other_machine[0x3C]) |
                         (static_cast<std::size_t>(static_cast<unsigned char>(other_machine[0x3D])) << 8);
  other_machine[pe + 4] = '\x66';  // IMAGE_FILE_MACHINE_MIPS16 (0x0266)
  other_machine[pe + 5] = '\x02';
  std::string program = ReadFileBytes(VEXA_PE_LIBRARY);
  program[pe + 4 + 19] = static_cast<char>(program[pe + 4 + 19] & ~0x20);  // IMAGE_FILE_DLL cleared
  for (const std::string& path : {Component("ReadMe.txt", "Read me first.\r\n"), Component("Empty.dll", ""),
                                  Component("Truncated.dll", ReadFileBytes(VEXA_PE_LIBRARY).substr(0, 0x40)),
                                  Component("Mips.dll", other_machine), Component("Program.ocx", program)}) {
    SCOPED_TRACE(path);
    AddDll(path);
    AddOcx(path);
    ASSERT_EQ(host.messages.size(), 2u);
    for (const RecordedMessage& message : host.messages) {
      EXPECT_EQ(message.text, "The file you selected: \r\n\r\n" + path + kNotALibraryEnd);
      EXPECT_EQ(message.title, "Error");
    }
    host.messages.clear();
  }
  EXPECT_TRUE(form->lstDLL.lines.empty());
  EXPECT_EQ(form->lstOCX.ListCount(), 1);
}

// A project saved by hand (or before libraries were checked) may list any file: leaving
// step 5 checks every listed component that exists (a missing one is reported by the build).
TEST_F(ComponentListsTest, LeavingStepFiveChecksTheListedComponentsAgain) {
  const std::string text = Component("Docs/ReadMe.txt", "Read me.");
  form->lstDLL.lines = {LowerAscii(Library("Lib/Helper.dll")), text};
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 5);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The component " + text +
                                       " in the list is not a DLL or OCX file for Windows (x86, x64, ARM or ARM64). "
                                       "Remove it from the list.");
  EXPECT_EQ(form->lstDLL.list_index, 1);
  host.messages.clear();
  form->lstDLL.lines = {scratch / "gone.dll"};
  form->lstOCX.lines.push_back(text);
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 5);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(form->lstOCX.list_index, 1);
  form->lstOCX.lines.pop_back();
  host.messages.clear();
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 6);
  EXPECT_TRUE(host.messages.empty());
}
