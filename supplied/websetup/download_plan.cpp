#include "download_plan.h"

#include <algorithm>

#include "decimal_size.h"

namespace {

constexpr std::string_view kHeader = "VexaMissing 1";

// Adds `range` to ordered, apart ranges, joining it with those it touches.
void Merge(std::vector<ByteRange>& ranges, ByteRange range) {
  if (range.empty()) return;
  auto at = std::lower_bound(ranges.begin(), ranges.end(), range,
                             [](const ByteRange& a, const ByteRange& b) { return a.first < b.first; });
  if (at != ranges.begin() && std::prev(at)->end >= range.first) {
    --at;
    at->end = std::max(at->end, range.end);
  } else {
    at = ranges.insert(at, range);
  }
  auto next = std::next(at);
  while (next != ranges.end() && next->first <= at->end) {
    at->end = std::max(at->end, next->end);
    next = ranges.erase(next);
  }
}

// "<word> <number> [<number>]" with single blanks.
bool ParseLine(std::string_view line, std::string_view word, std::uint64_t& a, std::uint64_t* b) {
  if (line.substr(0, word.size()) != word || line.size() <= word.size() || line[word.size()] != ' ') return false;
  line.remove_prefix(word.size() + 1);
  if (!b) return ParseDecimalSize(line, a);
  const std::size_t blank = line.find(' ');
  return blank != std::string_view::npos && ParseDecimalSize(line.substr(0, blank), a) &&
         ParseDecimalSize(line.substr(blank + 1), *b);
}

}  // namespace

DownloadPlan::DownloadPlan(std::uint64_t size, std::size_t connections) : size_(size), held_(connections) {
  Reset();
}

void DownloadPlan::Reset() {
  missing_.clear();
  if (size_) missing_.push_back({0, size_});
  std::fill(held_.begin(), held_.end(), ByteRange{});
}

void DownloadPlan::MarkPrefixPresent(std::uint64_t length) {
  Reset();
  missing_.clear();
  if (length < size_) missing_.push_back({length, size_});
}

bool DownloadPlan::Load(std::string_view text) {
  std::vector<ByteRange> ranges;
  std::uint64_t size = 0;
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return false;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 2);
    ++line_number;
    if (line_number == 1) {
      if (line != kHeader) return false;
    } else if (line_number == 2) {
      if (!ParseLine(line, "Size", size, nullptr) || size != size_) return false;
    } else {
      ByteRange range;
      if (ranges.size() == kMaxMissingRanges || !ParseLine(line, "Missing", range.first, &range.end) ||
          range.empty() || range.end > size_ || (!ranges.empty() && range.first <= ranges.back().end))
        return false;
      ranges.push_back(range);
    }
  }
  if (line_number < 2) return false;
  missing_ = std::move(ranges);
  std::fill(held_.begin(), held_.end(), ByteRange{});
  return true;
}

std::string DownloadPlan::Text() const {
  std::vector<ByteRange> all = missing_;
  for (const ByteRange& held : held_) Merge(all, held);
  std::string text = std::string(kHeader) + "\r\nSize " + std::to_string(size_) + "\r\n";
  for (const ByteRange& range : all)
    text += "Missing " + std::to_string(range.first) + " " + std::to_string(range.end) + "\r\n";
  return text;
}

bool DownloadPlan::Take(std::size_t slot, std::uint64_t max_bytes, ByteRange& range) {
  if (missing_.empty() || max_bytes == 0) return false;
  ByteRange& lowest = missing_.front();
  range = {lowest.first, lowest.first + std::min(max_bytes, lowest.size())};
  lowest.first = range.end;
  if (lowest.empty()) missing_.erase(missing_.begin());
  held_.at(slot) = range;
  return true;
}

void DownloadPlan::Advance(std::size_t slot, std::uint64_t bytes) {
  ByteRange& held = held_.at(slot);
  held.first = std::min(held.end, held.first + bytes);
}

ByteRange DownloadPlan::Held(std::size_t slot) const { return held_.at(slot); }

void DownloadPlan::Release(std::size_t slot) {
  AddMissing(held_.at(slot));
  held_.at(slot) = ByteRange{};
}

void DownloadPlan::AddMissing(ByteRange range) { Merge(missing_, range); }

std::uint64_t DownloadPlan::MissingBytes() const {
  std::uint64_t bytes = UnheldBytes();
  for (const ByteRange& range : held_) bytes += range.empty() ? 0 : range.size();
  return bytes;
}

std::uint64_t DownloadPlan::UnheldBytes() const {
  std::uint64_t bytes = 0;
  for (const ByteRange& range : missing_) bytes += range.size();
  return bytes;
}
