// What the stand-alone web setup program hashes with the system's SHA-256: known digests,
// files against their signatures, and the names of package indexes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "file_signature.h"
#include "package_cache.h"
#include "scratch_directory.h"
#include "sha256_win32.h"

TEST(Sha256Test, KnownDigestsInOnePieceAndInPieces) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string two_blocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Sha256Hex(two_blocks), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // A million "a" fed in uneven pieces.
  Sha256 hash;
  const std::string piece(997, 'a');
  std::size_t left = 1000000;
  while (left > 0) {
    const std::size_t n = std::min(left, piece.size());
    hash.Update(piece.data(), n);
    left -= n;
  }
  EXPECT_EQ(hash.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(FileSignatureTest, AFileMatchesOnlyItsOwnSizeAndDigest) {
  ScratchDirectory scratch;
  const std::filesystem::path path = scratch.path() / "signature_test.bin";
  std::ofstream(path, std::ios::binary) << "abc";
  std::string digest;
  std::uint64_t size = 0;
  ASSERT_TRUE(HashFile(path.string(), digest, size));
  EXPECT_EQ(size, 3u);
  FileSignature signature{"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", 3};
  EXPECT_EQ(digest, signature.sha256);
  EXPECT_TRUE(FileMatchesSignature(path.string(), signature));
  signature.size = 4;
  EXPECT_FALSE(FileMatchesSignature(path.string(), signature));
  std::filesystem::remove(path);
  signature.size = 3;
  EXPECT_FALSE(FileMatchesSignature(path.string(), signature));
  EXPECT_FALSE(HashFile(path.string(), digest, size));
}

TEST(PackageCacheTest, OneKeyPerAddressAndScriptCabinetInAnyCase) {
  EXPECT_EQ(PackageCacheKey("http://h/a/", "PageScript.Cab"), PackageCacheKey("http://h/a/", "PAGESCRIPT.CAB"));
  EXPECT_NE(PackageCacheKey("http://h/a/", "PageScript.Cab"), PackageCacheKey("http://h/b/", "PageScript.Cab"));
  // Indexes written by earlier versions keep their names.
  EXPECT_EQ(PackageCacheKey("http://h/a/", "PageScript.Cab"), "28d1a9fe92bc3959e6985001698c4bbf");
}
