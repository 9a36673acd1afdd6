// The package's text on the end user's PC: every file the engine, the web setup program or
// the browser reads is written in the project's single-byte code page, whatever system built
// it; addresses are percent-encoded; a character the code page lacks stops the build before
// the published package is touched, naming where it is.
#include <filesystem>

#include "cab_format.h"
#include "narrow_text.h"
#include "path_services.h"
#include "program_group_tree.h"
#include "release_pipeline_test.h"
#include "text_files.h"

namespace {

// "Café Über", "déminéur.exe", "Démineur ü" in UTF-8 (the native narrow text) and Windows-1252.
const std::string kCafeUtf8 = "Caf\xC3\xA9 \xC3\x9C" "ber";
const std::string kCafe1252 = "Caf\xE9 \xDC" "ber";
const std::string kGameUtf8 = "d\xC3\xA9min\xC3\xA9ur.exe";
const std::string kGame1252 = "d\xE9min\xE9ur.exe";
const std::string kShortcutUtf8 = "D\xC3\xA9mineur \xC3\xBC";
const std::string kShortcut1252 = "D\xE9mineur \xFC";
const std::string kNihon = "\xE6\x97\xA5\xE6\x9C\xAC";

bool Holds(const std::string& bytes, const std::string& part) { return bytes.find(part) != std::string::npos; }

bool IsValidUtf8NonAscii(const std::string& bytes) {
  bool valid = false;
  NarrowToUtf16(bytes, &valid);
  return valid && bytes.find_first_of("\xC3") != std::string::npos;
}

}  // namespace

TEST(PackageCodePageTest, TextIsConvertedOrRefusedNeverApproximated) {
  std::string bytes = "poison";
  ASSERT_TRUE(NarrowToCodePage(kCafeUtf8 + " \xE2\x82\xAC", 1252, bytes));
  EXPECT_EQ(bytes, kCafe1252 + " \x80");
  ASSERT_TRUE(NarrowToCodePage("\xC5\x81\xC3\xB3\x64\xC5\xBA", 1250, bytes));  // Łódź
  EXPECT_EQ(bytes, "\xA3\xF3\x64\x9F");
  EXPECT_FALSE(NarrowToCodePage("\xC5\x81\xC3\xB3\x64\xC5\xBA", 1252, bytes));
  EXPECT_FALSE(NarrowToCodePage("Jeux " + kNihon, 1252, bytes));
  EXPECT_FALSE(NarrowToCodePage("\xF0\x9F\x8E\xAE", 1251, bytes));
  EXPECT_FALSE(NarrowToCodePage("caf\xE9", 1252, bytes));  // not narrow text here
  EXPECT_FALSE(NarrowToCodePage("plain", 65001, bytes));  // not a single-byte code page
  EXPECT_FALSE(NarrowToCodePage("plain", 0, bytes));
  EXPECT_TRUE(NarrowToCodePage("", 1252, bytes));
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(CodePageCharsetName(1251), "windows-1251");
}

TEST(PackageCodePageTest, CabinetNamesInACodePageCarryNoUtfFlag) {
  std::string stored;
  bool is_utf8 = true;
  ASSERT_TRUE(StoredCabName("games/" + kGameUtf8, stored, is_utf8, 1252));
  EXPECT_EQ(stored, "games\\" + kGame1252);
  EXPECT_FALSE(is_utf8);
  EXPECT_FALSE(StoredCabName(kNihon + ".exe", stored, is_utf8, 1252));
  ASSERT_TRUE(StoredCabName(kGameUtf8, stored, is_utf8));
  EXPECT_TRUE(is_utf8);
}

TEST(PackageCodePageTest, AddressesArePercentEncodedAndPagesDeclareTheirCharset) {
  EXPECT_EQ(PercentEncodedUrl("http://h.example/caf\xC3\xA9 x/\"a\"<b>?q=1&r=%41"),
            "http://h.example/caf%C3%A9%20x/%22a%22%3Cb%3E?q=1&r=%41");
  EXPECT_EQ(WithDeclaredCharset("<meta charset=\"windows-1252\">", "windows-1250"), "<meta charset=\"windows-1250\">");
  EXPECT_EQ(WithDeclaredCharset("<meta http-equiv=\"Content-Type\" content=\"text/html; CHARSET=utf-8\">", "windows-1252"),
            "<meta http-equiv=\"Content-Type\" content=\"text/html; CHARSET=windows-1252\">");
  EXPECT_EQ(WithDeclaredCharset("<p>no declaration</p>", "windows-1252"), "<p>no declaration</p>");
}

// Built natively (UTF-8 names and fields), a project named "Café Über" gives the engine
// Windows-1252 text: the product name and directory, the shortcut, the member names.
TEST_F(ReleasePipelineTest, NonAsciiProjectIsWrittenInWindows1252) {
  program_directory = WithTrailingSeparator(scratch / kCafeUtf8);
  WriteFileBytes(program_directory + kGameUtf8, "MZ game " + TextBytes(3000, 5));
  GoToFinalStep([&](int step) {
    if (step == 1) {
      form->SetText(form->txtProgramFriendlyName, kCafeUtf8);
      form->SetText(form->txtPublicationURL, "http://www.acme.example/caf\xC3\xA9/");
    }
    if (step == 3) {
      for (int i = 0; i < form->List3.ListCount(); ++i) {
        if (form->List3.lines[static_cast<std::size_t>(i)] == kGameUtf8) form->List3.list_index = i;
      }
      form->List3_Click();
    }
    if (step == 4) {
      const int game = form->ProgramGroup.AddChild(0, "Untitled1", kShortcutUtf8);
      form->ProgramGroup.nodes[static_cast<std::size_t>(game)].tag = kGameUtf8;
      form->ProgramGroup.nodes[static_cast<std::size_t>(game)].image = kShortcutImage;
    }
  });
  EXPECT_EQ(form->txtHtmlFilenameNoPath.text, "Cafber.htm");
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());

  const std::string script = ReadFileBytes(ProjectFile("Script.txt"));
  EXPECT_TRUE(Holds(script, "SetProductName \"" + kCafe1252 + "\"")) << script;
  EXPECT_TRUE(Holds(script, "SetProductDirectory \"<ProgramFilesDir>\\" + kCafe1252 + "\"")) << script;
  EXPECT_TRUE(Holds(script, "\"" + kShortcut1252 + "\", \"<ProductDirectory>\\" + kGame1252 + "\"")) << script;
  EXPECT_TRUE(Holds(script, "Execute \"<ProductDirectory>\\" + kGame1252 + "\"")) << script;
  EXPECT_FALSE(IsValidUtf8NonAscii(script));
  // The member is created by the engine under its stored name: code page bytes, no UTF flag.
  const std::string cabinet = ReadFileBytes(ProjectFile("Program.cab"));
  const std::size_t name = cabinet.find(kGame1252 + std::string(1, '\0'));
  ASSERT_NE(name, std::string::npos);
  EXPECT_EQ(static_cast<unsigned char>(cabinet[name - 2]) & kCabAttributeNameIsUtf8, 0);

  const std::string page = ReadFileBytes(Release("Cafber.htm"));
  EXPECT_TRUE(Holds(page, "charset=\"windows-1252\"")) << page;
  EXPECT_TRUE(Holds(page, kCafe1252)) << page;
  EXPECT_FALSE(IsValidUtf8NonAscii(page));
  const std::string attachment = ReadFileBytes(ProjectFile("SAAttach.txt"));
  EXPECT_TRUE(Holds(attachment, "\r\nhttp://www.acme.example/caf%C3%A9/\r\nCafberScript.Cab\r\n")) << attachment;
  EXPECT_EQ(ReadFileBytes(ProjectFile("CodePage.txt")), "1252");
}

// A character the code page lacks stops Finish with the field or file that holds it, before
// the Release directories are emptied; another code page takes it.
TEST_F(ReleasePipelineTest, ACharacterTheCodePageLacksStopsTheBuildAndKeepsThePackage) {
  GoToFinalStep();
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  const std::vector<std::string> published = ReleaseFiles();
  const std::string page = ReadFileBytes(Release("AcmePaint.htm"));

  const std::string lodz = "\xC5\x81\xC3\xB3\x64\xC5\xBA";
  const auto finish_again = [&](const std::string& friendly_name, const std::string& custom) {
    host.messages.clear();
    host.modal_windows.clear();
    host.ended = false;
    form = std::make_unique<Form1>(host, &pipeline);
    WriteFileBytes(program_directory + "VexaWizardNetloomProject/ProjectFiles/Custom.txt", custom);
    GoToFinalStep([&](int step) {
      if (step == 1) form->SetText(form->txtProgramFriendlyName, friendly_name);
    });
    return Finish();
  };
  EXPECT_FALSE(finish_again("Jeux " + kNihon, ""));
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().text,
            "Error. The program friendly name holds a character that code page 1252 cannot hold, so the end user's "
            "PC could not show it: Jeux " + kNihon +
            "\r\nChange the text, or the project's code page (CodePage.txt, vexabuild --code-page).");
  EXPECT_EQ(ReleaseFiles(), published);
  EXPECT_EQ(ReadFileBytes(Release("AcmePaint.htm")), page);

  EXPECT_FALSE(finish_again(lodz, "' " + lodz + "\r\n"));
  EXPECT_TRUE(Holds(host.messages.back().text, "The program friendly name holds a character"));
  WriteFileBytes(program_directory + "VexaWizardNetloomProject/ProjectFiles/CodePage.txt", "1250");
  EXPECT_TRUE(finish_again(lodz, "")) << ::testing::PrintToString(MessageTexts());
  EXPECT_TRUE(Holds(ReadFileBytes(Release("AcmePaint.htm")), "charset=\"windows-1250\""));
  EXPECT_TRUE(Holds(ReadFileBytes(ProjectFile("Script.txt")), "SetProductName \"\xA3\xF3\x64\x9F\""));
  EXPECT_FALSE(finish_again("Acme", "' Jeux " + kNihon + "\r\n"));
  EXPECT_TRUE(Holds(host.messages.back().text, "Error. The custom script file ")) << host.messages.back().text;
  EXPECT_TRUE(Holds(host.messages.back().text, "Custom.txt holds a character that code page 1250 cannot hold"));

  WriteFileBytes(program_directory + "VexaWizardNetloomProject/ProjectFiles/CodePage.txt", "65001");
  EXPECT_FALSE(finish_again("Acme", ""));
  EXPECT_EQ(host.messages.back().text,
            "Error. The package cannot be written in code page 65001. Use 1252 (Western European) or another single-byte "
            "Windows code page: 874, 1250 to 1258.");
}
