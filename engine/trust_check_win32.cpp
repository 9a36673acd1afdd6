#include "trust_check.h"

#include <windows.h>
#define WT_DEFINE_ALL_APIS
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>

#include "run.h"
#include "text.h"

namespace {

using WinVerifyTrustFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);

// WinVerifyTrust's result for the package, with WinTrust's own window unless silent.
LONG VerifyPackageSignature(const RunState& run) {
  const auto verify = reinterpret_cast<WinVerifyTrustFunction>(run.win_verify_trust);
  std::wstring path(run.own_exe_path.begin(), run.own_exe_path.end());
  const int wide_length = MultiByteToWideChar(CP_ACP, 0, run.own_exe_path.c_str(), -1, nullptr, 0);
  if (wide_length > 0) {
    path.assign(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, run.own_exe_path.c_str(), -1, path.data(), wide_length);
    path.resize(static_cast<std::size_t>(wide_length - 1));
  }
  // Read through the hold on the program's file: the bytes checked are the bytes the run
  // takes its script and attachment from.
  const UniqueHandle own_file = run.own_exe.NewHandle();
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  file.hFile = own_file.get();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = run.options.silent ? WTD_UI_NONE : WTD_UI_ALL;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = verify(nullptr, &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  verify(nullptr, &action, &data);
  return result;
}

}  // namespace

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
  const LONG result = VerifyPackageSignature(run);
  if (result == ERROR_SUCCESS) return {};
  if (result == TRUST_E_NOSIGNATURE) return "This installation program is not signed; it was not run.";
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return "The signature of this installation program could not be verified (" + std::string(code) +
         "); it was not run.";
}

void (*LoadWinVerifyTrust())() {
  HMODULE wintrust = LoadLibraryExA("WinTrust.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return wintrust ? reinterpret_cast<void (*)()>(GetProcAddress(wintrust, "WinVerifyTrust")) : nullptr;
}
