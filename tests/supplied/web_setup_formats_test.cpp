// The portable part of the stand-alone web setup program: signatures, the six
// attached lines and where they end in a signed file, the part list, addresses, and what
// the program takes from a web script (and what it refuses).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "file_signature.h"
#include "part_list.h"
#include "progress_text.h"
#include "scratch_directory.h"
#include "script.h"
#include "web_script.h"
#include "web_setup_attachment.h"
#include "web_url.h"

namespace {

const std::string kGoodLines =
    "http://www.acme.example/activex/\r\n4.1.0.2\r\nhttp://www.acme.example/paint\r\nMyPageScript.Cab\r\n"
    "0123456789abcdef0123456789ABCDEF\r\nWEBSETUP";

std::string Digest(char c) { return std::string(64, c); }

TEST(FileSignatureTest, LongSignaturesAreReadStrictly) {
  FileSignature signature;
  ASSERT_TRUE(ParseLongSignature("sha256-" + Digest('a') + "-1234", signature));
  EXPECT_EQ(signature.size, 1234u);
  EXPECT_EQ(signature.ShortSignature(), std::string(32, 'a'));
  ASSERT_TRUE(ParseLongSignature("sha256-" + Digest('0') + "-0", signature));
  for (const std::string& bad :
       {std::string(), "sha256-" + Digest('A') + "-1", "sha256-" + Digest('a') + "-", "sha256-" + Digest('a') + "-01",
        "sha256-" + Digest('a') + "-1x", "sha256-" + Digest('a').substr(1) + "-1", "md5-" + Digest('a') + "-1",
        "sha256-" + Digest('a') + "-2147483649", "sha256-" + Digest('a') + "-99999999999999999999"}) {
    EXPECT_FALSE(ParseLongSignature(bad, signature)) << bad;
  }
}

TEST(FileSignatureTest, ShortSignaturesMatchTheDigestIgnoringCase) {
  EXPECT_TRUE(DigestHasShortSignature(Digest('a'), std::string(32, 'A')));
  EXPECT_FALSE(DigestHasShortSignature(Digest('a'), std::string(31, 'a') + "b"));
  EXPECT_FALSE(DigestHasShortSignature(Digest('a'), std::string(31, 'a')));
  EXPECT_FALSE(DigestHasShortSignature(Digest('a'), std::string(31, 'a') + "g"));
}

TEST(WebSetupAttachmentTest, SixLinesAreRead) {
  WebSetupAttachment attachment;
  std::string error;
  ASSERT_TRUE(ParseWebSetupAttachment(kGoodLines, attachment, error)) << error;
  EXPECT_EQ(attachment.activex_url, "http://www.acme.example/activex/");
  EXPECT_EQ(attachment.loader_version, "4.1.0.2");
  EXPECT_EQ(attachment.publication_url, "http://www.acme.example/paint");
  EXPECT_EQ(attachment.script_cabinet, "MyPageScript.Cab");
  EXPECT_EQ(attachment.script_short_signature, "0123456789abcdef0123456789ABCDEF");
}

TEST(WebSetupAttachmentTest, AnythingElseIsRefusedWithItsReason) {
  auto refused = [](const std::string& text) {
    WebSetupAttachment attachment;
    std::string error;
    EXPECT_FALSE(ParseWebSetupAttachment(text, attachment, error)) << text;
    return error;
  };
  EXPECT_EQ(refused(kGoodLines + "\r\n"), "it carries 7 web setup lines instead of six");
  EXPECT_EQ(refused(kGoodLines.substr(0, kGoodLines.rfind("\r\n"))), "it carries 5 web setup lines instead of six");
  EXPECT_EQ(refused(""), "it carries 1 web setup lines instead of six");
  std::string text = kGoodLines;
  text.replace(text.rfind("WEBSETUP"), 8, "WEBSETUQ");
  EXPECT_EQ(refused(text), "line 6 is not WEBSETUP");
  text = kGoodLines;
  text.replace(0, 4, "file");
  EXPECT_EQ(refused(text), "line 1 is no http: or https: address");
  text = kGoodLines;
  text.replace(text.find("http://www.acme.example/paint"), 4, "ftp:");
  EXPECT_EQ(refused(text), "line 3 is no http: or https: address");
  text = kGoodLines;
  text.replace(text.find("MyPageScript.Cab"), 16, "..\\Script.Cab");
  EXPECT_EQ(refused(text), "line 4 is no cabinet file name");
  text = kGoodLines;
  text.replace(text.find("0123456789abcdef0123"), 1, "x");
  EXPECT_EQ(refused(text), "line 5 is no short signature");
  text = kGoodLines;
  text.replace(text.find("4.1.0.2"), 1, "\n");
  EXPECT_EQ(refused(text), "a web setup line holds a control character");
  EXPECT_EQ(refused(std::string(kMaxAttachmentBytes + 1, 'x')), "its web setup lines are larger than 16 KiB");
}

// A PE header with the certificate table entry at `offset` (size 0 for none).
std::string PeHeader(bool plus, std::uint32_t offset, std::uint32_t size) {
  std::string header(1024, '\0');
  header[0] = 'M';
  header[1] = 'Z';
  header[0x3C] = static_cast<char>(0x80);
  header.replace(0x80, 4, std::string("PE\0\0", 4));
  const std::size_t optional = 0x80 + 4 + 20;
  header[optional] = 0x0B;
  header[optional + 1] = plus ? 0x02 : 0x01;
  const std::size_t entry = optional + (plus ? 112 : 96) + 32;
  for (int i = 0; i < 4; ++i) {
    header[entry + static_cast<std::size_t>(i)] = static_cast<char>(offset >> (8 * i));
    header[entry + 4 + static_cast<std::size_t>(i)] = static_cast<char>(size >> (8 * i));
  }
  return header;
}

TEST(WebSetupAttachmentTest, TheCertificateTableIsFoundInBothPeFormats) {
  EXPECT_EQ(CertificateTableOffset(PeHeader(false, 0x12345, 0x800)), 0x12345u);
  EXPECT_EQ(CertificateTableOffset(PeHeader(true, 0x12345, 0x800)), 0x12345u);
  EXPECT_EQ(CertificateTableOffset(PeHeader(false, 0x12345, 0)), 0u);
  EXPECT_EQ(CertificateTableOffset("MZ"), 0u);
  std::string not_pe = PeHeader(false, 0x12345, 0x800);
  not_pe[0x80] = 'X';
  EXPECT_EQ(CertificateTableOffset(not_pe), 0u);
  std::string far_header = PeHeader(false, 0x12345, 0x800);
  far_header[0x3C] = 0;
  far_header[0x3D] = 0x7F;  // e_lfanew beyond the bytes read
  EXPECT_EQ(CertificateTableOffset(far_header), 0u);
}

// A "program" of `built` bytes (a PE header first), the lines, and optionally padding and
// a certificate table as a signing tool adds them.
void WriteProgram(const std::filesystem::path& path, std::size_t built, const std::string& lines, bool signed_file) {
  const std::size_t end = built + lines.size();
  const std::size_t padded = (end + 7) / 8 * 8;
  std::string bytes = PeHeader(false, signed_file ? static_cast<std::uint32_t>(padded) : 0, signed_file ? 64 : 0);
  bytes.resize(built, 'p');
  bytes += lines;
  if (signed_file) {
    bytes.resize(padded, '\0');
    bytes += std::string(64, 'S');
  }
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(WebSetupAttachmentTest, TheLinesEndAtTheFileEndOrWhereTheSignatureBegins) {
  ScratchDirectory scratch;
  const std::filesystem::path path = scratch.path() / "attachment_test.exe";
  WebSetupAttachment attachment;
  std::string error;
  WriteProgram(path, 3000, kGoodLines, false);
  EXPECT_TRUE(ReadWebSetupAttachment(path.string(), 3000, attachment, error)) << error;
  WriteProgram(path, 3001, kGoodLines, true);
  EXPECT_TRUE(ReadWebSetupAttachment(path.string(), 3001, attachment, error)) << error;
  EXPECT_EQ(attachment.script_cabinet, "MyPageScript.Cab");
  WriteProgram(path, 3000, "", false);
  EXPECT_FALSE(ReadWebSetupAttachment(path.string(), 3000, attachment, error));
  EXPECT_EQ(error, "it carries no web setup lines");
  WriteProgram(path, 3000, kGoodLines + "\r\nextra", false);
  EXPECT_FALSE(ReadWebSetupAttachment(path.string(), 3000, attachment, error));
  EXPECT_EQ(error, "it carries 7 web setup lines instead of six");
  std::filesystem::remove(path);
  EXPECT_FALSE(ReadWebSetupAttachment(path.string(), 3000, attachment, error));
  EXPECT_EQ(error, "it cannot be read");
}

std::string PartListText(const std::string& cabinet_line, const std::vector<std::string>& part_lines) {
  std::string text = "VexaPartList 1\r\n" + cabinet_line + "\r\n";
  for (const std::string& line : part_lines) text += line + "\r\n";
  return text;
}

TEST(PartListTest, TheBuildersExampleIsRead) {
  const std::string text = PartListText(
      "Cabinet 5 36bbe50ed96841d10443bcb670d6554f0a34b761be67ec9c4a8ad2c0c44ca42c Prog1.cab",
      {"Part 3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad Prog1_part0001.bin",
       "Part 2 959a45d44e6fcf58361ed004681556fe50129f2109e817dec098c00c9e5d2578 Prog1_part0002.bin"});
  PartList list;
  std::string error;
  ASSERT_TRUE(ParsePartList(text, list, error)) << error;
  EXPECT_EQ(list.cabinet_size, 5u);
  EXPECT_EQ(list.cabinet_name, "Prog1.cab");
  ASSERT_EQ(list.parts.size(), 2u);
  EXPECT_EQ(list.parts[1].size, 2u);
  EXPECT_EQ(list.parts[1].name, "Prog1_part0002.bin");
  EXPECT_EQ(PartName("Prog1.cab", 17), "Prog1_part0017.bin");
  EXPECT_EQ(PartListName("Prog1.cab"), "Prog1_parts.txt");
}

TEST(PartListTest, MalformedListsAreRefused) {
  const std::string cabinet = "Cabinet 5 " + Digest('c') + " Prog1.cab";
  const std::string part3 = "Part 3 " + Digest('1') + " Prog1_part0001.bin";
  const std::string part2 = "Part 2 " + Digest('2') + " Prog1_part0002.bin";
  PartList list;
  std::string error;
  auto refused = [&](const std::string& text) {
    const bool parsed = ParsePartList(text, list, error);
    EXPECT_FALSE(parsed) << text;
    return error;
  };
  EXPECT_EQ(refused(PartListText(cabinet, {part3})), "the parts of the part list do not add up to the cabinet's size");
  EXPECT_EQ(refused(PartListText(cabinet, {})), "the part list has no header line, cabinet line and part lines");
  EXPECT_EQ(refused(PartListText(cabinet, {part3, "Part 2 " + Digest('2') + " ..\\evil.bin"})),
            "part line 2 of the part list is malformed");
  EXPECT_EQ(refused(PartListText(cabinet, {part3, "Part 02 " + Digest('2') + " Prog1_part0002.bin"})),
            "part line 2 of the part list is malformed");
  EXPECT_EQ(refused(PartListText("Cabinet 5 " + Digest('C') + " Prog1.cab", {part3, part2})),
            "the cabinet line of the part list is malformed");
  EXPECT_EQ(refused(PartListText(cabinet, {part3, part2}) + "Part"), "a line of the part list does not end with CR LF");
  EXPECT_EQ(refused("VexaPartList 2\r\n" + cabinet + "\r\n" + part3 + "\r\n" + part2 + "\r\n"),
            "the part list has no header line, cabinet line and part lines");
  EXPECT_EQ(refused(std::string(kMaxPartListBytes + 1, 'x')), "the part list is larger than 256 KiB");
  EXPECT_EQ(refused("VexaPartList 1\r\n" + std::string(1025, 'x') + "\r\n"),
            "a line of the part list is longer than 1,024 characters");
  std::vector<std::string> many;
  for (int i = 0; i < 1001; ++i) many.push_back("Part 1 " + Digest('1') + " p.bin");
  EXPECT_EQ(refused(PartListText("Cabinet 1001 " + Digest('c') + " Prog1.cab", many)),
            "the part list names more than 1,000 parts");
}

TEST(WebUrlTest, OnlyHttpAndHttpsAddressesWithAHost) {
  WebUrl url;
  ASSERT_TRUE(ParseWebUrl("http://127.0.0.1:8080/pub/Prog1.cab", url));
  EXPECT_FALSE(url.secure);
  EXPECT_EQ(url.host, "127.0.0.1");
  EXPECT_EQ(url.port, 8080);
  EXPECT_EQ(url.path, "/pub/Prog1.cab");
  ASSERT_TRUE(ParseWebUrl("HTTPS://www.acme.example", url));
  EXPECT_TRUE(url.secure);
  EXPECT_EQ(url.port, 443);
  EXPECT_EQ(url.path, "/");
  ASSERT_TRUE(ParseWebUrl("http://[::1]:81/a?b#c", url));
  EXPECT_EQ(url.host, "[::1]");
  EXPECT_EQ(url.port, 81);
  EXPECT_EQ(url.path, "/a?b");
  for (const char* bad : {"ftp://host/a", "file:///C:/a", "http://", "http://user@host/", "http://host:0/",
                          "http://host:65536/", "http://host:x/", "http://ho st/", "http://host\\a", "\\\\server\\share",
                          "http://[::1/", "http://host:+1/", "http://host:-1/", "http://host:1x/"}) {
    EXPECT_FALSE(ParseWebUrl(bad, url)) << bad;
  }
  EXPECT_FALSE(ParseWebUrl("http://host/" + std::string(kMaxUrlLength, 'a'), url));
  EXPECT_EQ(JoinUrl("http://host/pub", "Prog1.cab"), "http://host/pub/Prog1.cab");
  EXPECT_EQ(JoinUrl("http://host/pub/", "Prog1.cab"), "http://host/pub/Prog1.cab");
  EXPECT_EQ(UrlFileName("http://host/activex/Shared.cab?x=/y"), "Shared.cab");
  EXPECT_EQ(PercentDecoded("caf%C3%A9%20x.cab"), "caf\xC3\xA9 x.cab");
  EXPECT_EQ(PercentDecoded("100%.cab%2"), "100%.cab%2");
  EXPECT_EQ(PercentDecoded("%zz%4a%4A"), "%zzJJ");
}

std::string Line(const std::string& word, const std::vector<std::string>& arguments) {
  std::string line = word;
  for (std::size_t i = 0; i < arguments.size(); ++i) line += (i ? ", \"" : " \"") + arguments[i] + "\"";
  return line;
}

const std::string kSignature = "sha256-" + Digest('d') + "-1000";

ScriptLines WebScriptLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return SplitScriptText(text);
}

TEST(WebScriptTest, TheBuildersLinesAreRead) {
  const ScriptLines lines = WebScriptLines({
      "' comment",
      Line("SetProductDirectory", {"<TempDir>"}),
      Line("SetInstallDialogTitle", {"Installing Acme Paint"}),
      Line("InstallDllFile", {"http://h/activex/SHARED.cab", "1000", "Shared.dll", "1.0.0.5", "0", "2000", kSignature, ""}),
      "''' " + Line("InstallOcxFile", {"http://h/activex/VexaLoad.cab", "9", "VexaLoad.ocx", "1", "{X}", "0", "1", ""}),
      Line("InstallOcxFile", {"https://h/active%20x/C%54L.cab", "1000", "Ctl.ocx", "1.0.0.5",
                              "{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}", "0", "2000", kSignature}),
      Line("InstallProgram", {"Prog1.cab", "1000", "1000;20261207101530", "40", "4000", kSignature, ""}),
      Line("Execute", {"<ProductDirectory>\\Setup.exe", "/X", "a b"}),
  });
  WebScript script;
  std::string error;
  ASSERT_TRUE(ReadWebScript(lines, script, error)) << error;
  EXPECT_EQ(script.title, "Installing Acme Paint");
  ASSERT_EQ(script.components.size(), 2u);
  EXPECT_FALSE(script.components[0].ocx);
  EXPECT_EQ(script.components[0].cabinet_name, "SHARED.cab");
  EXPECT_EQ(script.components[0].file_name, "Shared.dll");
  EXPECT_EQ(script.components[0].version, "1.0.0.5");
  EXPECT_EQ(script.components[0].signature.size, 1000u);
  EXPECT_TRUE(script.components[1].ocx);
  EXPECT_EQ(script.components[1].cabinet_name, "CTL.cab");  // decoded from the address
  EXPECT_EQ(script.components[1].class_id, "{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}");
  ASSERT_EQ(script.programs.size(), 1u);
  EXPECT_EQ(script.programs[0].parts, 40u);
  EXPECT_TRUE(script.has_program_to_run);
  EXPECT_EQ(script.program_to_run, "Setup.exe");
  EXPECT_EQ(script.parameters, (std::vector<std::string>{"/X", "a b"}));
  ASSERT_TRUE(ReadWebScript(WebScriptLines({"' nothing"}), script, error));
  EXPECT_EQ(script.title, "Installing Program");
  EXPECT_FALSE(script.has_program_to_run);
}

TEST(WebScriptTest, HostileLinesRefuseTheWholeScript) {
  auto refused = [](const std::string& line) {
    WebScript script;
    std::string error;
    EXPECT_FALSE(ReadWebScript(WebScriptLines({"' first", line}), script, error)) << line;
    return error;
  };
  const std::string dll = "InstallDllFile";
  EXPECT_EQ(refused(Line(dll, {"http://h/a/S.cab", "1000", "..\\..\\windows\\evil.dll", "1", "0", "1", kSignature})),
            "Script Error. Line 2 of the web script names a component file with a path or a forbidden character.");
  EXPECT_EQ(refused(Line(dll, {"http://h/a/..", "1000", "S.dll", "1", "0", "1", kSignature})),
            "Script Error. Line 2 of the web script names a component file with a path or a forbidden character.");
  EXPECT_EQ(refused(Line(dll, {"http://h/a/..%5C..%5Cevil.cab", "1000", "S.dll", "1", "0", "1", kSignature})),
            "Script Error. Line 2 of the web script names a component file with a path or a forbidden character.");
  EXPECT_EQ(refused(Line(dll, {"ftp://h/a/S.cab", "1000", "S.dll", "1", "0", "1", kSignature})),
            "Script Error. Line 2 of the web script names no http: or https: address: ftp://h/a/S.cab");
  EXPECT_EQ(refused(Line(dll, {"file://C:/S.cab", "1000", "S.dll", "1", "0", "1", kSignature})),
            "Script Error. Line 2 of the web script names no http: or https: address: file://C:/S.cab");
  EXPECT_EQ(refused(Line(dll, {"http://h/S.cab", "99999999999", "S.dll", "1", "0", "1",
                               "sha256-" + Digest('d') + "-99999999999"})),
            "Script Error. Line 2 of the web script carries no valid signature of its cabinet, or names one larger "
            "than 2 GiB.");
  EXPECT_EQ(refused(Line(dll, {"http://h/S.cab", "1000", "S.dll", "1", "0", "1", ""})),
            "Script Error. Line 2 of the web script carries no valid signature of its cabinet, or names one larger "
            "than 2 GiB.");
  EXPECT_EQ(refused(Line(dll, {"http://h/S.cab", "999", "S.dll", "1", "0", "1", kSignature})),
            "Script Error. Line 2 of the web script gives a cabinet size that differs from its signature.");
  EXPECT_EQ(refused(Line("InstallOcxFile", {"http://h/C.cab", "1000", "C.ocx", "1", "{x}->InprocServer32", "0", "1",
                                            kSignature})),
            "Script Error. Line 2 of the web script gives no valid class identifier.");
  EXPECT_EQ(refused(Line("InstallProgram", {"..\\Prog1.cab", "1000", "", "0", "4000", kSignature, ""})),
            "Script Error. Line 2 of the web script names a program cabinet with a path or a forbidden character.");
  EXPECT_EQ(refused(Line("InstallProgram", {"Prog1.cab", "1000", "", "1001", "4000", kSignature, ""})),
            "Script Error. Line 2 of the web script gives a number of parts outside 0 to 1000.");
  EXPECT_EQ(refused(Line("InstallProgram", {"Prog1.cab", "1000", "", "0", "4000", kSignature, "..\\up"})),
            "Script Error. Line 2 of the web script names a sub-directory that leaves the temporary directory.");
  EXPECT_EQ(refused(Line("Execute", {"<ProductDirectory>\\..\\Setup.exe"})),
            "Script Error. Line 2 of the web script names a program outside the temporary directory.");
  EXPECT_EQ(refused(Line("Execute", {"C:\\Windows\\System32\\cmd.exe"})),
            "Script Error. Program filename specified in script is null.");
}

TEST(ProgressTextTest, BytesSpeedAndTimeLeft) {
  EXPECT_EQ(ProgressText(512 * 1024, 0, 0, 0), "512 KB");
  EXPECT_EQ(ProgressText(10 * 1024 * 1024, 100 * 1024 * 1024, 10 * 1024 * 1024, 4000),
            "10.0 MB of 100.0 MB   2.5 MB/s   36 seconds left");
  // Resumed: 50 MB were on disk, 10 MB arrived in 2 s.
  EXPECT_EQ(ProgressText(60ull << 20, 100ull << 20, 10ull << 20, 2000), "60.0 MB of 100.0 MB   5.0 MB/s   8 seconds left");
  EXPECT_EQ(ProgressText(1ull << 20, 3ull << 30, 1ull << 20, 10000), "1.0 MB of 3.00 GB   102 KB/s   512 minutes left");
  EXPECT_EQ(ProgressPermille(1, 3), 333);
  EXPECT_EQ(ProgressPermille(5, 0), 0);
  EXPECT_EQ(ProgressPermille(7, 5), 1000);
}

}  // namespace
