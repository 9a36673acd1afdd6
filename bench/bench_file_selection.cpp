// bench_file_selection DIRECTORY
// The wizard's model chooses DIRECTORY on step 1 (search, listing, all files ticked for a
// new project) and goes on to step 2, as a developer does. Prints the number of ticked
// files and "peak_kb=K"; fails unless step 2 can be left with every listed file ticked.
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "form1.h"
#include "path_services.h"
#include "silent_host.h"

namespace {

// Any message means the choice failed.
class BenchHost : public SilentHost {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string&, MessageIcon, MessageButtons) override {
    std::fprintf(stderr, "bench_file_selection: message: %s\n", text.c_str());
    failed = true;
    return MessageAnswer::Ok;
  }
  std::string BrowseForFolder(const std::string&, int) override { return folder; }
  std::string folder;
  bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_file_selection DIRECTORY\n");
    return 2;
  }
  BenchHost host;
  host.folder = WithTrailingSeparator(argv[1]);
  // The remembered defaults are read from the wizard's directory: an empty one.
  host.wizard_directory = WithTrailingSeparator((std::filesystem::temp_directory_path() / "no-such-wizard").string());
  Form1 form(host);
  form.WizardDirectory = host.wizard_directory;
  form.cmdNext_Click();
  form.cmdSelectDirectory_Click();
  form.cmdNext_Click();
  const std::size_t ticked = form.TickedProgramFiles().size();
  if (host.failed || form.CurrentStep != 2 || !form.cmdNext.enabled || ticked != form.List1.lines.size()) {
    std::fprintf(stderr, "bench_file_selection: step 2 not reached with every file ticked\n");
    return 1;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%zu peak_kb=%ld\n", ticked, usage.ru_maxrss);
  return 0;
}
