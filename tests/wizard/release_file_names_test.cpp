#include "text_files.h"
#include "wizard_fixture.h"

class ReleaseFileNamesTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    GoToStep(6);
    std::filesystem::create_directories(form->ReleaseDirectory);
  }

  std::string Refusal(bool (Form1::*validate)(), TextBox& field, const std::string& name) {
    host.messages.clear();
    form->Focus = nullptr;
    field.text = name;
    if ((form.get()->*validate)()) return "accepted";
    EXPECT_EQ(form->Focus, &field);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages.back().title, "");
    return host.messages.back().text;
  }
};

TEST_F(ReleaseFileNamesTest, HtmlNameRulesInTheirOrder) {
  auto html = [&](const std::string& name) {
    return Refusal(&Form1::ValidateHtmlFilenameNoPath, form->txtHtmlFilenameNoPath, name);
  };
  const std::string prefix = "Error. You specified an invalid filename for the resultant HTML file. ";
  EXPECT_EQ(html("page.txt"), prefix + "The resultant HTML filename must have a .htm extension or a .html extension.");
  EXPECT_EQ(html("my page.htm"), prefix + "The resultant HTML filename cannot contain spaces.");
  EXPECT_EQ(html("my:page.htm"),
            prefix + "A filename cannot contain any of the following characters: \\/:*?\"<>|");
  const std::string web_rule =
      "The resultant HTML filename is part of a Web address: it can contain only the letters A to Z and a to z, "
      "the digits 0 to 9, \"-\", \"_\" and \".\".";
  EXPECT_EQ(html("Caf\xC3\xA9.htm"), prefix + web_rule);
  EXPECT_EQ(html("a#b.htm"), prefix + web_rule);
  EXPECT_EQ(html("a%20b.htm"), prefix + web_rule);
  EXPECT_EQ(html("my-page_2.0.htm"), "accepted");
  EXPECT_EQ(html("PAGE.HTML"), "accepted");
  EXPECT_EQ(html("page.htm "), "accepted");
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "page.htm");
  // The probe file is gone again.
  EXPECT_FALSE(PathExists(form->ReleaseDirectory + "page.htm"));
  EXPECT_FALSE(PathExists(form->ReleaseDirectory + "PAGE.HTML"));
}

TEST_F(ReleaseFileNamesTest, ExeNameRulesInTheirOrder) {
  auto exe = [&](const std::string& name) {
    return Refusal(&Form1::ValidateStandAloneExeFilename, form->txtStandAloneExeFilenameNoPath, name);
  };
  const std::string prefix = "Error. You specified an invalid filename for the resultant stand-alone EXE file. ";
  EXPECT_EQ(exe("setup.com"), prefix + "The resultant stand-alone EXE filename must have an .exe extension.");
  EXPECT_EQ(exe("my setup.exe"), prefix + "The resultant stand-alone EXE filename cannot contain spaces.");
  EXPECT_EQ(exe("a<b.exe"), "Error. You specified an invalid filename for the resultant stand-alone exe file. A "
                            "filename cannot contain any of the following characters: \\/:*?\"<>|");
  EXPECT_EQ(exe("D\xC3\xA9mo.exe"),
            prefix + "The resultant stand-alone EXE filename is part of a Web address: it can contain only the "
                     "letters A to Z and a to z, the digits 0 to 9, \"-\", \"_\" and \".\".");
  EXPECT_EQ(exe(" Setup.EXE "), "accepted");
}

TEST_F(ReleaseFileNamesTest, AnExistingFileIsLeftUntouchedAndAMissingDirectoryFails) {
  const std::string existing = form->ReleaseDirectory + "kept.htm";
  ASSERT_TRUE(WriteTextFile("earlier page", existing));
  EXPECT_EQ(Refusal(&Form1::ValidateHtmlFilenameNoPath, form->txtHtmlFilenameNoPath, "kept.htm"), "accepted");
  EXPECT_EQ(ReadTextFile(existing), "earlier page");

  std::filesystem::remove_all(form->ReleaseDirectory);
  EXPECT_EQ(Refusal(&Form1::ValidateHtmlFilenameNoPath, form->txtHtmlFilenameNoPath, "new.htm"),
            "Error. Cannot create the specified resultant HTML file. Make sure the specified resultant HTML filename "
            "is valid.");
  EXPECT_EQ(Refusal(&Form1::ValidateStandAloneExeFilename, form->txtStandAloneExeFilenameNoPath, "new.exe"),
            "Error. Cannot create the specified resultant stand-alone EXE file. Make sure the specified resultant EXE "
            "filename is valid.");
}
