#include "background_writer.h"

namespace {

constexpr std::size_t kBuffers = 4;

}  // namespace

BackgroundWriter::BackgroundWriter(HANDLE file) : file_(file) {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&changed_);
  storage_.resize(kBuffers, std::vector<char>(kBufferBytes));
  for (std::vector<char>& buffer : storage_) free_.push_back(buffer.data());
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

BackgroundWriter::~BackgroundWriter() {
  Finish();
  EnterCriticalSection(&lock_);
  stopping_ = true;
  WakeAllConditionVariable(&changed_);
  LeaveCriticalSection(&lock_);
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  DeleteCriticalSection(&lock_);
}

char* BackgroundWriter::FreeBuffer() {
  EnterCriticalSection(&lock_);
  while (free_.empty() && !failed_) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
  char* buffer = nullptr;
  if (!failed_) {
    buffer = free_.back();
    free_.pop_back();
  }
  LeaveCriticalSection(&lock_);
  return buffer;
}

void BackgroundWriter::Write(char* buffer, std::size_t size) {
  if (!thread_) {
    // No thread: written here and now.
    DWORD written = 0;
    if (!WriteFile(file_, buffer, static_cast<DWORD>(size), &written, nullptr) || written != size) failed_ = true;
    free_.push_back(buffer);
    return;
  }
  EnterCriticalSection(&lock_);
  queue_.push_back({buffer, size});
  WakeAllConditionVariable(&changed_);
  LeaveCriticalSection(&lock_);
}

bool BackgroundWriter::Finish() {
  EnterCriticalSection(&lock_);
  while (!queue_.empty() && !failed_) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
  const bool ok = !failed_;
  LeaveCriticalSection(&lock_);
  return ok;
}

DWORD WINAPI BackgroundWriter::Run(LPVOID self) {
  static_cast<BackgroundWriter*>(self)->WriteBlocks();
  return 0;
}

void BackgroundWriter::WriteBlocks() {
  EnterCriticalSection(&lock_);
  while (true) {
    while (queue_.empty() && !stopping_) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
    if (queue_.empty()) break;
    const Block block = queue_.front();
    LeaveCriticalSection(&lock_);
    DWORD written = 0;
    const bool ok = !failed_ && WriteFile(file_, block.data, static_cast<DWORD>(block.size), &written, nullptr) &&
                    written == block.size;
    EnterCriticalSection(&lock_);
    queue_.erase(queue_.begin());
    free_.push_back(block.data);
    if (!ok) failed_ = true;
    WakeAllConditionVariable(&changed_);
  }
  LeaveCriticalSection(&lock_);
}
