// The text a package carries to the end user's PC: the scripts, the page, the stand-alone
// program's attachment and the names the engine creates from its cabinets. The engine reads
// every text in the end user's system code page, so whichever system builds the package
// (UTF-8 natively, its own ANSI code page on Windows) writes it in one declared single-byte
// code page, Windows-1252 unless the project names another. Everything is checked before
// the Release directories are touched, so a character the code page lacks stops the build
// with the field or file that holds it and the published package stays as it was.
//
// Addresses are written percent-encoded (the bytes of their UTF-8 form that a URL cannot
// carry as they are), so they stay the same whatever the code page.
#include <utility>

#include "download_files.h"
#include "narrow_text.h"
#include "path_services.h"
#include "release_pipeline.h"
#include "text_files.h"
#include "utf16_text.h"

std::string PercentEncodedUrl(const std::string& url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string utf8 = Utf16ToUtf8(NarrowToUtf16(url));
  std::string encoded;
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= ' ' || c >= 0x7F || c == '"' || c == '<' || c == '>') {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    } else {
      encoded += ch;
    }
  }
  return encoded;
}

bool ReleasePipeline::CheckPackageText() {
  const int code_page = answers_.PackageCodePage;
  const std::string page_name = "code page " + std::to_string(code_page);
  if (!IsPackageCodePage(code_page)) {
    ShowOk("Error. The package cannot be written in " + page_name +
           ". Use 1252 (Western European) or another single-byte Windows code page: 874, 1250 to 1258.");
    return false;
  }
  std::vector<std::pair<std::string, std::string>> texts = {
      {"program friendly name", answers_.ProgramFriendlyName},
      {"title of the resultant HTML page", answers_.HtmlTitle},
      {"parameters of the program to run", answers_.ExeParas},
      {"custom script file " + answers_.ProjectFilesDirectory + "Custom.txt",
       ReadTextFile(answers_.ProjectFilesDirectory + "Custom.txt")},
  };
  for (const TickedProgramFile& file : answers_.ProgramFiles) texts.push_back({"program file", file.line});
  for (const ProgramGroupEntry& node : answers_.ProgramGroup) texts.push_back({"program group entry", node.text});
  for (const std::vector<std::string>* list : {&answers_.DllFiles, &answers_.OcxFiles}) {
    for (const std::string& line : *list) texts.push_back({"component", ComponentFileName(line)});
  }
  std::string bytes;
  for (const auto& [what, text] : texts) {
    if (NarrowToCodePage(text, code_page, bytes)) continue;
    ShowOk("Error. The " + what + " holds a character that " + page_name +
           " cannot hold, so the end user's PC could not show it: " + text + "\r\nChange the text, or the " +
           "project's code page (CodePage.txt, vexabuild --code-page).");
    return false;
  }
  // Kept with the writer options too: each cabinet's compression is set from them.
  writer_options_.name_code_page = code_page;
  cab_.SetNameCodePage(code_page);
  return true;
}

bool ReleasePipeline::WritePackageTextFile(const std::string& text, const std::string& path) {
  std::string bytes;
  if (!NarrowToCodePage(text, answers_.PackageCodePage, bytes)) {
    ShowOk("Error. A character of " + path + " cannot be written in code page " +
           std::to_string(answers_.PackageCodePage) + ".");
    return false;
  }
  if (!WriteTextFile(bytes, path)) {
    ShowOk("Error. Cannot create file: " + path);
    return false;
  }
  return true;
}
