#include "mszip.h"

#include <zlib.h>

#include <cmath>


namespace {

constexpr int kProbeLevel = 1;
constexpr std::size_t kStoredOverhead = 5;  // final-block bit and type, LEN, NLEN

// The order-0 entropy of `input` in bits per byte; 0 for a block too small to judge. A
// nearly flat histogram (more than 7.9 bits) is what compressed or encrypted data has: such
// a block is probed at a fast level before the full level is spent on it. Above 7.98 (a
// full block of random bytes measures about 7.994, text never passes 6) the block is
// stored without the probe: a cabinet or an installer packed inside another cabinet, as
// the release pipeline does twice, is all such blocks, and deflate finds nothing in them.
double BlockEntropy(std::span<const std::uint8_t> input) {
  if (input.size() < 4096) return 0;
  std::uint32_t counts[256] = {};
  for (std::uint8_t byte : input) ++counts[byte];
  double entropy = 0;
  const double total = static_cast<double>(input.size());
  for (std::uint32_t count : counts) {
    if (count == 0) continue;
    const double p = count / total;
    entropy -= p * std::log2(p);
  }
  return entropy;
}

constexpr double kProbeAboveEntropy = 7.9;
constexpr double kStoreAboveEntropy = 7.98;

// "CK" and one stored deflate block: the bytes as they are.
void StoredBlock(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output) {
  const auto length = static_cast<std::uint16_t>(input.size());
  output.assign({'C', 'K', 0x01, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                 static_cast<std::uint8_t>(~length), static_cast<std::uint8_t>(~length >> 8)});
  output.insert(output.end(), input.begin(), input.end());
}

}  // namespace

struct MszipCompressor::Stream {
  z_stream z {};
  bool ready = false;
  int level = 0;
};

MszipCompressor::MszipCompressor(int level)
    : stream_(std::make_unique<Stream>()), probe_(std::make_unique<Stream>()) {
  // Raw deflate (negative window bits), the 32 KiB window the decoder keeps.
  stream_->ready = deflateInit2(&stream_->z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  stream_->level = level;
  probe_->ready = deflateInit2(&probe_->z, kProbeLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  probe_->level = kProbeLevel;
}

MszipCompressor::~MszipCompressor() {
  if (stream_->ready) deflateEnd(&stream_->z);
  if (probe_->ready) deflateEnd(&probe_->z);
}

bool MszipCompressor::Compress(std::span<const std::uint8_t> dictionary, std::span<const std::uint8_t> input,
                               std::vector<std::uint8_t>& output) {
  if (!stream_->ready || !probe_->ready || input.size() > kMszipBlockSize) return false;
  // Data that a fast probe cannot shrink is stored: the full level would find no more and
  // costs several times as much. The choice depends on the block's bytes only, so the
  // cabinet stays the same whatever the number of threads.
  const double entropy = stream_->level > kProbeLevel ? BlockEntropy(input) : 0;
  if (entropy > kStoreAboveEntropy) {
    StoredBlock(input, output);
    return true;
  }
  if (entropy > kProbeAboveEntropy) {
    if (!Deflate(*probe_, dictionary, input, output)) return false;
    if (output.size() + 2 * kStoredOverhead >= input.size()) {
      StoredBlock(input, output);
      return true;
    }
  }
  return Deflate(*stream_, dictionary, input, output);
}

bool MszipCompressor::Deflate(Stream& stream, std::span<const std::uint8_t> dictionary,
                              std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output) {
  z_stream& z = stream.z;
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
