// The Authenticode check of a downloaded script cabinet. The page is made before the
// developer signs the script cabinet, so it cannot carry the cabinet's digest; the
// loader accepts the cabinet only when its signature verifies and its signer's chain
// ends in a root the PC trusts.
//
// WinVerifyTrust (WinTrust.DLL, loaded from the system directory at run time) with the
// generic verify action checks the signature and the chain; its answer is final on
// Windows. Some implementations (Wine among them) accept a chain whose root the PC does
// not trust, so the chain that the check built is looked at as well: an untrusted or
// unknown root is refused here too.
#pragma once

#include <string>

// True when the file at `path` carries an Authenticode signature that verifies and
// chains to a trusted root; false with `error` saying why not (without "Error.").
bool VerifyAuthenticodeSignature(const std::string& path, std::string& error);
