// The Authenticode check of a downloaded script cabinet. The page is made before the
// developer signs the script cabinet, so it cannot carry the cabinet's digest; the
// loader accepts the cabinet only when its signature verifies, no certificate of its
// signer's chain is revoked (or of unknown revocation: signature_check.h), and the chain
// ends in a root the PC trusts.
//
// WinVerifyTrust's answer is final on Windows. Some implementations (Wine among them)
// accept a chain whose root the PC does not trust, so the chain that the check built is
// looked at as well: an untrusted or unknown root is refused here too.
#pragma once

#include <string>

// True when the file at `path` carries an Authenticode signature that verifies and
// chains to a trusted root; false with `error` saying why not (without "Error.").
// `publisher` is the signer's name from its certificate, when the file has a signer.
bool VerifyAuthenticodeSignature(const std::string& path, std::string& error, std::string& publisher);
