#include <windows.h>
#include <shlobj.h>

#include <string>

#include "utf16_text.h"

namespace vexa::components {

std::string CacheBaseDirectoryOfPlatform() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return {};
  }
  const std::wstring wide(path);
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end())) + "\\Corvanta\\";
}

std::string NativeDirectoryText(const std::string& directory) { return directory; }

}  // namespace vexa::components
