// Writes a download to its file on a thread of its own, so that receiving the next bytes
// and writing the last ones overlap. The receiver fills a free buffer and hands it over;
// the writer writes the buffers in order and gives them back. A failed write is reported
// at the next hand-over and by Finish; nothing after it is written.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

class BackgroundWriter {
 public:
  static constexpr std::size_t kBufferBytes = 1 << 20;

  // Writes to `file`, which is positioned where the data goes.
  explicit BackgroundWriter(HANDLE file);
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // A buffer of kBufferBytes to fill; waits while all are on their way to the disk.
  // Null once a write has failed.
  char* FreeBuffer();
  // Hands the buffer from FreeBuffer, holding `size` bytes, to the writer.
  void Write(char* buffer, std::size_t size);
  // Waits until everything handed over is written; false when a write failed.
  bool Finish();

 private:
  struct Block {
    char* data;
    std::size_t size;
  };
  static DWORD WINAPI Run(LPVOID self);
  void WriteBlocks();

  HANDLE file_;
  HANDLE thread_ = nullptr;
  CRITICAL_SECTION lock_;
  CONDITION_VARIABLE changed_;
  std::vector<std::vector<char>> storage_;
  std::vector<char*> free_;
  std::vector<Block> queue_;  // in order
  bool failed_ = false;
  bool stopping_ = false;
};
