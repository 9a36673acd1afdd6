#include "download_files.h"

#include <cstdio>
#include <vector>

#include "native_files.h"

namespace {

bool CopyInto(std::FILE* out, const std::string& source) {
  if (!IsRegularNativeFile(source)) return false;
  NativeFile in = OpenNativeFile(source, "rb");
  if (!in) return false;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get());
    if (got > 0 && std::fwrite(buffer.data(), 1, got, out) != got) return false;
    if (got < buffer.size()) return !std::ferror(in.get());
  }
}

}  // namespace

std::int64_t GetFileSize(const std::string& path) {
  SourceFileFacts facts;
  if (!ReadSourceFileFacts(path, facts)) return -1;
  return static_cast<std::int64_t>(facts.size);
}

std::string GetFileInfo(const std::string& path) {
  SourceFileFacts facts;
  std::tm utc {};
  if (!ReadSourceFileFacts(path, facts) || !LastWriteTimeUtc(path, utc)) return {};
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                utc.tm_hour, utc.tm_min, utc.tm_sec);
  return std::to_string(facts.size) + ";" + stamp;
}

std::string ComponentFileName(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

namespace {

bool WriteConcatenation(const std::vector<std::string>& sources, const std::string& output) {
  if (output.empty()) return false;
  const std::string temporary = output + ".~join.tmp";
  NativeFile out = OpenNativeFile(temporary, "wb");
  if (!out) return false;
  bool written = true;
  for (const std::string& source : sources) written = written && CopyInto(out.get(), source);
  written = written && std::fflush(out.get()) == 0;
  const bool closed = std::fclose(out.release()) == 0;
  if (!written || !closed || !ReplaceNativeFile(temporary, output)) {
    RemoveNativeFile(temporary);
    return false;
  }
  return true;
}

}  // namespace

bool JoinFiles(const std::string& first, const std::string& second, const std::string& output) {
  return WriteConcatenation({first, second}, output);
}

bool CopyWholeFile(const std::string& source, const std::string& target) {
  return WriteConcatenation({source}, target);
}
