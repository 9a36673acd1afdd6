#include "trust_check.h"

#include <windows.h>


#include "held_file.h"
#include "run_state.h"
#include "signature_check.h"
#include "text.h"

std::string TrustCheckStop(RunState& run) {
  if (UpperCase(ScriptSetting(run.script, "CheckTrust")) != "TRUE") return {};
  if (!run.win_verify_trust) {
    if (run.ui->Ask(Question::RunWithoutTrustCheck,
                    "The certificate of this Installation program cannot be displayed because the DLL file "
                    "WinTrust.DLL cannot be loaded. Would you like to run this installation program anyhow?")) {
      return {};
    }
    return "WinTrust.DLL cannot be loaded, and the installation was not run without a signature check.";
  }
  // With WinTrust's own windows unless silent. Read through the hold on the program's file:
  // the bytes checked are the bytes the run takes its script and attachment from.
  const UniqueHandle own_file = run.own_exe.NewHandle();
  const LONG result = CheckFileSignature(run.own_exe_path, !run.options.silent, own_file.get()).status;
  if (result == ERROR_SUCCESS) return {};
  if (result == TRUST_E_NOSIGNATURE) return "This installation program is not signed; it was not run.";
  if (IsRevokedStatus(result))
    return "The certificate that signed this installation program has been revoked; it was not run.";
  // An installation may well run offline; it then stops here as any other failed check.
  if (IsRevocationUnknownStatus(result))
    return "Whether the certificate that signed this installation program has been revoked cannot be checked "
           "(its revocation server cannot be reached); it was not run.";
  return "The signature of this installation program could not be verified (0x" +
         HexText(static_cast<std::uint32_t>(result), 8) + "); it was not run.";
}

void (*LoadWinVerifyTrust())() {
  HMODULE wintrust = LoadLibraryExA("WinTrust.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return wintrust ? reinterpret_cast<void (*)()>(GetProcAddress(wintrust, "WinVerifyTrust")) : nullptr;
}
