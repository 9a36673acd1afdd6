#include "lzx_compressor.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "lzx_block_split.h"
#include "lzx_block_writer.h"
#include "lzx_match_finder.h"

namespace {

// Room beyond the window for bytes not yet compressed: twice the largest block, so that
// sliding the window always frees room for the next block.
constexpr std::size_t kLookaheadBytes = 1 << 20;
constexpr unsigned kMaxBlockFrames = kLookaheadBytes / kLzxFrameSize / 2;

// Rough bit costs beyond the length of each kind of match, for choosing between them;
// a literal counts as 8 bits.
constexpr int kRepeatCost[3] = {6, 8, 8};
constexpr int kNewOffsetCost = 10;

// Turns the offsets of E8 calls in one frame from relative to absolute (lzx_format.h): the
// reader's loop, undone step for step.
void TranslateE8(std::uint8_t* data, std::size_t size, std::uint32_t frame_position, std::uint32_t translation_size) {
  if (size <= 10) return;
  const auto limit = static_cast<std::int32_t>(translation_size);
  auto position = static_cast<std::int32_t>(frame_position);
  std::uint8_t* at = data;
  const std::uint8_t* end = data + size - 10;
  while (at < end) {
    if (*at++ != 0xE8) {
      ++position;
      continue;
    }
    const auto relative = static_cast<std::int32_t>(std::uint32_t{at[0]} | (std::uint32_t{at[1]} << 8) |
                                                    (std::uint32_t{at[2]} << 16) | (std::uint32_t{at[3]} << 24));
    if (relative >= -position && relative < limit) {
      const std::int32_t absolute = relative < limit - position ? relative + position : relative - limit;
      const auto bits = static_cast<std::uint32_t>(absolute);
      at[0] = static_cast<std::uint8_t>(bits);
      at[1] = static_cast<std::uint8_t>(bits >> 8);
      at[2] = static_cast<std::uint8_t>(bits >> 16);
      at[3] = static_cast<std::uint8_t>(bits >> 24);
    }
    at += 4;
    position += 5;
  }
}

struct Choice {
  unsigned length = 0;
  std::uint32_t formatted_offset = 0;
  int score = 0;  // bits saved against literals
};

}  // namespace

struct LzxCompressor::State {
  explicit State(const LzxOptions& options)
      : window_bits(std::clamp(options.window_bits, kLzxMinWindowBits, kLzxMaxWindowBits)),
        max_distance((1u << window_bits) - kLzxMaxMatch - 3),
        block_bytes(std::clamp(options.block_frames, 1u, kMaxBlockFrames) * kLzxFrameSize),
        nice_length(std::clamp(options.nice_length, 3u, kLzxMaxMatch)),
        e8_translation_size(options.e8_translation_size == 0
                                ? kLzxE8TranslationSize
                                : std::min(options.e8_translation_size, kLzxMaxE8TranslationSize)),
        buffer((std::size_t{1} << window_bits) + kLookaheadBytes),
        finder(window_bits, std::max(1u, options.max_chain), nice_length),
        block_writer(window_bits) {}

  unsigned window_bits;
  // The format allows matches up to the window's size less 3; 7-Zip mis-copies one that
  // reaches that far back, so ours stop a match length short of it.
  std::uint32_t max_distance;
  std::uint32_t block_bytes;
  unsigned nice_length;
  std::uint32_t e8_translation_size;
  std::vector<std::uint8_t> buffer;
  std::uint32_t base = 0;       // folder position of buffer[0]
  std::uint32_t filled = 0;     // folder position after the last byte received
  std::uint32_t processed = 0;  // folder position after the last byte compressed
  std::uint32_t translated = 0; // folder position after the last E8-translated frame
  std::uint32_t inserted = 0;   // the next position to enter into the match finder
  std::array<std::uint32_t, 3> repeats{1, 1, 1};
  bool header_written = false;
  LzxMatchFinder finder;
  LzxBlockWriter block_writer;
  LzxBitWriter bits;
  std::vector<LzxItem> items;

  LzxHistory History() const { return {buffer.data(), base}; }

  void InsertUpTo(std::uint32_t position) {
    const LzxHistory history = History();
    while (inserted < position && inserted + 2 < translated) finder.Insert(history, inserted++);
  }

  // Drops history older than the window to make room for new bytes.
  void Slide() {
    const std::uint32_t keep_from = std::max(base, std::min(processed, inserted) > (1u << window_bits)
                                                       ? std::min(processed, inserted) - (1u << window_bits)
                                                       : 0u);
    std::memmove(buffer.data(), buffer.data() + (keep_from - base), filled - keep_from);
    base = keep_from;
  }

  Choice Best(std::uint32_t position, unsigned max_length) {
    InsertUpTo(position);
    const LzxHistory history = History();
    const std::uint8_t* here = history.At(position);
    Choice best;
    for (unsigned r = 0; r < 3; ++r) {
      const std::uint32_t distance = repeats[r];
      if (distance > position) continue;
      const unsigned length = LzxMatchLength(here, here - distance, max_length);
      const int score = static_cast<int>(length * 8) - kRepeatCost[r];
      if (length >= kLzxMinMatch && score > best.score) best = {length, r, score};
    }
    const LzxMatch match = finder.Find(history, position, max_length, best.length, std::min(max_distance, position));
    if (match.length == 0) return best;
    std::uint32_t formatted = match.distance + 2;
    int cost = kNewOffsetCost + kLzxSlots.extra_bits[LzxPositionSlot(formatted)];
    for (unsigned r = 0; r < 3; ++r) {
      if (match.distance == repeats[r]) {
        formatted = r;
        cost = kRepeatCost[r];
      }
    }
    const int score = static_cast<int>(match.length * 8) - cost;
    if (score > best.score) best = {match.length, formatted, score};
    return best;
  }

  void Emit(const Choice& choice) {
    items.push_back({static_cast<std::uint16_t>(choice.length), choice.formatted_offset});
    switch (choice.formatted_offset) {
      case 0:
        break;
      case 1:
        std::swap(repeats[0], repeats[1]);
        break;
      case 2:
        std::swap(repeats[0], repeats[2]);
        break;
      default:
        repeats[2] = repeats[1];
        repeats[1] = repeats[0];
        repeats[0] = choice.formatted_offset - 2;
    }
  }

  void ParseFrame(std::uint32_t position, std::uint32_t frame_end) {
    const LzxHistory history = History();
    while (position < frame_end) {
      const auto max_length = std::min<unsigned>(kLzxMaxMatch, frame_end - position);
      Choice current = max_length >= kLzxMinMatch ? Best(position, max_length) : Choice{};
      if (current.length == 0) {
        items.push_back({LzxItem::kLiteral, *history.At(position)});
        ++position;
        continue;
      }
      // One step of lookahead: a literal now and a better match after it.
      while (current.length < nice_length && position + 1 + kLzxMinMatch <= frame_end) {
        const Choice next = Best(position + 1, std::min<unsigned>(kLzxMaxMatch, frame_end - position - 1));
        if (next.score <= current.score) break;
        items.push_back({LzxItem::kLiteral, *history.At(position)});
        ++position;
        current = next;
      }
      Emit(current);
      position += current.length;
    }
  }
};

LzxCompressor::LzxCompressor(const LzxOptions& options) : state_(std::make_unique<State>(options)) {}

LzxCompressor::~LzxCompressor() = default;

void LzxCompressor::Write(std::span<const std::uint8_t> input, std::vector<LzxFrame>& frames) {
  State& s = *state_;
  while (!input.empty()) {
    if (s.filled - s.base == s.buffer.size()) s.Slide();
    const std::size_t room = s.buffer.size() - (s.filled - s.base);
    const std::size_t take = std::min(room, input.size());
    std::memcpy(s.buffer.data() + (s.filled - s.base), input.data(), take);
    s.filled += static_cast<std::uint32_t>(take);
    input = input.subspan(take);
    while (s.filled - s.processed >= s.block_bytes) CompressBlock(s.processed + s.block_bytes, frames);
  }
}

void LzxCompressor::Finish(std::vector<LzxFrame>& frames) {
  State& s = *state_;
  while (s.processed < s.filled) CompressBlock(std::min(s.filled, s.processed + s.block_bytes), frames);
}

void LzxCompressor::CompressBlock(std::uint32_t end, std::vector<LzxFrame>& frames) {
  State& s = *state_;
  const std::uint32_t start = s.processed;
  for (std::uint32_t frame = start; frame < end; frame += kLzxFrameSize) {
    if (frame / kLzxFrameSize >= kLzxE8Frames) break;
    TranslateE8(s.buffer.data() + (frame - s.base), std::min<std::size_t>(kLzxFrameSize, end - frame), frame,
                s.e8_translation_size);
  }
  s.translated = end;
  if (!s.header_written) {
    s.bits.Bits(1, 1);
    s.bits.Bits(s.e8_translation_size, 32);
    s.header_written = true;
  }
  s.items.clear();
  for (std::uint32_t frame = start; frame < end; frame += kLzxFrameSize) {
    const std::uint32_t frame_end = std::min<std::uint32_t>(end, frame + kLzxFrameSize);
    s.ParseFrame(frame, frame_end);
    s.items.push_back({LzxItem::kFrameEnd, frame_end - frame});
  }
  std::size_t first = 0;
  for (const std::size_t block_end : LzxBlockEnds(s.items)) {
    std::uint32_t size = 0;
    for (std::size_t k = first; k < block_end; ++k) {
      const LzxItem& item = s.items[k];
      if (item.length != LzxItem::kFrameEnd) size += item.length == LzxItem::kLiteral ? 1u : item.length;
    }
    s.block_writer.Write(std::span(s.items).subspan(first, block_end - first), size, s.bits);
    first = block_end;
  }
  for (LzxFrame& frame : s.bits.TakeFrames()) frames.push_back(std::move(frame));
  s.processed = end;
}
