#include "signature_check.h"

#include <windows.h>
#define WT_DEFINE_ALL_APIS
#include <softpub.h>
#include <wintrust.h>

#include <vector>

#include "system_function.h"
#include "text.h"

namespace {

struct TrustFunctions {
  LONG(WINAPI* verify)(HWND, GUID*, LPVOID) = nullptr;
  CRYPT_PROVIDER_DATA*(WINAPI* provider_data)(HANDLE) = nullptr;
  CRYPT_PROVIDER_SGNR*(WINAPI* provider_signer)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD) = nullptr;
  BOOL(WINAPI* verify_revocation)(DWORD, DWORD, DWORD, PVOID*, DWORD, PCERT_REVOCATION_PARA,
                                  PCERT_REVOCATION_STATUS) = nullptr;
  DWORD(WINAPI* name_string)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPSTR, DWORD) = nullptr;

  // WinTrust loads crypt32 itself; both stay loaded for the life of the process.
  bool Load() {
    HMODULE wintrust = LoadSystemLibrary("wintrust.dll");
    HMODULE crypt32 = LoadSystemLibrary("crypt32.dll");
    if (wintrust == nullptr || crypt32 == nullptr) return false;
    LookUp(wintrust, "WinVerifyTrust", verify);
    LookUp(wintrust, "WTHelperProvDataFromStateData", provider_data);
    LookUp(wintrust, "WTHelperGetProvSignerFromChain", provider_signer);
    LookUp(crypt32, "CertVerifyRevocation", verify_revocation);
    LookUp(crypt32, "CertGetNameStringA", name_string);
    return verify && provider_data && provider_signer && verify_revocation && name_string;
  }
};

const CERT_SIMPLE_CHAIN* SignerChain(const CRYPT_PROVIDER_SGNR* signer) {
  if (signer == nullptr || signer->pChainContext == nullptr || signer->pChainContext->cChain == 0) return nullptr;
  const CERT_SIMPLE_CHAIN* chain = signer->pChainContext->rgpChain[0];
  return chain != nullptr && chain->cElement > 0 ? chain : nullptr;
}

std::string SignerName(const TrustFunctions& trust, const CERT_SIMPLE_CHAIN& chain) {
  char name[256] = {};
  trust.name_string(chain.rgpElement[0]->pCertContext, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof name);
  name[sizeof name - 1] = '\0';
  return name;
}

bool RootTrusted(const CRYPT_PROVIDER_SGNR& signer) {
  const DWORD bad = CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_NOT_SIGNATURE_VALID |
                    CERT_TRUST_IS_REVOKED | CERT_TRUST_IS_EXPLICIT_DISTRUST;
  return (signer.pChainContext->TrustStatus.dwErrorStatus & bad) == 0;
}

// The revocation of every certificate of the chain but its root: what the check that
// built the chain recorded, then what the certificates' revocation sources say now.
LONG ChainRevocation(const TrustFunctions& trust, const CRYPT_PROVIDER_SGNR& signer, const CERT_SIMPLE_CHAIN& chain) {
  const DWORD recorded = signer.pChainContext->TrustStatus.dwErrorStatus;
  if ((recorded & CERT_TRUST_IS_REVOKED) != 0) return CERT_E_REVOKED;
  if ((recorded & (CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION)) != 0)
    return CERT_E_REVOCATION_FAILURE;
  // A signer that is its own root has nothing above it to ask.
  if (chain.cElement < 2) return ERROR_SUCCESS;
  std::vector<void*> certificates;
  for (DWORD i = 0; i + 1 < chain.cElement; ++i)
    certificates.push_back(const_cast<CERT_CONTEXT*>(chain.rgpElement[i]->pCertContext));
  CERT_REVOCATION_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  parameters.pIssuerCert = chain.rgpElement[chain.cElement - 1]->pCertContext;
  CERT_REVOCATION_STATUS answer{};
  answer.cbSize = sizeof answer;
  if (trust.verify_revocation(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, CERT_CONTEXT_REVOCATION_TYPE,
                              static_cast<DWORD>(certificates.size()), certificates.data(), CERT_VERIFY_REV_CHAIN_FLAG,
                              &parameters, &answer)) {
    return ERROR_SUCCESS;
  }
  return answer.dwError == static_cast<DWORD>(CRYPT_E_REVOKED) ? CERT_E_REVOKED : CERT_E_REVOCATION_FAILURE;
}

}  // namespace

SignatureCheck CheckFileSignature(const std::string& path, bool show_windows, void* file_handle) {
  SignatureCheck check;
  TrustFunctions trust;
  if (!trust.Load()) {
    check.status = kSignatureCheckUnavailable;
    return check;
  }
  const std::wstring wide = Wide(path);
  if (wide.empty() && !path.empty()) {
    check.status = TRUST_E_SUBJECT_FORM_UNKNOWN;
    return check;
  }

  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = wide.c_str();
  file.hFile = file_handle;
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = show_windows ? WTD_UI_ALL : WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // A null window lets WinTrust show its windows; INVALID_HANDLE_VALUE allows none.
  const HWND window = show_windows ? nullptr : static_cast<HWND>(INVALID_HANDLE_VALUE);
  check.status = trust.verify(window, &action, &data);

  CRYPT_PROVIDER_DATA* provider = trust.provider_data(data.hWVTStateData);
  const CRYPT_PROVIDER_SGNR* signer = provider ? trust.provider_signer(provider, 0, FALSE, 0) : nullptr;
  if (const CERT_SIMPLE_CHAIN* chain = SignerChain(signer)) {
    check.publisher = SignerName(trust, *chain);
    check.root_trusted = RootTrusted(*signer);
    if (check.status == ERROR_SUCCESS) check.status = ChainRevocation(trust, *signer, *chain);
  } else if (check.status == ERROR_SUCCESS) {
    check.status = TRUST_E_NO_SIGNER_CERT;
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  trust.verify(window, &action, &data);
  return check;
}

bool IsRevokedStatus(long status) {
  return status == CERT_E_REVOKED || status == CRYPT_E_REVOKED;
}

bool IsRevocationUnknownStatus(long status) {
  return status == CERT_E_REVOCATION_FAILURE || status == CRYPT_E_REVOCATION_OFFLINE ||
         status == CRYPT_E_NO_REVOCATION_CHECK || status == CRYPT_E_NOT_IN_REVOCATION_DATABASE;
}
