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
bool BaseSizeOf(std::FILE* file, std::uint64_t length, std::uint64_t& base_size, bool& has_trailer) {
  base_size = length;
  has_trailer = false;
  if (length < kAppendedLinesTrailerBytes) return true;
  char tail[kAppendedLinesTrailerBytes];
  if (!SeekTo(file, length - kAppendedLinesTrailerBytes)) return false;
  if (std::fread(tail, 1, sizeof tail, file) != sizeof tail) return false;
  const std::int64_t n = ParseAppendedLinesTrailer(std::string_view(tail, sizeof tail));
  // A trailer pointing outside the file cannot be ours; reading or cutting at it would
  // lose or invent data, so the file counts as one without appended lines.
  if (n < 0 || static_cast<std::uint64_t>(n) > length - kAppendedLinesTrailerBytes) return true;
  base_size = static_cast<std::uint64_t>(n);
  has_trailer = true;
  return true;
}

struct Failure {
  std::string& directory;
  std::string& error_text;
  bool operator()(const char* message, const std::string& detail = {}) const {
    directory.clear();
    error_text = message + detail;
    return false;
  }
};

}  // namespace

std::string AppendedLinesTrailer(std::uint64_t base_size) {
  std::string number = std::to_string(base_size);
  if (number.size() < kAppendedLinesNumberWidth) number.insert(0, kAppendedLinesNumberWidth - number.size(), ' ');
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
  // The digits up to the first other character; the field is too short to overflow.
  field.remove_prefix(i);
  std::uint64_t magnitude = 0;
  ReadDecimal(field, magnitude);
  const auto value = static_cast<std::int64_t>(magnitude);
  return negative ? -value : value;
}

std::vector<std::string> SplitAppendedLines(std::string_view bytes) {
  std::vector<std::string> lines = SplitCrLines(bytes);
  lines.pop_back();
  return lines;
}

bool ReadAppendedLines(const std::string& path, std::vector<std::string>& lines) {
  std::int64_t base_size = 0;
  return ReadAppendedLines(path, lines, base_size);
}

bool ReadAppendedLines(const std::string& path, std::vector<std::string>& lines, std::int64_t& trailer_base) {
  lines.clear();
  trailer_base = -1;
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::uint64_t length = 0, base_size = 0;
  bool has_trailer = false;
  if (!FileLength(file.get(), length) || !BaseSizeOf(file.get(), length, base_size, has_trailer)) return false;
  if (!has_trailer) return true;
  trailer_base = static_cast<std::int64_t>(base_size);
  const std::uint64_t count = length - base_size;
  if (count > kMaxAppendedLinesBytes) return false;
  std::string bytes(static_cast<std::size_t>(count), '\0');
  if (!SeekTo(file.get(), base_size) || std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    return false;
  lines = SplitAppendedLines(bytes);
  return true;
}

bool WriteAppendedLines(const std::string& path, const std::vector<std::string>& lines) {
  UniqueFile file(std::fopen(path.c_str(), "r+b"));
  if (!file) return false;
  std::uint64_t length = 0, base_size = 0;
  bool has_trailer = false;
  if (!FileLength(file.get(), length) || !BaseSizeOf(file.get(), length, base_size, has_trailer)) return false;
  if (base_size >= 100000000000000ull) return false;  // N must fit its 14 digits
  if (std::fflush(file.get()) != 0 || !SetOpenFileLength(file.get(), base_size)) return false;
  if (!SeekTo(file.get(), base_size)) return false;

  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  text += AppendedLinesTrailer(base_size);
  if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) return false;
  return std::fclose(file.release()) == 0;
}

bool ExtractAttachment(const std::string& own_exe_path, std::uint64_t engine_size,
                       std::string& temporary_directory, std::string& error_text) {
  return ExtractAttachment(std::fopen(own_exe_path.c_str(), "rb"), own_exe_path, engine_size, temporary_directory,
                           error_text);
}

bool ExtractAttachment(std::FILE* opened, const std::string& own_exe_path, std::uint64_t engine_size,
                       std::string& temporary_directory, std::string& error_text) {
  temporary_directory.clear();
  error_text.clear();
  const Failure fail{temporary_directory, error_text};

  UniqueFile exe(opened);
  if (!exe) return fail("Error. Cannot open the self-extract EXE file: ", own_exe_path);
  std::uint64_t length = 0;
  if (!FileLength(exe.get(), length)) return fail("Error. Cannot open the self-extract EXE file: ", own_exe_path);
  if (length <= engine_size) return fail("Error. Self-extract EXE file is empty.");
  const std::uint64_t attachment_size = length - engine_size;

  const std::size_t buffer_size =
      attachment_size < kAttachmentChunkBytes ? static_cast<std::size_t>(attachment_size) : kAttachmentChunkBytes;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[buffer_size]);
  if (!buffer) return fail("Error. Cannot allocate memory for self-extract EXE file.");

  std::string directory;
  if (!CreateExpansionDirectory(directory)) return fail("Error. Cannot create temporary expansion directory.");
  std::string cabinet_path = directory;
  cabinet_path.append(kAttachmentFileName);

  UniqueFile cabinet(std::fopen(cabinet_path.c_str(), "wb"));
  if (!cabinet) {
    RemoveExpansionDirectory(directory);
    return fail("Error. Cannot create the self-extract EXE attachment file.");
  }

  const char* copy_error = nullptr;
  if (!SeekTo(exe.get(), engine_size)) copy_error = "Error. Cannot read the self-extract EXE attachment file.";
  for (std::uint64_t remaining = attachment_size; remaining > 0 && !copy_error;) {
    const std::size_t chunk = remaining < buffer_size ? static_cast<std::size_t>(remaining) : buffer_size;
    if (std::fread(buffer.get(), 1, chunk, exe.get()) != chunk) {
      copy_error = "Error. Cannot read the self-extract EXE attachment file.";
    } else if (std::fwrite(buffer.get(), 1, chunk, cabinet.get()) != chunk) {
      copy_error = "Error. Cannot write to temporary cab file.";
    }
    remaining -= chunk;
  }
  // A full disk often shows only when the last buffered bytes go out.
  if (std::fclose(cabinet.release()) != 0 && !copy_error) copy_error = "Error. Cannot write to temporary cab file.";
  if (copy_error) {
    std::remove(cabinet_path.c_str());
    RemoveExpansionDirectory(directory);
    return fail(copy_error);
  }
  temporary_directory = directory;
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
