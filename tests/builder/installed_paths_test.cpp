// The engine's path limit, checked when the package is built.
#include <filesystem>

#include "path_services.h"
#include "release_pipeline_test.h"

// The engine creates no path longer than 255 characters: a file that would pass it under
// "C:\Program Files (x86)\<name>\" stops the build, naming the file and the limit, before the
// published package is touched (otherwise the install fails late, with an empty folder).
TEST_F(ReleasePipelineTest, AFileTooLongToInstallStopsTheBuildNamingItAndTheLimit) {
  const std::string product = "C:\\Program Files (x86)\\Acme Paint\\";
  const std::string fits = std::string(110, 'd') + "/" + std::string(255 - product.size() - 111, 'f');
  WriteFileBytes(program_directory + fits, "fits");
  GoToFinalStep();
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(MessageTexts());
  const std::vector<std::string> published = ReleaseFiles();

  const std::string too_long = std::string(110, 'd') + "/" + std::string(255 - product.size() - 110, 'g');
  WriteFileBytes(program_directory + too_long, "one character too many");
  fs::remove(ProjectFile("ProgramFiles.txt"));  // the new scan ticks every file
  host.messages.clear();
  host.modal_windows.clear();
  form = std::make_unique<Form1>(host, &pipeline);
  GoToFinalStep();
  EXPECT_FALSE(Finish());
  const std::string line = ReplaceText(too_long, "/", "\\");
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().text,
            "Error. The program file " + line + " would be installed as " + product + line +
                ", a path of 256 characters: the setup engine creates paths of at most 255 characters. Shorten the "
                "file's path or the program friendly name.");
  EXPECT_EQ(ReleaseFiles(), published);
}
