// SHA-256 by the system's cryptography (CNG, bcrypt.dll), for checking downloads against
// the signatures in the web setup files. Incremental, so that a file is hashed while it is
// read. The builder, which also runs on Linux, hashes with a portable copy of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  void Update(const void* data, std::size_t size);
  // The digest as 64 lower-case hexadecimal digits, or empty when the system could not
  // hash (an empty digest matches no signature). Ends the hash: call once.
  std::string HexDigest();

 private:
  void* algorithm_ = nullptr;  // BCRYPT_ALG_HANDLE
  void* hash_ = nullptr;       // BCRYPT_HASH_HANDLE
  bool failed_ = false;
};

// The hexadecimal SHA-256 of `data`.
std::string Sha256Hex(std::string_view data);
