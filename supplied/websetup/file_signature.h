// Signatures of published files, as the web script and the attachment carry them:
//
//   long signature    "sha256-" + 64 lower-case hex digits of the file's SHA-256 + "-" +
//                     the file's size in decimal
//   short signature   the first 32 hex digits of that digest (the cache file names and
//                     line 5 of the attachment)
//
// A download is accepted only when the signature recomputed from its bytes equals the one
// published; size first, so that a hostile server cannot make us hash without end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// The largest file a web setup downloads. A signature naming more is refused.
inline constexpr std::uint64_t kMaxDownloadBytes = 2ull * 1024 * 1024 * 1024;

struct FileSignature {
  std::string sha256;  // 64 lower-case hex digits
  std::uint64_t size = 0;
  std::string ShortSignature() const { return sha256.substr(0, 32); }
};

// False for anything but a well-formed long signature of at most kMaxDownloadBytes.
bool ParseLongSignature(std::string_view text, FileSignature& signature);

// True for 32 hex digits (either case).
bool IsShortSignature(std::string_view text);

// True when `digest` (64 hex digits) starts with the short signature, ignoring case.
bool DigestHasShortSignature(std::string_view digest, std::string_view short_signature);

// Hashing is the system's (file_signature_win32.cpp): Windows build only.

// The SHA-256 of the file at `path` in hex and its size; false when it cannot be read.
bool HashFile(const std::string& path, std::string& sha256, std::uint64_t& size);

// The same for an open stream, read from where it stands to its end; the stream is closed.
bool HashStream(std::FILE* stream, std::string& sha256, std::uint64_t& size);

// True when the file at `path` has exactly this size and digest.
bool FileMatchesSignature(const std::string& path, const FileSignature& signature);

// The same for an open stream, read from where it stands; the stream is closed.
bool StreamMatchesSignature(std::FILE* stream, const FileSignature& signature);
