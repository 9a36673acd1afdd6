#include "web_setup_attachment.h"

#include <cstdio>
#include <vector>

#include "byte_reader.h"
#include "file_signature.h"
#include "paths.h"
#include "text.h"
#include "web_url.h"

namespace {

// PE header fields.
constexpr std::size_t kNewHeaderOffsetField = 0x3C;
constexpr std::size_t kCoffHeaderBytes = 20;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
// The data directories follow the fixed part of the optional header; the certificate
// table is the fifth of them (8 bytes each).
constexpr std::size_t kPe32DirectoriesOffset = 96;
constexpr std::size_t kPe32PlusDirectoriesOffset = 112;
constexpr std::size_t kCertificateDirectory = 4;

bool IsPrintable(std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < ' ' || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::uint64_t CertificateTableOffset(std::string_view header) {
  const ByteReader in(header);
  std::uint32_t pe = 0;
  if (header.size() < 0x40 || header.substr(0, 2) != "MZ" || !in.U32(kNewHeaderOffsetField, pe)) return 0;
  if (!in.Has(pe, 4 + kCoffHeaderBytes + 2) || header.substr(pe, 4) != std::string_view("PE\0\0", 4)) return 0;
  const std::size_t optional = pe + 4 + kCoffHeaderBytes;
  std::uint16_t magic = 0;
  if (!in.U16(optional, magic)) return 0;
  std::size_t directories = 0;
  if (magic == kPe32Magic) {
    directories = optional + kPe32DirectoriesOffset;
  } else if (magic == kPe32PlusMagic) {
    directories = optional + kPe32PlusDirectoriesOffset;
  } else {
    return 0;
  }
  const std::size_t entry = directories + 8 * kCertificateDirectory;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  if (!in.U32(entry, offset) || !in.U32(entry + 4, size)) return 0;
  return size == 0 ? 0 : offset;
}

bool ParseWebSetupAttachment(std::string_view text, WebSetupAttachment& attachment, std::string& error) {
  attachment = WebSetupAttachment{};
  if (text.size() > kMaxAttachmentBytes) {
    error = "its web setup lines are larger than 16 KiB";
    return false;
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find("\r\n", start);
    lines.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  if (lines.size() != 6) {
    error = "it carries " + std::to_string(lines.size()) + " web setup lines instead of six";
    return false;
  }
  for (const std::string& line : lines) {
    if (!IsPrintable(line)) {
      error = "a web setup line holds a control character";
      return false;
    }
  }
  WebUrl url;
  if (!ParseWebUrl(lines[0], url)) {
    error = "line 1 is no http: or https: address";
    return false;
  }
  if (!ParseWebUrl(lines[2], url)) {
    error = "line 3 is no http: or https: address";
    return false;
  }
  if (!IsPlainFileName(lines[3]) || !EndsWithIgnoringCase(lines[3], ".cab")) {
    error = "line 4 is no cabinet file name";
    return false;
  }
  if (!IsShortSignature(lines[4])) {
    error = "line 5 is no short signature";
    return false;
  }
  if (lines[5] != kAttachmentEndWord) {
    error = "line 6 is not WEBSETUP";
    return false;
  }
  attachment.activex_url = lines[0];
  attachment.loader_version = lines[1];
  attachment.publication_url = lines[2];
  attachment.script_cabinet = lines[3];
  attachment.script_short_signature = lines[4];
  return true;
}

bool ReadWebSetupAttachment(const std::string& path, std::uint64_t built_size, WebSetupAttachment& attachment,
                            std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "it cannot be read";
    return false;
  }
  std::string header(4096, '\0');
  header.resize(std::fread(header.data(), 1, header.size(), file));
  std::uint64_t end = 0;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  if (ok) {
    const long long length = ftello64(file);
    ok = length >= 0;
    end = static_cast<std::uint64_t>(length);
  }
  const std::uint64_t certificates = CertificateTableOffset(header);
  if (certificates >= built_size && certificates < end) end = certificates;
  std::string text;
  if (ok && end > built_size && end - built_size <= kMaxAttachmentBytes + 8) {
    text.resize(static_cast<std::size_t>(end - built_size));
    ok = fseeko64(file, static_cast<long long>(built_size), SEEK_SET) == 0 &&
         std::fread(text.data(), 1, text.size(), file) == text.size();
  } else if (ok) {
    std::fclose(file);
    error = end <= built_size ? "it carries no web setup lines" : "its web setup lines are larger than 16 KiB";
    return false;
  }
  std::fclose(file);
  if (!ok) {
    error = "it cannot be read";
    return false;
  }
  // Signing tools pad the file to 8 bytes before the certificate table.
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return ParseWebSetupAttachment(text, attachment, error);
}
