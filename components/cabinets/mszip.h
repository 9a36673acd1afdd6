// MSZIP compression of one cabinet data block.
//
// An MSZIP block is the two bytes "CK" followed by a complete raw deflate stream (final
// block flag set) of at most 32 KiB of input. The decoder keeps its 32 KiB window from one
// block to the next within a folder, so a block may refer back into the bytes of the block
// before it. We give zlib exactly those bytes as its preset dictionary: every block then
// depends only on its own input and the previous block's *uncompressed* bytes, so blocks
// compress independently, on as many threads as there are, with the ratio a serial writer
// would get.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

inline constexpr std::size_t kMszipBlockSize = 32768;

class MszipCompressor {
 public:
  // `level` is a zlib compression level (1-9, or -1 for zlib's default).
  explicit MszipCompressor(int level);
  ~MszipCompressor();
  MszipCompressor(const MszipCompressor&) = delete;
  MszipCompressor& operator=(const MszipCompressor&) = delete;

  // Replaces `output` with the MSZIP block for `input` (at most kMszipBlockSize bytes),
  // `dictionary` being the uncompressed bytes that precede it in the folder (empty for a
  // folder's first block; only its last 32 KiB count). False when zlib fails.
  bool Compress(std::span<const std::uint8_t> dictionary, std::span<const std::uint8_t> input,
                std::vector<std::uint8_t>& output);

 private:
  struct Stream;
  bool Deflate(Stream& stream, std::span<const std::uint8_t> dictionary, std::span<const std::uint8_t> input,
               std::vector<std::uint8_t>& output);
  std::unique_ptr<Stream> stream_;
  std::unique_ptr<Stream> probe_;  // a fast level, for blocks that look incompressible
};
