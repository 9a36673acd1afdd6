// The stand-alone web setup program's readers on arbitrary bytes: the attached lines, the
// PE header walk that finds a signature, the part list, the web script, the record of
// a partial file's missing ranges and the cache's package index. What they accept must hold to the rules the downloads
// rely on: plain names, bounded sizes and counts, http or https addresses, missing ranges
// inside the file that read back as they were written.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "decimal_size.h"
#include "download_plan.h"
#include "package_cache.h"
#include "paths.h"
#include "part_list.h"
#include "script.h"
#include "web_script.h"
#include "web_setup_attachment.h"
#include "web_url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;

  WebSetupAttachment attachment;
  if (ParseWebSetupAttachment(text, attachment, error)) {
    WebUrl url;
    if (!ParseWebUrl(attachment.publication_url, url) || !IsPlainFileName(attachment.script_cabinet)) std::abort();
  }
  CertificateTableOffset(text);

  PartList list;
  if (ParsePartList(text, list, error)) {
    std::uint64_t total = 0;
    for (const PartEntry& part : list.parts) {
      if (part.size == 0 || !IsPlainFileName(part.name)) std::abort();
      total += part.size;
    }
    if (list.parts.empty() || list.parts.size() > kMaxParts || total != list.cabinet_size) std::abort();
  }

  WebScript script;
  if (ReadWebScript(SplitScriptText(text), script, error)) {
    for (const WebComponent& component : script.components) {
      WebUrl url;
      if (!ParseWebUrl(component.url, url) || !IsPlainFileName(component.file_name) ||
          !IsPlainFileName(component.cabinet_name) || component.signature.size > kMaxDownloadBytes)
        std::abort();
    }
    for (const WebProgram& program : script.programs) {
      if (!IsPlainFileName(program.cabinet_name) || program.parts > kMaxProgramParts) std::abort();
    }
  }
  // An index names only cabinets of the cache's two directories, never a path of its own.
  for (const std::string& name : ReadPackageCacheIndex(text)) {
    const std::size_t slash = name.find('\\');
    if (slash == std::string::npos || !IsPlainFileName(name.substr(slash + 1)) || name.find("..") != std::string::npos)
      std::abort();
  }
  // The record names its file's size on its second line; the plan is made for that size.
  std::uint64_t recorded_size = 0;
  const std::size_t size_line = text.find("\r\nSize ");
  if (size_line != std::string_view::npos) {
    const std::string_view rest = text.substr(size_line + 7);
    ParseDecimalSize(rest.substr(0, rest.find("\r\n")), recorded_size);
  }
  DownloadPlan plan(recorded_size, 2);
  if (plan.Load(text)) {
    if (plan.Text() != text || plan.MissingBytes() > recorded_size) std::abort();
    ByteRange range;
    std::uint64_t handed_out = 0;
    const std::uint64_t piece = plan.MissingBytes() / 256 + 1;
    while (plan.Take(0, piece, range)) {
      if (range.empty() || range.end > recorded_size || range.size() > piece) std::abort();
      handed_out += range.size();
      plan.Advance(0, range.size());
      plan.Release(0);
    }
    if (!plan.Complete() || handed_out > recorded_size) std::abort();
  }
  return 0;
}
