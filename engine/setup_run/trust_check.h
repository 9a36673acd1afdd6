// The signature check that a Setup script asks for with SetCheckTrust "TRUE": the
// package's Authenticode signature, verified by WinTrust's generic verification policy
// (Wine and current Windows implement that policy for real, where the older
// published-software action is accepted without any check) with the revocation of its
// chain checked (signature_check.h). WinTrust.DLL is optional and loaded at run time from
// the system directory.
#pragma once

#include <string>

struct RunState;

// WinVerifyTrust of WinTrust.DLL, or null when the DLL cannot be loaded.
void (*LoadWinVerifyTrust())();

// Why start-up stops at the trust check, for the log; empty when the run may go on (the
// script asks for no check, the signature is sound, or the user chose to run without
// WinTrust.DLL). A revocation server that cannot be reached fails the check.
std::string TrustCheckStop(RunState& run);
