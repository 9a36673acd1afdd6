// The stand-alone web setup program's readers on arbitrary bytes: the attached lines, the
// PE header walk that finds a signature, the part list and the web script. What they
// accept must hold to the rules the downloads rely on: plain names, bounded sizes and
// counts, http or https addresses.
#include <cstdint>
#include <cstdlib>
#include <string_view>

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
  return 0;
}
