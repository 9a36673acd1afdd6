#include "package.h"

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <new>

#include "text.h"
#include "unique_file.h"

namespace {

// 64-bit positions on both builds (the Windows build compiles with _FILE_OFFSET_BITS=64).
bool SeekTo(std::FILE* file, std::uint64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool FileLength(std::FILE* file, std::uint64_t& length) {
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t end = ftello(file);
  if (end < 0) return false;
  length = static_cast<std::uint64_t>(end);
  return true;
}

// The base size named by the file's trailer, or `length` when it has none.
bool BaseSizeOf(std::FILE* file, std::uint64_t length, std::uint64_t& baseSize, bool& hasTrailer) {
  baseSize = length;
  hasTrailer = false;
  if (length < kAppendedLinesTrailerBytes) return true;
  char tail[kAppendedLinesTrailerBytes];
  if (!SeekTo(file, length - kAppendedLinesTrailerBytes)) return false;
  if (std::fread(tail, 1, sizeof tail, file) != sizeof tail) return false;
  const std::int64_t n = ParseAppendedLinesTrailer(std::string_view(tail, sizeof tail));
  // A trailer pointing outside the file cannot be ours; reading or cutting at it would
  // lose or invent data, so the file counts as one without appended lines.
  if (n < 0 || static_cast<std::uint64_t>(n) > length - kAppendedLinesTrailerBytes) return true;
  baseSize = static_cast<std::uint64_t>(n);
  hasTrailer = true;
  return true;
}

struct Failure {
  std::string& directory;
  std::string& errorText;
  bool operator()(const char* message, const std::string& detail = {}) const {
    directory.clear();
    errorText = message + detail;
    return false;
  }
};

}  // namespace

std::string AppendedLinesTrailer(std::uint64_t baseSize) {
  char number[32];
  std::snprintf(number, sizeof number, "%14llu", static_cast<unsigned long long>(baseSize));
  return std::string(kAppendedLinesMarker) + number;
}

std::int64_t ParseAppendedLinesTrailer(std::string_view tail) {
  if (tail.size() != kAppendedLinesTrailerBytes) return -1;
  if (tail.substr(0, kAppendedLinesMarker.size()) != kAppendedLinesMarker) return -1;
  std::string_view field = tail.substr(kAppendedLinesMarker.size());
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  std::int64_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) value = value * 10 + (field[i] - '0');
  return negative ? -value : value;
}

std::vector<std::string> SplitAppendedLines(std::string_view bytes) {
  std::vector<std::string> lines = SplitCrLines(bytes);
  lines.pop_back();
  return lines;
}

bool ReadAppendedLines(const std::string& path, std::vector<std::string>& lines) {
  std::int64_t baseSize = 0;
  return ReadAppendedLines(path, lines, baseSize);
}

bool ReadAppendedLines(const std::string& path, std::vector<std::string>& lines, std::int64_t& trailerBase) {
  lines.clear();
  trailerBase = -1;
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::uint64_t length = 0, baseSize = 0;
  bool hasTrailer = false;
  if (!FileLength(file.get(), length) || !BaseSizeOf(file.get(), length, baseSize, hasTrailer)) return false;
  if (!hasTrailer) return true;
  trailerBase = static_cast<std::int64_t>(baseSize);
  const std::uint64_t count = length - baseSize;
  if (count > kMaxAppendedLinesBytes) return false;
  std::string bytes(static_cast<std::size_t>(count), '\0');
  if (!SeekTo(file.get(), baseSize) || std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    return false;
  lines = SplitAppendedLines(bytes);
  return true;
}

bool WriteAppendedLines(const std::string& path, const std::vector<std::string>& lines) {
  UniqueFile file(std::fopen(path.c_str(), "r+b"));
  if (!file) return false;
  std::uint64_t length = 0, baseSize = 0;
  bool hasTrailer = false;
  if (!FileLength(file.get(), length) || !BaseSizeOf(file.get(), length, baseSize, hasTrailer)) return false;
  if (baseSize >= 100000000000000ull) return false;  // N must fit its 14 digits
  if (std::fflush(file.get()) != 0 || !SetOpenFileLength(file.get(), baseSize)) return false;
  if (!SeekTo(file.get(), baseSize)) return false;

  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  text += AppendedLinesTrailer(baseSize);
  if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) return false;
  return std::fclose(file.release()) == 0;
}

bool ExtractAttachment(const std::string& ownExePath, std::uint64_t engineSize,
                       std::string& temporaryDirectory, std::string& errorText) {
  temporaryDirectory.clear();
  errorText.clear();
  const Failure fail{temporaryDirectory, errorText};

  UniqueFile exe(std::fopen(ownExePath.c_str(), "rb"));
  if (!exe) return fail("Error. Cannot open the self-extract EXE file: ", ownExePath);
  std::uint64_t length = 0;
  if (!FileLength(exe.get(), length)) return fail("Error. Cannot open the self-extract EXE file: ", ownExePath);
  if (length <= engineSize) return fail("Error. Self-extract EXE file is empty.");
  const std::uint64_t attachmentSize = length - engineSize;

  const std::size_t bufferSize =
      attachmentSize < kAttachmentChunkBytes ? static_cast<std::size_t>(attachmentSize) : kAttachmentChunkBytes;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[bufferSize]);
  if (!buffer) return fail("Error. Cannot allocate memory for self-extract EXE file.");

  std::string directory;
  if (!CreateExpansionDirectory(directory)) return fail("Error. Cannot create temporary expansion directory.");
  std::string cabinetPath = directory;
  cabinetPath.append(kAttachmentFileName);

  UniqueFile cabinet(std::fopen(cabinetPath.c_str(), "wb"));
  if (!cabinet) {
    RemoveExpansionDirectory(directory);
    return fail("Error. Cannot create the self-extract EXE attachment file.");
  }

  const char* copyError = nullptr;
  if (!SeekTo(exe.get(), engineSize)) copyError = "Error. Cannot read the self-extract EXE attachment file.";
  for (std::uint64_t remaining = attachmentSize; remaining > 0 && !copyError;) {
    const std::size_t chunk = remaining < bufferSize ? static_cast<std::size_t>(remaining) : bufferSize;
    if (std::fread(buffer.get(), 1, chunk, exe.get()) != chunk) {
      copyError = "Error. Cannot read the self-extract EXE attachment file.";
    } else if (std::fwrite(buffer.get(), 1, chunk, cabinet.get()) != chunk) {
      copyError = "Error. Cannot write to temporary cab file.";
    }
    remaining -= chunk;
  }
  // A full disk often shows only when the last buffered bytes go out.
  if (std::fclose(cabinet.release()) != 0 && !copyError) copyError = "Error. Cannot write to temporary cab file.";
  if (copyError) {
    std::remove(cabinetPath.c_str());
    RemoveExpansionDirectory(directory);
    return fail(copyError);
  }
  temporaryDirectory = directory;
  return true;
}

bool CreateFirstFreeDirectory(const std::string& base, std::string& directory) {
  directory.clear();
  for (int attempt = 0; attempt <= 300; ++attempt) {
    const std::string candidate = attempt == 0 ? base : base + std::to_string(attempt);
    if (MakeNewDirectory(candidate)) {
      directory = candidate;
      return true;
    }
  }
  return false;
}
