#include "package_cache.h"

#include "sha256_win32.h"
#include "text.h"

std::string PackageCacheKey(std::string_view publication_url, std::string_view script_cabinet) {
  return Sha256Hex(std::string(publication_url) + "\n" + UpperCase(std::string(script_cabinet)))
      .substr(0, kShortSignatureDigits);
}
