// Script reader on arbitrary bytes: every query on every line must stay within bounds,
// and the line split must account for every byte that is not LF or NUL.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ScriptLines lines = SplitScriptText(text);

  std::size_t kept = lines.size() - 1;  // the CRs
  for (const std::string& line : lines) kept += line.size();
  std::size_t expected = 0;
  for (char c : text) expected += (c != '\n' && c != '\0');
  if (kept != expected) std::abort();

  for (std::size_t i = 0; i < lines.size(); ++i) {
    CommandWord(lines, i);
    const int count = ArgumentCount(lines, i);
    for (int n = 1; n <= count + 1; ++n) {
      const std::string argument = ScriptArgument(lines, i, n);
      if (n > count && !argument.empty()) std::abort();
      ScriptNumber(argument);
    }
  }
  const std::string directory = ScriptSetting(lines, "ProductDirectory");
  std::string name;
  ProductSubDirectoryName(directory, name);
  std::string rest;
  TextAfterPlaceholder(directory, kProgramFilesDirPlaceholder, rest);
  return 0;
}
