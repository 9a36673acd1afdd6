#include "administrators_only.h"

#include <windows.h>
#include <sddl.h>

namespace {

// The security descriptor built from kAdministratorsOnlySddl, freed when it goes.
class AdministratorsOnlyDescriptor {
 public:
  AdministratorsOnlyDescriptor() {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdministratorsOnlySddl, SDDL_REVISION_1,
                                                              &descriptor_, nullptr))
      descriptor_ = nullptr;
  }
  ~AdministratorsOnlyDescriptor() {
    if (descriptor_) LocalFree(descriptor_);
  }
  AdministratorsOnlyDescriptor(const AdministratorsOnlyDescriptor&) = delete;
  AdministratorsOnlyDescriptor& operator=(const AdministratorsOnlyDescriptor&) = delete;
  PSECURITY_DESCRIPTOR get() const { return descriptor_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

}  // namespace

bool RunsElevated() {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size)) return false;
  // Only an enabled membership counts: a filtered token of an administrator holds the
  // group for denying only.
  BOOL member = FALSE;
  return CheckTokenMembership(nullptr, sid, &member) && member;
}

bool CreateAdministratorsOnlyDirectory(const std::string& path) {
  DWORD error = ERROR_INVALID_SECURITY_DESCR;
  bool created = false;
  {
    const AdministratorsOnlyDescriptor descriptor;
    if (descriptor.get()) {
      SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
      created = CreateDirectoryA(path.c_str(), &attributes) != 0;
      error = GetLastError();
    }
  }
  // The caller tells "exists already" from other failures.
  if (!created) SetLastError(error);
  return created;
}

std::string AdministratorsOnlyAccessList() {
  const AdministratorsOnlyDescriptor descriptor;
  if (!descriptor.get()) return {};
  char* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.get(), SDDL_REVISION_1,
                                                            DACL_SECURITY_INFORMATION, &text, nullptr))
    return {};
  std::string list(text);
  LocalFree(text);
  return list;
}
