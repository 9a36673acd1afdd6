#include "mszip.h"

#include <zlib.h>

namespace vexa::components {

struct MszipCompressor::Stream {
  z_stream z {};
  bool ready = false;
};

MszipCompressor::MszipCompressor(int level) : stream_(std::make_unique<Stream>()) {
  // Raw deflate (negative window bits), the 32 KiB window the decoder keeps.
  stream_->ready = deflateInit2(&stream_->z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

MszipCompressor::~MszipCompressor() {
  if (stream_->ready) deflateEnd(&stream_->z);
}

bool MszipCompressor::Compress(std::span<const std::uint8_t> dictionary, std::span<const std::uint8_t> input,
                               std::vector<std::uint8_t>& output) {
  if (!stream_->ready || input.size() > kMszipBlockSize) return false;
  z_stream& z = stream_->z;
  if (deflateReset(&z) != Z_OK) return false;
  if (dictionary.size() > kMszipBlockSize) dictionary = dictionary.last(kMszipBlockSize);
  if (!dictionary.empty() &&
      deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK) {
    return false;
  }
  const std::size_t bound = deflateBound(&z, static_cast<uLong>(input.size()));
  output.resize(2 + bound);
  output[0] = 'C';
  output[1] = 'K';
  // zlib does not write through next_in; its interface predates const.
  z.next_in = const_cast<Bytef*>(input.data());
  z.avail_in = static_cast<uInt>(input.size());
  z.next_out = output.data() + 2;
  z.avail_out = static_cast<uInt>(bound);
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) return false;
  output.resize(2 + (bound - z.avail_out));
  return true;
}

}  // namespace vexa::components
