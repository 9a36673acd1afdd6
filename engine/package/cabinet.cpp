#include "cabinet.h"

#include <mspack.h>
#include <sys/types.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <unordered_set>

#include "byte_reader.h"
#include "cabinet_system.h"
#include "text.h"
#include "unique_file.h"

namespace {

constexpr unsigned kKeptAttributes = 0x27;  // read-only, hidden, system, archive

// libmspack reads the cabinet and writes the files through these calls, so that output
// files are created the engine's way (never through a link), paths are taken as the
// engine forms them, and each written file gets its cabinet times and attributes through
// the handle that wrote it, before it is closed.
struct ExpansionSystem {
  mspack_system calls;  // first: libmspack hands back a pointer to it
  DosStamp next_stamp;  // of the file that the next write opening creates
  unsigned next_attributes;
  bool write_failed;
  // When set, the cabinet is read through it, and kStreamCabinetName stands for it.
  const CabinetStreamOpener* cabinet_stream;
};

// The name under which libmspack is given a cabinet read through an opener; no path is
// ever named so ("?" cannot appear in one).
constexpr const char* kStreamCabinetName = "?cabinet-stream";

ExpansionSystem* AsExpansion(mspack_system* system) { return reinterpret_cast<ExpansionSystem*>(system); }

struct Stream {
  std::FILE* file;
  ExpansionSystem* written_for;  // set for a file being written
  DosStamp stamp;
  unsigned attributes;
};

Stream* AsStream(mspack_file* file) { return reinterpret_cast<Stream*>(file); }

mspack_file* OpenStream(mspack_system* system, const char* filename, int mode) {
  std::FILE* file = nullptr;
  ExpansionSystem* written_for = nullptr;
  const ExpansionSystem* expansion = AsExpansion(system);
  if (mode == MSPACK_SYS_OPEN_READ && expansion->cabinet_stream) {
    // Only the cabinet is read, and only through its opener.
    if (std::strcmp(filename, kStreamCabinetName) == 0) file = (*expansion->cabinet_stream)();
  } else if (mode == MSPACK_SYS_OPEN_READ) {
    file = OpenFileForReading(filename);
  } else if (mode == MSPACK_SYS_OPEN_WRITE) {
    file = CreateFileForWriting(filename);
    written_for = AsExpansion(system);
  }
  if (!file) return nullptr;
  Stream* stream = written_for ? new (std::nothrow) Stream{file, written_for, written_for->next_stamp,
                                                           written_for->next_attributes}
                               : new (std::nothrow) Stream{file, nullptr, {}, 0};
  if (!stream) std::fclose(file);
  return reinterpret_cast<mspack_file*>(stream);
}

void CloseStream(mspack_file* file) {
  Stream* stream = AsStream(file);
  if (!stream) return;
  if (stream->written_for) {
    if (!FinishWrittenFile(stream->file, stream->stamp, stream->attributes)) stream->written_for->write_failed = true;
  } else {
    std::fclose(stream->file);
  }
  delete stream;
}

int ReadStream(mspack_file* file, void* buffer, int bytes) {
  if (bytes < 0) return -1;
  const std::size_t count = std::fread(buffer, 1, static_cast<std::size_t>(bytes), AsStream(file)->file);
  if (count == 0 && std::ferror(AsStream(file)->file)) return -1;
  return static_cast<int>(count);
}

int WriteStream(mspack_file* file, void* buffer, int bytes) {
  if (bytes < 0) return -1;
  const std::size_t count = std::fwrite(buffer, 1, static_cast<std::size_t>(bytes), AsStream(file)->file);
  return count == static_cast<std::size_t>(bytes) ? bytes : -1;
}

int SeekStream(mspack_file* file, off_t offset, int mode) {
  int whence = SEEK_SET;
  if (mode == MSPACK_SYS_SEEK_CUR) whence = SEEK_CUR;
  if (mode == MSPACK_SYS_SEEK_END) whence = SEEK_END;
  return fseeko(AsStream(file)->file, offset, whence) == 0 ? 0 : -1;
}

off_t TellStream(mspack_file* file) { return ftello(AsStream(file)->file); }

void IgnoreMessage(mspack_file*, const char*, ...) {}

void* Allocate(mspack_system*, std::size_t bytes) { return std::malloc(bytes); }

void Release(void* memory) { std::free(memory); }

void Copy(void* source, void* destination, std::size_t bytes) { std::memcpy(destination, source, bytes); }

constexpr mspack_system kEngineCalls = {OpenStream, CloseStream, ReadStream, WriteStream, SeekStream, TellStream,
                                        IgnoreMessage, Allocate, Release, Copy, nullptr};

// libmspack's input buffer for decompression; its default of 4 KB costs a read call per
// 4 KB of cabinet.
constexpr int kDecompressionBuffer = 64 * 1024;

struct DecompressorDeleter {
  void operator()(mscab_decompressor* decompressor) const { mspack_destroy_cab_decompressor(decompressor); }
};
using Decompressor = std::unique_ptr<mscab_decompressor, DecompressorDeleter>;

class OpenCabinet {
 public:
  OpenCabinet(mscab_decompressor* decompressor, const std::string& path)
      : decompressor_(decompressor), cabinet_(decompressor->open(decompressor, path.c_str())) {}
  ~OpenCabinet() {
    if (cabinet_) decompressor_->close(decompressor_, cabinet_);
  }
  OpenCabinet(const OpenCabinet&) = delete;
  OpenCabinet& operator=(const OpenCabinet&) = delete;
  mscabd_cabinet* get() const { return cabinet_; }

 private:
  mscab_decompressor* decompressor_;
  mscabd_cabinet* cabinet_;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Names Windows gives to devices in every directory, with or without an extension.
bool IsDeviceName(std::string_view component) {
  std::string_view stem = component.substr(0, component.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string upper = UpperCase(stem);
  static constexpr std::array<std::string_view, 7> kNames = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (std::string_view name : kNames) {
    if (upper == name) return true;
  }
  if (upper.size() != 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) return false;
  const unsigned char last = static_cast<unsigned char>(upper[3]);
  // Digits, and the superscript digits that Windows also maps to ports.
  return (last >= '0' && last <= '9') || last == 0xB9 || last == 0xB2 || last == 0xB3;
}

bool IsAcceptableComponent(std::string_view component) {
  if (component.empty() || component == "." || component == "..") return false;
  // Windows strips trailing dots and blanks, so "..." and ".. " would name the parent.
  if (component.back() == '.' || component.back() == ' ') return false;
  return !IsDeviceName(component);
}

// Creates the directories along `target_path`. Those inside the caller's directory (the
// first `target_length` characters) are simply attempted; below it, an existing link is
// refused rather than followed out of the target. `known` holds the directories this
// expansion has already made or found, which need no second attempt: a cabinet of many
// files in few folders would otherwise cost several failing calls per file.
bool CreateDirectoriesAlong(const std::string& target_path, std::size_t target_length,
                            std::unordered_set<std::string>& known) {
  for (std::size_t i = 1; i < target_path.size(); ++i) {
    if (!IsSeparator(target_path[i])) continue;
    std::string directory = target_path.substr(0, i);
    if (known.count(directory)) continue;
    if (i < target_length) {
      MakeDirectory(directory);
    } else {
      switch (QueryPathKind(directory)) {
        case PathKind::Missing:
          MakeDirectory(directory);
          break;
        case PathKind::Link:
          return false;
        default:
          break;  // a file in the way makes the file creation fail below
      }
    }
    known.insert(std::move(directory));
  }
  return true;
}

// Cabinet header fields that libmspack does not show for a cabinet it refuses to open.
constexpr std::size_t kHeaderBytes = 36;
constexpr std::size_t kHeaderCabinetSize = 8;  // 32 bits
constexpr std::size_t kHeaderVersionMinor = 24;
constexpr std::size_t kHeaderVersionMajor = 25;
constexpr std::size_t kHeaderFileCount = 28;  // 16 bits

// libmspack refuses a cabinet that holds no files, but such a cabinet is sound: it
// expands to nothing. The header is checked here as libmspack would check it.
bool IsCabinetWithoutFiles(std::FILE* opened) {
  UniqueFile file(opened);
  if (!file) return false;
  std::uint8_t header[kHeaderBytes];
  if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) return false;
  const ByteReader in{std::span<const std::uint8_t>(header)};
  std::uint32_t cabinet_size = 0;
  std::uint16_t file_count = 0;
  return std::memcmp(header, "MSCF", 4) == 0 && header[kHeaderVersionMajor] == 1 &&
         header[kHeaderVersionMinor] == 3 && in.U32(kHeaderCabinetSize, cabinet_size) && cabinet_size >= kHeaderBytes &&
         in.U16(kHeaderFileCount, file_count) && file_count == 0;
}

struct Entry {
  mscabd_file* file;
  std::string target_path;
};

std::string last_expansion_problem;

bool CannotCreate(const std::string& target_path) {
  last_expansion_problem = "Cannot create " + target_path;
  if (target_path.size() > kMaxCabinetPath) {
    last_expansion_problem += ": the path is longer than " + std::to_string(kMaxCabinetPath) + " characters.";
  }
  return false;
}

}  // namespace

bool StoredNameToRelativePath(std::string_view stored_name, std::string& relative_path) {
  relative_path.clear();
  if (stored_name.empty() || stored_name.size() > kMaxCabinetPath) return false;
  std::string name(stored_name);
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) return false;
    if (c == '/') c = '\\';
  }
  std::size_t start = 0;
  while (true) {
    const std::size_t end = name.find('\\', start);
    const std::string_view component =
        std::string_view(name).substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!IsAcceptableComponent(component)) return false;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  relative_path = name;
  return true;
}

bool FileExists(const std::string& path) { return QueryPathKind(path) != PathKind::Missing; }

namespace {

// The expansion of the cabinet libmspack opens as `cabinet_name`: a path, or
// kStreamCabinetName with `cabinet_stream` set.
bool Expand(const std::string& cabinet_name, const CabinetStreamOpener* cabinet_stream,
            const std::string& target_directory, std::vector<std::string>& written_files,
            const std::string& file_filter) {
  last_expansion_problem.clear();
  if (cabinet_name.size() > kMaxCabinetPath || target_directory.size() > kMaxCabinetPath) return false;
  const std::string filter = UpperCase(file_filter);
  bool found = false;

  ExpansionSystem system{kEngineCalls, {}, 0, false, cabinet_stream};
  Decompressor decompressor(mspack_create_cab_decompressor(&system.calls));
  if (!decompressor) return false;
  decompressor->set_param(decompressor.get(), MSCABD_PARAM_SALVAGE, 0);
  decompressor->set_param(decompressor.get(), MSCABD_PARAM_FIXMSZIP, 0);
  decompressor->set_param(decompressor.get(), MSCABD_PARAM_DECOMPBUF, kDecompressionBuffer);
  const OpenCabinet cabinet(decompressor.get(), cabinet_name);
  if (!cabinet.get()) {
    return filter.empty() &&
           IsCabinetWithoutFiles(cabinet_stream ? (*cabinet_stream)() : OpenFileForReading(cabinet_name));
  }

  // Every name is checked before anything is written, so a hostile cabinet leaves nothing.
  std::vector<Entry> entries;
  for (mscabd_file* file = cabinet.get()->files; file; file = file->next) {
    std::string relative;
    if (!StoredNameToRelativePath(file->filename ? file->filename : "", relative)) return false;
    std::string target_path = target_directory + relative;
    if (target_path.size() > kMaxCabinetPath) return CannotCreate(target_path);
    entries.push_back({file, std::move(target_path)});
  }

  std::unordered_set<std::string> known_directories;
  for (const Entry& entry : entries) {
    if (!CreateDirectoriesAlong(entry.target_path, target_directory.size(), known_directories))
      return CannotCreate(entry.target_path);
    if (!filter.empty() && !EndsWithIgnoringCase(entry.target_path, filter)) continue;
    found = true;
    written_files.push_back(entry.target_path);
    const mscabd_file& file = *entry.file;
    system.next_stamp = {file.date_y, file.date_m, file.date_d, file.time_h, file.time_m, file.time_s};
    system.next_attributes = static_cast<unsigned>(file.attribs) & kKeptAttributes;
    const int error = decompressor->extract(decompressor.get(), entry.file, entry.target_path.c_str());
    if (error == MSPACK_ERR_OPEN || system.write_failed) return CannotCreate(entry.target_path);
    if (error != MSPACK_ERR_OK) return false;
  }
  return filter.empty() || found;
}

}  // namespace

const std::string& LastExpansionProblem() { return last_expansion_problem; }

bool ExpandCabFile(const std::string& cabinet_path, const std::string& target_directory,
                   std::vector<std::string>& written_files, const std::string& file_filter) {
  return Expand(cabinet_path, nullptr, target_directory, written_files, file_filter);
}

bool ExpandCabStream(const CabinetStreamOpener& open_cabinet, const std::string& target_directory,
                     std::vector<std::string>& written_files, const std::string& file_filter) {
  return Expand(kStreamCabinetName, &open_cabinet, target_directory, written_files, file_filter);
}

bool ExtractFileFromCab(const std::string& cabinet_path, const std::string& target_directory,
                        const std::string& file_name) {
  std::vector<std::string> discarded;
  return ExpandCabFile(cabinet_path, target_directory, discarded, file_name);
}
