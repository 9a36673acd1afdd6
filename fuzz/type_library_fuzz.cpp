// The type-library reader on arbitrary bytes, as a type library and as a PE file with a
// TYPELIB resource: reads stay in bounds and every class is a braces-form GUID; the check
// that a component is a Windows library reads the same headers in bounds too.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "pe_resources.h"
#include "type_library.h"

namespace {

void CheckClasses(const std::vector<std::string>& classes) {
  if (classes.size() > 65535) std::abort();
  for (const std::string& id : classes) {
    if (id.size() != 38 || id.front() != '{' || id.back() != '}') std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  CheckClasses(TypeLibraryClassIds(bytes));
  const std::span<const std::uint8_t> resource =
      FindPeResource(bytes, ResourceType{0, u"TYPELIB"});
  if (!resource.empty() && (resource.data() < data || resource.data() + resource.size() > data + size)) std::abort();
  CheckClasses(TypeLibraryClassIds(resource));
  IsWindowsLibrary(bytes);  // the component check reads the same headers: in bounds
  return 0;
}
