// The web page, made from the template beside the wizard by replacing its eight
// placeholders in a fixed order, every occurrence of each.
//
// The values are written as HTML text: "&", "<", ">" and the double quote become character
// references. The page is HTML, and a title such as "Tom & Jerry <Beta>" must show as typed
// rather than break the markup. Letters, digits and "_" are never changed, so a value that
// holds a later placeholder's word is still replaced by that later step. The page is written
// in the package's code page, and its charset declaration names that code page.
#include "build_clock.h"
#include "narrow_text.h"
#include "path_services.h"
#include "pe_version.h"
#include "release_pipeline.h"
#include "text_files.h"

std::string HtmlEscaped(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string WithDeclaredCharset(const std::string& page, const std::string& charset) {
  const std::string upper = UpperAscii(page);
  const std::size_t at = upper.find("CHARSET=");
  if (at == std::string::npos) return page;
  std::size_t start = at + 8;
  const bool quoted = start < page.size() && (page[start] == '"' || page[start] == '\'');
  if (quoted) ++start;
  const std::size_t end = quoted ? page.find(page[start - 1], start) : page.find_first_of("\"'; \t\r\n/>", start);
  if (end == std::string::npos) return page;
  return page.substr(0, start) + charset + page.substr(end);
}

bool ReleasePipeline::MakeHTMLFile(const std::string& HTMLFileName) {
  std::string loader_url = TrimBlanks(answers_.ActiveXUrl);
  if (loader_url.empty() || loader_url.back() != '/') loader_url += "/";
  const std::pair<const char*, std::string> replacements[] = {
      {"VEXA_GENERATED_TIME", DateTimeText(BuildTime())},
      {"VEXA_SCRIPT_FILENAME", StripExtension(PathFileName(HTMLFileName)) + "Script.Cab"},
      {"VEXA_HTML_TITLE", answers_.HtmlTitle},
      {"VEXA_LOAD_OCX_URL", PercentEncodedUrl(loader_url + "VexaLoad.cab")},
      {"VEXA_LOAD_OCX_VERSION", GetFileVersion(answers_.WizardDirectory + "VexaLoad.ocx")},
      {"VEXA_PROGRAM_FRIENDLY_NAME", answers_.ProgramFriendlyName},
      {"VEXA_STAND_ALONE_EXE_NAME", answers_.StandAloneExeFilenameNoPath},
      {"VEXA_WIZARD_VERSION", answers_.WizardVersion},
  };
  const std::string template_path = answers_.WizardDirectory + "HtmlTemplates" + kDirectorySeparator + "TemplateSetup01.htm";
  std::string text = ReadTextFile(template_path);
  if (text.empty()) {
    // A missing (or empty) template would give an empty page that looks made.
    ShowOk("Error. Cannot read file: " + template_path);
    return false;
  }
  for (const auto& [placeholder, value] : replacements) text = ReplaceText(text, placeholder, HtmlEscaped(value));
  // The page says which code page its bytes are in: the package's.
  text = WithDeclaredCharset(text, CodePageCharsetName(answers_.PackageCodePage));
  if (!WritePackageTextFile(text, HTMLFileName)) return false;
  StampWithFixedBuildTime(HTMLFileName);
  return true;
}
