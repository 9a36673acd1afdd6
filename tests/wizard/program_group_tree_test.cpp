// Step 4's program group tree: the menu, the editing commands, links, and the tree file
// read back from damaged and hostile files.
#include "text_files.h"
#include "wizard_fixture.h"

namespace {

class ProgramGroupTreeTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    GoToStep(4);
  }

  ProgramGroupTree& tree() { return form->ProgramGroup; }
  const ProgramGroupNode& node(int index) { return tree().nodes[static_cast<std::size_t>(index)]; }
  int Select(const std::string& key) {
    tree().selected = tree().FindKey(key);
    form->TreeView1_NodeClick(tree().selected);
    return tree().selected;
  }
  void RightClick() {
    form->TreeView1_MouseDown(MouseButton::Right);
    form->TreeView1_Click();
  }
  bool Rename(const std::string& text) {
    form->mnuRenameLeaf_Click();
    bool cancel = false;
    form->TreeView1_AfterLabelEdit(cancel, text);
    return !cancel;
  }
  // Links the selected node through frmLinkTo, whose user picks `line` (-1: Cancel).
  void LinkTo(int line) {
    host.on_modal_window = [this, line](ModalWindow window) {
      ASSERT_EQ(window, ModalWindow::LinkTo);
      if (line < 0) return form->frmLinkTo_cmdCancel_Click();
      form->lstLinkTo.list_index = line;
      form->frmLinkTo_cmdOK_Click();
    };
    form->mnuLinkTo_Click();
  }
  std::string Saved() {
    const std::string path = scratch / "ProgramGroup.txt";
    form->ProgramGroupTree2TextFile(path);
    return ReadTextFile(path);
  }
  void Load(const std::string& text) {
    const std::string path = scratch / "Loaded.txt";
    ASSERT_TRUE(WriteTextFile(text, path));
    form->TextFile2ProgramGroupTree(path);
  }
  bool IsDefaultTree() {
    return tree().nodes.size() == 1 && node(0).key == "My Program" && node(0).text == "My Program" &&
           node(0).expanded && tree().selected == 0;
  }
};

TEST_F(ProgramGroupTreeTest, TheExampleTreeIsWrittenInElevenLinesAndReadBack) {
  ASSERT_EQ(form->lstLinkTo.lines, (std::vector<std::string>{"mybird.exe", "readme.txt"}));
  Select("My Program");
  ASSERT_TRUE(Rename("MyCompany MyBird"));
  form->mnuCreateLeaf_Click();
  ASSERT_EQ(tree().nodes.size(), 2u);
  EXPECT_EQ(node(1).key, "Untitled1");
  EXPECT_EQ(node(1).text, "Untitled");
  EXPECT_EQ(node(1).image, kGroupImage);
  EXPECT_TRUE(node(0).expanded);
  Select("Untitled1");
  ASSERT_TRUE(Rename("Tools"));
  form->mnuCreateLeaf_Click();
  Select("Untitled2");
  ASSERT_TRUE(Rename("  Bird "));
  LinkTo(0);
  EXPECT_EQ(node(2).tag, "mybird.exe");
  EXPECT_EQ(node(2).image, kShortcutImage);
  EXPECT_EQ(node(2).text, "Bird");
  const std::string eleven_lines =
      "My Program\r\nMyCompany MyBird\r\n\r\n"
      "My Program\r\nUntitled1\r\nTools\r\n\r\n"
      "Untitled1\r\nUntitled2\r\nBird\r\nmybird.exe\r\n";
  EXPECT_EQ(Saved(), eleven_lines);
  form->InitializeProgramGroupTree();
  Load(eleven_lines);
  EXPECT_EQ(Saved(), eleven_lines);
  EXPECT_EQ(tree().selected, 0);
  EXPECT_EQ(form->UntitledCounter, 2);
}

TEST_F(ProgramGroupTreeTest, TheMenuOffersWhatAppliesToTheSelectedNode) {
  Select("My Program");
  form->TreeView1_MouseDown(MouseButton::Left);
  form->TreeView1_Click();
  EXPECT_TRUE(host.popup_menus.empty());
  EXPECT_FALSE(form->mnuDeleteLeaf.enabled);
  EXPECT_FALSE(form->mnuLinkTo.enabled);
  EXPECT_TRUE(form->mnuCreateLeaf.enabled);
  EXPECT_FALSE(form->mnuUnlink.enabled);
  RightClick();
  EXPECT_EQ(host.popup_menus, std::vector<PopupMenu>{PopupMenu::Create});

  form->mnuCreateLeaf_Click();
  Select("Untitled1");
  RightClick();
  EXPECT_TRUE(form->mnuDeleteLeaf.enabled);
  EXPECT_TRUE(form->mnuLinkTo.enabled);
  LinkTo(1);
  RightClick();
  EXPECT_FALSE(form->mnuCreateLeaf.enabled);
  EXPECT_TRUE(form->mnuUnlink.enabled);
  // Even asked directly, a linked node gets no child.
  form->mnuCreateLeaf_Click();
  EXPECT_EQ(tree().nodes.size(), 2u);
  form->mnuUnlink_Click();
  EXPECT_EQ(node(1).tag, "");
  EXPECT_EQ(node(1).image, kGroupImage);
  RightClick();
  EXPECT_TRUE(form->mnuCreateLeaf.enabled);
  form->mnuCreateLeaf_Click();
  RightClick();
  // A group with children cannot be linked, not even directly.
  EXPECT_FALSE(form->mnuLinkTo.enabled);
  LinkTo(0);
  EXPECT_EQ(node(1).tag, "");
  EXPECT_EQ(host.modal_windows.size(), 1u);
}

TEST_F(ProgramGroupTreeTest, LinkingPreselectsTheCurrentFileAndCancelKeepsTheNode) {
  form->mnuCreateLeaf_Click();
  Select("Untitled1");
  LinkTo(1);
  EXPECT_EQ(node(1).tag, "readme.txt");
  host.on_modal_window = [this](ModalWindow) { EXPECT_EQ(form->lstLinkTo.list_index, 1); };
  form->mnuLinkTo_Click();
  // Closed without either button: nothing changes.
  EXPECT_EQ(node(1).tag, "readme.txt");
  LinkTo(-1);
  EXPECT_EQ(node(1).tag, "readme.txt");
  EXPECT_EQ(node(1).image, kShortcutImage);
}

TEST_F(ProgramGroupTreeTest, RenamesRefuseTheNineCharactersAndAreTrimmed) {
  form->mnuCreateLeaf_Click();
  Select("Untitled1");
  for (const char* bad : {"Bird: the game", "a\\b", "a/b", "a*", "a?", "a\"", "a<", "a>", "a|"}) {
    EXPECT_FALSE(Rename(bad)) << bad;
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "A Program Group item cannot contain any of the following characters:\r\n\\ / : * ? \" < > |");
    EXPECT_EQ(host.messages[0].title, "Error");
    EXPECT_EQ(node(1).text, "Untitled");
    host.messages.clear();
  }
  EXPECT_TRUE(Rename("  Tools  "));
  EXPECT_EQ(node(1).text, "Tools");
  EXPECT_FALSE(Rename("   "));
  EXPECT_EQ(node(1).text, "Tools");
  EXPECT_EQ(host.label_edits, std::vector<int>(11, 1));
}

TEST_F(ProgramGroupTreeTest, DeleteTakesTheDescendantsAndNeverTheRoot) {
  form->mnuCreateLeaf_Click();  // Untitled1 under the root
  form->mnuCreateLeaf_Click();  // Untitled2 under the root
  Select("Untitled1");
  form->mnuCreateLeaf_Click();  // Untitled3
  Select("Untitled3");
  LinkTo(0);
  Select("Untitled1");
  form->TreeView1_KeyDown(46);
  ASSERT_EQ(tree().nodes.size(), 2u);
  EXPECT_EQ(node(1).key, "Untitled2");
  EXPECT_EQ(node(1).parent, 0);
  EXPECT_EQ(tree().selected, 0);
  form->TreeView1_KeyDown(46);
  form->mnuDeleteLeaf_Click();
  EXPECT_EQ(tree().nodes.size(), 2u);
  form->TreeView1_KeyDown(13);
  Select("Untitled2");
  form->mnuDeleteLeaf_Click();
  EXPECT_EQ(tree().nodes.size(), 1u);
  EXPECT_EQ(tree().selected, 0);
}

// The keyboard does what the menu does, on the selected node: the menu key opens the menu
// prepared for it, F2 renames, Insert makes a child only where the menu would.
TEST_F(ProgramGroupTreeTest, TheKeyboardOpensTheMenuRenamesAndCreatesWhereAllowed) {
  Select("My Program");
  form->TreeView1_KeyDown(45);  // Insert
  ASSERT_EQ(tree().nodes.size(), 2u);
  EXPECT_EQ(node(1).parent, 0);
  Select("Untitled1");
  LinkTo(0);
  form->TreeView1_KeyDown(kMenuKeyCode);
  EXPECT_EQ(host.popup_menus, std::vector<PopupMenu>{PopupMenu::Create});
  EXPECT_FALSE(form->mnuCreateLeaf.enabled);
  EXPECT_TRUE(form->mnuUnlink.enabled);
  form->TreeView1_KeyDown(45);  // a linked node gets no child
  EXPECT_EQ(tree().nodes.size(), 2u);
  form->TreeView1_KeyDown(113);  // F2
  EXPECT_EQ(host.label_edits, std::vector<int>{1});
  Select("My Program");
  form->TreeView1_KeyDown(kMenuKeyCode);
  EXPECT_FALSE(form->mnuDeleteLeaf.enabled);
  EXPECT_TRUE(form->mnuCreateLeaf.enabled);
  EXPECT_EQ(host.popup_menus.size(), 2u);
}

TEST_F(ProgramGroupTreeTest, ChildrenAreShownByTextAndTheRootStaysExpanded) {
  for (const char* text : {"zebra", "Apple", "mango"}) {
    Select("My Program");
    form->mnuCreateLeaf_Click();
    tree().selected = static_cast<int>(tree().nodes.size() - 1);
    ASSERT_TRUE(Rename(text));
  }
  EXPECT_EQ(tree().SortedChildren(0), (std::vector<int>{2, 3, 1}));
  form->TreeView1_Collapse(0);
  EXPECT_TRUE(node(0).expanded);
  Select("Untitled1");
  form->mnuCreateLeaf_Click();
  EXPECT_TRUE(node(1).expanded);
  form->TreeView1_Collapse(1);
  EXPECT_FALSE(node(1).expanded);
}

TEST_F(ProgramGroupTreeTest, LoadedUntitledKeysAreNeverMadeAgain) {
  Load("My Program\r\nBirds\r\n\r\nMy Program\r\nUntitled12\r\nTools\r\n\r\n");
  form->mnuCreateLeaf_Click();
  EXPECT_EQ(tree().nodes.back().key, "Untitled13");
  // A counter held at its largest value still gives a key no node has.
  Load("R\r\nRoot\r\n\r\nR\r\nUntitled99999999999999999999\r\nHuge\r\n\r\nR\r\nUntitled2147483648\r\nNext\r\n\r\n");
  ASSERT_EQ(tree().nodes.size(), 3u);
  tree().selected = 0;
  form->mnuCreateLeaf_Click();
  EXPECT_EQ(tree().nodes.back().key, "Untitled2147483649");
}

TEST_F(ProgramGroupTreeTest, HostileTreeFilesEndInADefinedTree) {
  // A parent that comes later, a node that is its own parent, and a cycle.
  Load("R\r\nRoot\r\n\r\nB\r\nA\r\nA\r\n\r\nR\r\nB\r\nB\r\n\r\n");
  EXPECT_TRUE(IsDefaultTree());
  Load("R\r\nRoot\r\n\r\nA\r\nA\r\nSelf\r\n\r\n");
  EXPECT_TRUE(IsDefaultTree());
  Load("R\r\nRoot\r\n\r\nR\r\nA\r\nA\r\n\r\nB\r\nA\r\nAgain\r\n\r\n");
  EXPECT_TRUE(IsDefaultTree());
  // The root is a group: a tag on its third line is dropped, and it keeps its children.
  Load("R\r\nRoot\r\nroot.exe\r\nR\r\nA\r\nA\r\n\r\n");
  ASSERT_EQ(tree().nodes.size(), 2u);
  EXPECT_EQ(node(0).tag, "");
  EXPECT_EQ(node(0).image, kGroupImage);

  // 100,000 nodes under the root.
  std::string wide = "R\r\nRoot\r\n\r\n";
  for (int i = 0; i < 100'000; ++i) wide += "R\r\nK" + std::to_string(i) + "\r\nNode\r\n\r\n";
  Load(wide);
  EXPECT_EQ(tree().nodes.size(), 100'001u);
  EXPECT_EQ(tree().SortedChildren(0).size(), 100'000u);

  // A chain 10,000 deep: read, written and removed without recursion.
  std::string deep = "R\r\nRoot\r\n\r\nR\r\nK0\r\nLevel\r\n\r\n";
  for (int i = 1; i < 10'000; ++i) {
    deep += "K" + std::to_string(i - 1) + "\r\nK" + std::to_string(i) + "\r\nLevel\r\n\r\n";
  }
  Load(deep);
  ASSERT_EQ(tree().nodes.size(), 10'001u);
  EXPECT_EQ(Saved(), deep);
  Select("K0");
  form->mnuDeleteLeaf_Click();
  EXPECT_EQ(tree().nodes.size(), 1u);

  // A key of a megabyte is kept to the line bound; two that agree that far are one key.
  const std::string huge(1 << 20, 'k');
  Load("R\r\nRoot\r\n\r\nR\r\n" + huge + "\r\nBig\r\n\r\n");
  ASSERT_EQ(tree().nodes.size(), 2u);
  EXPECT_EQ(node(1).key.size(), kMaxLineBytes);
  Load("R\r\nRoot\r\n\r\nR\r\n" + huge + "a\r\nBig\r\n\r\nR\r\n" + huge + "b\r\nBig\r\n\r\n");
  EXPECT_TRUE(IsDefaultTree());
}

// A shortcut becomes "<ProductDirectory>\\" + its link on the end user's PC: leaving step 4
// needs every link to name a ticked program file, however the tree was made.
TEST_F(ProgramGroupTreeTest, LinksMustNameATickedProgramFile) {
  const int play = tree().AddChild(0, "Play", "Play");
  const int notes = tree().AddChild(0, "Notes", "Notes");
  tree().nodes[static_cast<std::size_t>(play)].tag = "MyBird.EXE";  // any case
  for (const char* link : {"ghost.exe", "C:\\Windows\\notepad.exe", "..\\mybird.exe", "mybird.exe\\"}) {
    SCOPED_TRACE(link);
    host.messages.clear();
    tree().nodes[static_cast<std::size_t>(notes)].tag = link;
    tree().selected = 0;
    form->cmdNext_Click();
    EXPECT_EQ(form->CurrentStep, 4);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, std::string("The shortcut \"Notes\" links to ") + link +
                                         ", which is not a program file ticked in step 2. Link the shortcut to a "
                                         "ticked program file, or unlink it.");
    EXPECT_EQ(tree().selected, notes);
  }
  // A file linked while it was ticked, then unticked.
  tree().nodes[static_cast<std::size_t>(notes)].tag = "readme.txt";
  form->cmdBack_Click();
  form->cmdBack_Click();
  form->SetProgramFileTicked(1, false);
  form->cmdNext_Click();
  form->cmdNext_Click();
  host.messages.clear();
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 4);
  ASSERT_EQ(host.messages.size(), 1u);
  form->SetProgramFileTicked(1, true);  // as if ticked again; links to ticked files pass
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 5);
}

// A tree file the developer names (vexabuild --program-group) is not the project's own:
// one that cannot be read or is damaged stops with its reason and leaves the tree alone.
TEST_F(ProgramGroupTreeTest, ANamedTreeFileIsReadWhollyOrRefusedWithItsReason) {
  tree().AddChild(0, "Kept", "Kept");
  const auto refusal = [&](const std::string& text) {
    const std::string path = scratch / "Named.txt";
    EXPECT_TRUE(WriteTextFile(text, path));
    std::string reason = "poison";
    EXPECT_FALSE(form->LoadProgramGroupTreeFile(path, reason));
    EXPECT_EQ(tree().nodes.size(), 2u);
    return reason;
  };
  std::string reason = "poison";
  EXPECT_FALSE(form->LoadProgramGroupTreeFile(scratch / "Missing.txt", reason));
  EXPECT_EQ(reason, "cannot read the file " + std::string(scratch / "Missing.txt"));
  EXPECT_FALSE(form->LoadProgramGroupTreeFile(scratch.path().string(), reason));
  EXPECT_EQ(reason, "cannot read the file " + scratch.path().string());
  EXPECT_EQ(refusal(""), "not a program group tree: it has fewer than the root's three lines");
  EXPECT_EQ(refusal("R\r\nRoot\r\n\r\nR\r\nA\r\n"),
            "not a program group tree: the node after line 3 is incomplete (4 lines per node)");
  EXPECT_EQ(refusal("R\r\nRoot\r\n\r\nB\r\nA\r\nA\r\n\r\n"),
            "not a program group tree: line 4 names the parent B, which no earlier node has as its key");
  EXPECT_EQ(refusal("R\r\nRoot\r\n\r\nR\r\nA\r\nA\r\n\r\nR\r\nA\r\nB\r\n\r\n"),
            "not a program group tree: line 9 uses the key A a second time");
  EXPECT_EQ(refusal("R\r\nRoot\r\n\r\nR\r\nA\r\nA\r\na.exe\r\nA\r\nB\r\nB\r\n\r\n"),
            "not a program group tree: line 8 places a node under A, which is a shortcut");
  EXPECT_EQ(refusal("R\r\nRoot\r\n\r\nR\r\n" + std::string(kMaxLineBytes, 'k') + "\r\nA\r\n\r\n"),
            "not a program group tree: line 5 is longer than 32766 bytes");

  const std::string path = scratch / "Good.txt";
  ASSERT_TRUE(WriteTextFile("R\nRoot\n\nR\nUntitled7\nPlay\nmybird.exe\n", path));
  ASSERT_TRUE(form->LoadProgramGroupTreeFile(path, reason)) << reason;
  ASSERT_EQ(tree().nodes.size(), 2u);
  EXPECT_EQ(node(1).tag, "mybird.exe");
  EXPECT_EQ(node(1).image, kShortcutImage);
  EXPECT_EQ(form->UntitledCounter, 7);
}

}  // namespace
