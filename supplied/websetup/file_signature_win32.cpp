#include "file_signature.h"

#include <cstdio>
#include <vector>

#include "sha256_win32.h"

bool HashStream(std::FILE* stream, std::string& sha256, std::uint64_t& size) {
  if (!stream) return false;
  Sha256 hash;
  std::vector<char> buffer(1 << 20);
  size = 0;
  std::size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), stream)) > 0) {
    hash.Update(buffer.data(), read);
    size += read;
  }
  const bool ok = !std::ferror(stream);
  std::fclose(stream);
  if (ok) sha256 = hash.HexDigest();
  return ok;
}

bool HashFile(const std::string& path, std::string& sha256, std::uint64_t& size) {
  return HashStream(std::fopen(path.c_str(), "rb"), sha256, size);
}

bool FileMatchesSignature(const std::string& path, const FileSignature& signature) {
  return StreamMatchesSignature(std::fopen(path.c_str(), "rb"), signature);
}

bool StreamMatchesSignature(std::FILE* stream, const FileSignature& signature) {
  std::string sha256;
  std::uint64_t size = 0;
  return HashStream(stream, sha256, size) && size == signature.size && sha256 == signature.sha256;
}
