// File signatures of the download component, and the short form used in cache file names.
//
// Long form:  "sha256-" + 64 lower-case hex digits of the file's SHA-256 + "-" + its size
//             in decimal, e.g. "sha256-9f86…0a08-4".
// Short form: the first 32 hex digits of the digest (128 bits), safe in any file name.
// A downloader recomputes the long form of what it fetched and compares the whole text.
#pragma once

#include <string>

// The long signature of the file at `path`; empty when the file cannot be read.
std::string GetFileSignature(const std::string& path);

// The short form of a long signature; empty when `long_signature` is not one.
std::string LongSigToShortSig(const std::string& long_signature);

// The download component's CallFunction: "LongSigToShortSig" (case as written) with a long
// signature gives its short form; any other function name gives an empty text.
std::string CallFunction(const std::string& function_name, const std::string& argument);
