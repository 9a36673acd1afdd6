// The checks of the two names Finish produces in the Release directory: the HTML page and
// the stand-alone web setup program.
#include <cstdio>

#include "form1.h"
#include "path_services.h"
#include "text_files.h"

struct ReleaseFileNameRules {
  bool (*extension_ok)(const std::string& upper_name);
  std::string extension_message;
  std::string spaces_message;
  std::string characters_message;
  std::string web_characters_message;
  std::string create_message;
};

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

const std::string kQuote = "\"";

bool HoldsOnlyWebFileNameCharacters(const std::string& name) {
  for (char c : name) {
    if (!IsWebFileNameCharacter(c)) return false;
  }
  return true;
}

}  // namespace

bool IsWebFileNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == '.';
}

std::string WebFileNameCharacters(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (IsWebFileNameCharacter(c)) kept += c;
  }
  return kept;
}

// The first failing rule shows its message, focuses the field and gives false. The name is
// tested where it will be written: ReleaseDirectory followed by the trimmed name.
bool Form1::ValidateReleaseFileName(TextBox& field, const ReleaseFileNameRules& rules) {
  SetText(field, TrimBlanks(field.text));
  const std::string& name = field.text;
  std::string message;
  if (!rules.extension_ok(UpperAscii(name))) {
    message = rules.extension_message;
  } else if (name.find(' ') != std::string::npos) {
    message = rules.spaces_message;
  } else if (name.find_first_of("\\/:*?\"<>|") != std::string::npos) {
    message = rules.characters_message;
  } else if (!HoldsOnlyWebFileNameCharacters(name)) {
    // The names are parts of the package's URLs and are created on the end user's PC.
    message = rules.web_characters_message;
  } else {
    const std::string path = ReleaseDirectory + name;
    if (!PathExists(path)) {
      // A probe: can a file of this name be made here? An existing file is never touched.
      const bool created = WriteTextFile(" ", path);
      std::remove(path.c_str());
      if (!created) message = rules.create_message;
    }
  }
  if (message.empty()) return true;
  host_.ShowMessage(message, "", MessageIcon::None, MessageButtons::Ok);
  SetFocus(field);
  return false;
}

bool Form1::ValidateHtmlFilenameNoPath() {
  static const ReleaseFileNameRules rules{
      [](const std::string& upper) { return EndsWith(upper, ".HTM") || EndsWith(upper, ".HTML"); },
      "Error. You specified an invalid filename for the resultant HTML file. The resultant HTML filename must have a "
      ".htm extension or a .html extension.",
      "Error. You specified an invalid filename for the resultant HTML file. The resultant HTML filename cannot "
      "contain spaces.",
      "Error. You specified an invalid filename for the resultant HTML file. A filename cannot contain any of the "
      "following characters: \\/:*?" + kQuote + "<>|",
      "Error. You specified an invalid filename for the resultant HTML file. The resultant HTML filename is part of "
      "a Web address: it can contain only the letters A to Z and a to z, the digits 0 to 9, \"-\", \"_\" and \".\".",
      "Error. Cannot create the specified resultant HTML file. Make sure the specified resultant HTML filename is "
      "valid."};
  return ValidateReleaseFileName(txtHtmlFilenameNoPath, rules);
}

bool Form1::ValidateStandAloneExeFilename() {
  static const ReleaseFileNameRules rules{
      [](const std::string& upper) { return EndsWith(upper, ".EXE"); },
      "Error. You specified an invalid filename for the resultant stand-alone EXE file. The resultant stand-alone EXE "
      "filename must have an .exe extension.",
      "Error. You specified an invalid filename for the resultant stand-alone EXE file. The resultant stand-alone EXE "
      "filename cannot contain spaces.",
      "Error. You specified an invalid filename for the resultant stand-alone exe file. A filename cannot contain any "
      "of the following characters: \\/:*?" + kQuote + "<>|",
      "Error. You specified an invalid filename for the resultant stand-alone EXE file. The resultant stand-alone "
      "EXE filename is part of a Web address: it can contain only the letters A to Z and a to z, the digits 0 to 9, "
      "\"-\", \"_\" and \".\".",
      "Error. Cannot create the specified resultant stand-alone EXE file. Make sure the specified resultant EXE "
      "filename is valid."};
  return ValidateReleaseFileName(txtStandAloneExeFilenameNoPath, rules);
}
