// The Setup script language.
//
// A Setup script (Script.TXT) is single-byte text in the system code page. It is read
// whole into an ordered array of lines and queried from there for the rest of the run:
//
//   * Lines are split on CR (13). LF (10) and NUL bytes are dropped wherever they occur,
//     so CR LF and CR files read alike and an LF-only file is one long line. The text
//     after the last CR is a line too, even when empty.
//   * The command word of a line is its first run of characters after leading white
//     space, ending at a space, tab or double quote; it is compared in upper case.
//   * Argument n is the text between the (2n-1)-th and the 2n-th double quote of the
//     line. There is no escape; whatever lies between quoted fields is ignored.
//   * A setting NAME is argument 1 of the first line whose command word is SET + NAME.
//   * Unknown command words do nothing, which is how the apostrophe comment lines the
//     wizard writes stay inert.
//
// Where we differ on purpose: numbers in arguments are read as 64-bit values, so sizes
// of packages above 2 GiB do not wrap; a script larger than kMaxScriptBytes, with more
// than kMaxScriptLines lines or a line longer than kMaxScriptLineBytes is refused rather
// than read into memory; and a product directory whose last component is empty
// ("\" or "C:\\") counts as naming no sub-directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using ScriptLines = std::vector<std::string>;

// A real Setup script is a few kilobytes; anything this large is not one.
inline constexpr std::uintmax_t kMaxScriptBytes = 16u * 1024u * 1024u;
// The wizard writes a line per file cabinet, component and shortcut: a few hundred.
inline constexpr std::size_t kMaxScriptLines = 100'000;
// Room for an Execute line with a great many parameters.
inline constexpr std::size_t kMaxScriptLineBytes = 1024u * 1024u;

// Reads the file at `path` into `lines`, replacing their contents. False when the file
// cannot be opened or read, or is beyond one of the limits above; `lines` is then empty,
// and `too_large`, when given, names the limit ("" when the file could not be read).
bool LoadScript(const std::string& path, ScriptLines& lines, std::string* too_large = nullptr);

// Splits script text into lines by the rules above.
ScriptLines SplitScriptText(std::string_view text);

// The command word of line `index` in upper case; empty for an index past the end.
std::string CommandWord(const ScriptLines& lines, std::size_t index);

// Argument n (n >= 1) of line `index`; empty when the line has fewer than 2n quotes.
std::string ScriptArgument(const ScriptLines& lines, std::size_t index, int n);

// Every argument of line `index` in order, read in one pass over the line.
std::vector<std::string> ScriptArguments(const ScriptLines& lines, std::size_t index);

// The number of quoted arguments on line `index`: its double quotes divided by 2.
int ArgumentCount(const ScriptLines& lines, std::size_t index);

// The value of setting `name` (given without "Set", for example "ProductName").
std::string ScriptSetting(const ScriptLines& lines, std::string_view name);

// A number written in an argument: leading white space, an optional sign, decimal digits,
// up to the first other character; 0 when the text does not start with a number.
// Values beyond the 64-bit range saturate.
std::int64_t ScriptNumber(std::string_view text);

// The product sub-directory named by a SetProductDirectory value, with a trailing "\"
// ("<ProgramFilesDir>\Acme Paint" gives "Acme Paint\"). False when the value names no
// sub-directory ("C:\", "<ProgramFilesDir>", "<ProgramFilesDir>\").
bool ProductSubDirectoryName(std::string_view value, std::string& name);

// The command words the engine acts on, in upper case as CommandWord gives them.
inline constexpr std::string_view kInstallProgramWord = "INSTALLPROGRAM";
inline constexpr std::string_view kInstallDllFileWord = "INSTALLDLLFILE";
inline constexpr std::string_view kInstallOcxFileWord = "INSTALLOCXFILE";
inline constexpr std::string_view kCreateProgramGroupWord = "CREATEPROGRAMGROUP";
inline constexpr std::string_view kExecuteWord = "EXECUTE";
inline constexpr std::string_view kExecuteInSeparateWindowWord = "EXECUTEINSEPARATEWINDOW";

// Script placeholders; each is recognised only at the very start of a value.
inline constexpr std::string_view kProgramFilesDirPlaceholder = "<ProgramFilesDir>";
inline constexpr std::string_view kProgramsGroupPlaceholder = "<ProgramsGroup>";
inline constexpr std::string_view kProductDirectoryPlaceholder = "<ProductDirectory>";
inline constexpr std::string_view kProductProgramGroupPlaceholder = "<ProductProgramGroup>";

// True when `value` starts with `placeholder`, ignoring case. `rest` is then the text
// after the placeholder and after one "\" that follows it, so that the placeholder's
// replacement (which ends in "\") followed by `rest` is the expanded value.
bool TextAfterPlaceholder(std::string_view value, std::string_view placeholder, std::string& rest);
