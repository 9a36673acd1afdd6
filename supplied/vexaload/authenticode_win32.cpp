#include "authenticode_win32.h"

#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <vector>

namespace {

using WinVerifyTrustFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProviderDataFunction = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProviderSignerFunction = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);

struct WinTrust {
  HMODULE module = nullptr;
  WinVerifyTrustFunction verify = nullptr;
  ProviderDataFunction provider_data = nullptr;
  ProviderSignerFunction provider_signer = nullptr;

  bool Load() {
    module = LoadLibraryExA("wintrust.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return false;
    verify = reinterpret_cast<WinVerifyTrustFunction>(reinterpret_cast<void*>(GetProcAddress(module, "WinVerifyTrust")));
    provider_data = reinterpret_cast<ProviderDataFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "WTHelperProvDataFromStateData")));
    provider_signer = reinterpret_cast<ProviderSignerFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "WTHelperGetProvSignerFromChain")));
    return verify != nullptr && provider_data != nullptr && provider_signer != nullptr;
  }
  ~WinTrust() {
    if (module != nullptr) FreeLibrary(module);
  }
};

std::string HexStatus(LONG status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
  return text;
}

std::string TrustFailure(LONG status) {
  switch (static_cast<HRESULT>(status)) {
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
      return "it is not signed";
    case TRUST_E_BAD_DIGEST:
      return "it was changed after it was signed";
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case TRUST_E_EXPLICIT_DISTRUST:
      return "its signer is not trusted on this computer";
    case CERT_E_EXPIRED:
      return "its signing certificate has expired";
    default:
      return "its signature does not verify (" + HexStatus(status) + ")";
  }
}

// The chain of the first signer, as the check built it: false when its root is not one
// the PC trusts (or the chain could not be built at all).
bool ChainIsTrusted(WinTrust& trust, HANDLE state) {
  CRYPT_PROVIDER_DATA* data = trust.provider_data(state);
  if (data == nullptr) return false;
  CRYPT_PROVIDER_SGNR* signer = trust.provider_signer(data, 0, FALSE, 0);
  if (signer == nullptr || signer->pChainContext == nullptr) return false;
  const DWORD bad = CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_NOT_SIGNATURE_VALID |
                    CERT_TRUST_IS_REVOKED | CERT_TRUST_IS_EXPLICIT_DISTRUST;
  return (signer->pChainContext->TrustStatus.dwErrorStatus & bad) == 0;
}

}  // namespace

bool VerifyAuthenticodeSignature(const std::string& path, std::string& error) {
  WinTrust trust;
  if (!trust.Load()) {
    error = "the signature check of this computer (WinTrust.DLL) is not available";
    return false;
  }
  std::vector<wchar_t> wide(path.size() + 1);
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size())) == 0) {
    error = "its name cannot be read";
    return false;
  }
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = wide.data();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG status = trust.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  bool trusted = status == ERROR_SUCCESS;
  if (!trusted) {
    error = TrustFailure(status);
  } else if (!ChainIsTrusted(trust, data.hWVTStateData)) {
    error = TrustFailure(CERT_E_UNTRUSTEDROOT);
    trusted = false;
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  trust.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return trusted;
}
