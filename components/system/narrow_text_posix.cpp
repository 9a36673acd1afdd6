#include "narrow_text.h"

#include <iconv.h>

#include "utf16_text.h"

std::u16string NarrowToUtf16(std::string_view narrow, bool* valid) {
  std::u16string utf16 = Utf8ToUtf16(narrow);
  // Only well-formed UTF-8 survives the round trip unchanged.
  if (valid) *valid = Utf16ToUtf8(utf16) == narrow;
  return utf16;
}

std::string Utf16ToNarrow(std::u16string_view text) { return Utf16ToUtf8(text); }

bool NarrowToCodePage(std::string_view narrow, int code_page, std::string& bytes) {
  bytes.clear();
  if (!IsPackageCodePage(code_page)) return false;
  const iconv_t converter = iconv_open(("CP" + std::to_string(code_page)).c_str(), "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input(narrow);
  char* in = input.data();
  std::size_t in_left = input.size();
  // A single-byte code page never needs more bytes than the UTF-8 text has.
  bytes.resize(input.size());
  char* out = bytes.data();
  std::size_t out_left = bytes.size();
  // Without //TRANSLIT a character the code page lacks stops the conversion (EILSEQ).
  const bool converted = iconv(converter, &in, &in_left, &out, &out_left) != static_cast<std::size_t>(-1) &&
                         in_left == 0;
  iconv_close(converter);
  bytes.resize(bytes.size() - out_left);
  if (!converted) bytes.clear();
  return converted;
}
