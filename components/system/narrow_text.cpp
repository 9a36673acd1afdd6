#include "narrow_text.h"

bool IsPackageCodePage(int code_page) { return code_page == 874 || (code_page >= 1250 && code_page <= 1258); }

std::string CodePageCharsetName(int code_page) { return "windows-" + std::to_string(code_page); }
