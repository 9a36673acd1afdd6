// The developer's answers as they are kept in the project directory: one field per settings
// file of "<program directory>VexaWizardNetloomProject/ProjectFiles/".
//
// Formats (no header, no quoting): a text file holds exactly the field's bytes with no line
// end added; a list has CR LF after every entry, the last one too; the number is the check
// box value with a leading blank for the sign (" 1" / " 0"). See docs/wizard-project-files.md
// for the character set and the bounds applied when a file is read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "narrow_text.h"
#include "program_group_tree.h"

inline constexpr const char* kProjectDirectoryName = "VexaWizardNetloomProject";
inline constexpr const char* kProjectFilesDirectoryName = "ProjectFiles";
inline constexpr const char* kReleaseDirectoryName = "Release";
inline constexpr const char* kReleaseActiveXDirectoryName = "ReleaseActiveX";

// A text settings file keeps at most this many bytes from its start.
inline constexpr std::size_t kMaxSettingsTextBytes = 65'536;

struct ProjectSettings {
  std::string ProgramFriendlyName;
  std::string CompanyName;
  std::string WebSiteURL;
  std::string ActiveXUrl;
  std::string PublicationURL;
  std::vector<std::string> ProgramFiles;
  std::string ExeFilename;
  std::string ExeParas;
  std::vector<std::string> OcxFiles;
  std::vector<std::string> DllFiles;
  ProgramGroupTree ProgramGroup;
  std::string HtmlFilenameNoPath;
  std::string HtmlTitle;
  int CreateMultiProgramCabs = 1;
  std::string SignCodeCommands;
  int SignEveryProgram = 0;
  std::string StandAloneExeFilenameNoPath;
  int CodePage = kDefaultPackageCodePage;
};

// The code page of a CodePage.txt text: its decimal number, the default for a blank text,
// 0 (which no build accepts) for anything else.
int CodePageOfText(const std::string& text);

// The list format: every entry followed by CR LF.
std::string ListFileText(const std::vector<std::string>& entries);

// The number format: " 1" or " 0" (a negative value keeps its "-").
std::string NumberFileText(int value);

// The check box value of a number file: leading blanks ignored, a text that is not a
// number counts as 0, and any value other than 0 becomes 1.
int CheckValueOfNumberText(const std::string& text);

// A text settings file as the field gets it: at most kMaxSettingsTextBytes bytes, NUL bytes
// dropped (no field can hold one); empty when the file is absent.
std::string ReadSettingsText(const std::string& path);
