// LZX compression of one cabinet folder (format notes in lzx_format.h).
//
// The folder's bytes are fed in any pieces; the compressor keeps the window's worth of
// history and the bytes not yet compressed, translates E8 calls frame by frame, parses
// a few frames at a time greedily with one step of lookahead (a match is put off when the
// next position starts a better one), weighing the three repeated offsets against the
// hash chains' matches, cuts the parse into blocks where the statistics change
// (lzx_block_split.h), and hands back each frame's compressed bytes as soon as the frame
// is complete. Memory: the window plus 1 MiB of bytes, and the chains (4 bytes per window
// byte); independent of the folder's size.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "lzx_bit_writer.h"
#include "lzx_format.h"

struct LzxOptions {
  unsigned window_bits = kLzxDefaultWindowBits;  // kLzxMinWindowBits..kLzxMaxWindowBits
  unsigned max_chain = 32;                       // hash chain steps per search
  unsigned nice_length = 64;                     // a match this long ends the search
  unsigned block_frames = 8;                     // frames parsed together and split into blocks
  // The E8 translation size. Calls are translated to absolute offsets only while both lie
  // below it, so the folder's size (as an executable's own size would be) makes every call
  // in the folder count; 0 for kLzxE8TranslationSize.
  std::uint32_t e8_translation_size = 0;
};

class LzxCompressor {
 public:
  explicit LzxCompressor(const LzxOptions& options = {});
  ~LzxCompressor();
  LzxCompressor(const LzxCompressor&) = delete;
  LzxCompressor& operator=(const LzxCompressor&) = delete;

  // Compresses the folder's next bytes; frames completed are appended to `frames`. The
  // folder may hold at most 65,535 frames' worth of bytes (the cabinet's limit).
  void Write(std::span<const std::uint8_t> input, std::vector<LzxFrame>& frames);

  // Ends the folder: its last, possibly shorter, frame is appended to `frames`.
  void Finish(std::vector<LzxFrame>& frames);

 private:
  struct State;
  void CompressBlock(std::uint32_t end, std::vector<LzxFrame>& frames);
  std::unique_ptr<State> state_;
};

// The typeCompress field of an LZX folder with a window of 2^window_bits bytes.
inline std::uint16_t LzxCompressionType(unsigned window_bits) {
  return static_cast<std::uint16_t>(3 | (window_bits << 8));
}
