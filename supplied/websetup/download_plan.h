// Which bytes of a download of known size are still missing, and which of them each
// connection is fetching. A large file is fetched by several connections at once, each
// taking the lowest missing range of at most one piece; what a connection has written
// moves its range's start on, and what it did not fetch goes back to the missing bytes
// when it lets its range go.
//
// Saved beside a partial file (`<name>.partial.missing`) so that a later run fetches only
// what is missing, as text lines ending in CR LF:
//
//   VexaMissing 1
//   Size <file size>
//   Missing <first> <end>        the bytes first .. end-1; one line per range
//
// Ranges in increasing order, not empty, not touching or overlapping, inside the file; at
// most kMaxMissingRanges of them. Anything else is refused: the partial file is then not
// trusted and the download starts over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxMissingRanges = 10000;

struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t end = 0;  // one past the last byte
  std::uint64_t size() const { return end - first; }
  bool empty() const { return end <= first; }
};

class DownloadPlan {
 public:
  // A file of `size` bytes of which nothing is on disk, fetched by up to `connections`.
  DownloadPlan(std::uint64_t size, std::size_t connections);

  std::uint64_t size() const { return size_; }

  // The file's first `length` bytes are on disk (a partial file written from its start).
  void MarkPrefixPresent(std::uint64_t length);
  // Replaces what is missing by a saved text; false (the plan unchanged) when the text
  // is not one written for a file of this size.
  bool Load(std::string_view text);
  // The saved text: the missing ranges, with what the connections have not written yet.
  std::string Text() const;

  // Hands connection `slot` the lowest missing range, at most `max_bytes` long; false
  // when nothing is left to hand out. The slot must hold no range.
  bool Take(std::size_t slot, std::uint64_t max_bytes, ByteRange& range);
  // Connection `slot` has written `bytes` more from the start of its range.
  void Advance(std::size_t slot, std::uint64_t bytes);
  // What connection `slot` has still to write of its range (empty when it holds none).
  ByteRange Held(std::size_t slot) const;
  // Connection `slot` lets its range go; what it did not write is missing again.
  void Release(std::size_t slot);
  // Everything is missing again, and no connection holds a range.
  void Reset();

  // Bytes not on disk yet, held by a connection or not.
  std::uint64_t MissingBytes() const;
  // Bytes no connection holds yet.
  std::uint64_t UnheldBytes() const;
  bool Complete() const { return MissingBytes() == 0; }

 private:
  void AddMissing(ByteRange range);

  std::uint64_t size_;
  std::vector<ByteRange> missing_;  // not held by a connection; in order, apart
  std::vector<ByteRange> held_;     // by slot
};
