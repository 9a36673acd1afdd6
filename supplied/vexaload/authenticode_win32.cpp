#include "authenticode_win32.h"

#include <windows.h>

#include <cstdio>

#include "signature_check.h"

namespace {

std::string HexStatus(LONG status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
  return text;
}

std::string TrustFailure(LONG status) {
  if (IsRevokedStatus(status)) return "its signing certificate has been revoked";
  if (IsRevocationUnknownStatus(status))
    return "whether its signing certificate has been revoked cannot be checked (its revocation server cannot be "
           "reached)";
  switch (static_cast<HRESULT>(status)) {
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
    case TRUST_E_NO_SIGNER_CERT:
      return "it is not signed";
    case TRUST_E_BAD_DIGEST:
      return "it was changed after it was signed";
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case TRUST_E_EXPLICIT_DISTRUST:
      return "its signer is not trusted on this computer";
    case CERT_E_EXPIRED:
      return "its signing certificate has expired";
    case kSignatureCheckUnavailable:
      return "the signature check of this computer (WinTrust.DLL) is not available";
    default:
      return "its signature does not verify (" + HexStatus(status) + ")";
  }
}

}  // namespace

bool VerifyAuthenticodeSignature(const std::string& path, std::string& error, std::string& publisher) {
  const SignatureCheck check = CheckFileSignature(path, false);
  publisher = check.publisher;
  LONG status = check.status;
  if (status == ERROR_SUCCESS && !check.root_trusted) status = CERT_E_UNTRUSTEDROOT;
  if (status == ERROR_SUCCESS) return true;
  error = TrustFailure(status);
  return false;
}
