#include "loader_texts.h"

#include "command_line.h"

namespace {

constexpr std::size_t kMaxShownName = 128;

}  // namespace

std::string SiteQuestion(const std::string& site) {
  return "A page of the site " + site +
         " asks to install a program on this computer.\n\nDo you want to download its setup script? Nothing is "
         "installed before its signature is checked and you are asked again.";
}

std::string PublisherQuestion(const std::string& site, const std::string& publisher) {
  const std::string name = ShownPublisher(publisher);
  return "The setup script from " + site + " is signed by " + name +
         ".\n\nDo you want to install the program it describes? Answer Yes only if you trust " + name + ".";
}

std::string ShownPublisher(const std::string& name) {
  std::string shown;
  for (const char c : name) {
    if (shown.size() == kMaxShownName) {
      shown += "...";
      break;
    }
    shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
  }
  return shown.empty() ? "(no name)" : shown;
}

std::string PageResultOfRun(const std::string& message, int exit_status) {
  if (exit_status == kExitSuccess || exit_status == kExitRestartNeeded) return {};
  if (exit_status == kExitCancelled) return "Installation cancelled.";
  struct Kind {
    const char* begins;
    const char* told;
  };
  static const Kind kKinds[] = {
      {"Error. Cannot download ", "Error. A file of the installation cannot be downloaded."},
      {"Error. The file downloaded from ",
       "Error. A downloaded file is not the one published; nothing was installed from it."},
      {"Error. The part list ", "Error. The part list of the program cabinet is damaged."},
      {"Error. Cannot install ", "Error. A shared component cannot be installed on this computer."},
      {"Script Error.", "Error. The web script is not valid."},
  };
  for (const Kind& kind : kKinds) {
    if (message.rfind(kind.begins, 0) == 0) return kind.told;
  }
  if (message.empty()) return "Error. The program's setup ended with exit status " + std::to_string(exit_status) + ".";
  return "Error. The installation failed on this computer.";
}
