// The Authenticode check of a file, for SetCheckTrust and for the browser loader's script
// cabinet: WinVerifyTrust of WinTrust.DLL (loaded from the system directory when needed)
// with the generic verification action, revocation checked for the whole chain
// (WTD_REVOKE_WHOLECHAIN) of every certificate but the root: a root is trusted by its
// place in the root store and stops being trusted by leaving it.
//
// WinVerifyTrust's answer is final on Windows. Some implementations (Wine among them)
// build the signer's chain without asking any revocation source, so the chain the check
// built is asked once more (CertVerifyRevocation). A certificate whose revocation cannot be
// learnt (no source named, or the source cannot be reached) fails the check as a revoked
// one does: a stolen key is revoked, and whoever holds it can also keep the PC from
// hearing so.
#pragma once

#include <string>

struct SignatureCheck {
  long status = 0;            // ERROR_SUCCESS when the signature verifies; else why not (TRUST_E_*, CERT_E_*)
  bool root_trusted = false;  // the signer's chain ends in a root of this PC's root store
  std::string publisher;      // the signer's name from its certificate; empty without a signer
};

// The status when WinTrust.DLL or crypt32.dll cannot be loaded from the system directory
// (HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)).
inline constexpr long kSignatureCheckUnavailable = static_cast<long>(0x8007007EUL);

// `show_windows`: WinTrust may show its own windows (WTD_UI_ALL); otherwise none.
// `file`, when given, is an open handle (HANDLE) to the file at `path`: the bytes are read
// through it, so that they are the bytes its holder goes on to use.
SignatureCheck CheckFileSignature(const std::string& path, bool show_windows, void* file = nullptr);

// The statuses that mean a certificate of the chain is revoked, and those that mean its
// revocation could not be checked.
bool IsRevokedStatus(long status);
bool IsRevocationUnknownStatus(long status);
