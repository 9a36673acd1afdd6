// The LZX bit stream: bits packed most significant first into 16-bit words stored
// little-endian, cut into frames at word boundaries (format notes in lzx_format.h).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

struct LzxFrame {
  std::vector<std::uint8_t> data;  // the frame's compressed bytes: one CFDATA block
  std::uint16_t uncompressed_size = 0;
};

class LzxBitWriter {
 public:
  // Appends the low `count` bits of `value` (count at most 32).
  void Bits(std::uint32_t value, unsigned count) {
    if (count == 0) return;
    pending_ = (pending_ << count) | (value & ((std::uint64_t{1} << count) - 1));
    pending_count_ += count;
    while (pending_count_ >= 16) {
      pending_count_ -= 16;
      const auto word = static_cast<std::uint16_t>(pending_ >> pending_count_);
      current_.push_back(static_cast<std::uint8_t>(word));
      current_.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    pending_ &= (std::uint64_t{1} << pending_count_) - 1;
  }

  // Pads the stream with zero bits to a whole word and closes the frame of
  // `uncompressed_size` bytes.
  void EndFrame(std::uint16_t uncompressed_size) {
    if (pending_count_ > 0) Bits(0, 16 - pending_count_);
    frames_.push_back({std::move(current_), uncompressed_size});
    current_.clear();
  }

  // The frames closed since the last call.
  std::vector<LzxFrame> TakeFrames() { return std::exchange(frames_, {}); }

 private:
  std::uint64_t pending_ = 0;
  unsigned pending_count_ = 0;
  std::vector<std::uint8_t> current_;
  std::vector<LzxFrame> frames_;
};
