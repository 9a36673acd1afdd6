#include "choices.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "registry.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kCurrentVersion = "SOFTWARE->Microsoft->Windows->CurrentVersion";

ScriptLines Script(const std::string& directory_value, const std::string& group_value = "") {
  ScriptLines lines = {"SetProductName \"Acme Choices\"", "SetProductDirectory \"" + directory_value + "\""};
  if (!group_value.empty()) lines.push_back("SetProductProgramGroup \"" + group_value + "\"");
  return lines;
}

// Each test may change the program-files folder and the product's record; both are put
// back afterwards.
class ChoicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_files_ = ReadRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "->", 300);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanta Install\\Installed Programs\\Acme Choices");
  }
  void TearDown() override {
    WriteRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", program_files_, "->");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanta Install\\Installed Programs\\Acme Choices");
  }
  void SetProgramFiles(const std::string& folder) {
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", folder, "->"));
  }
  void RecordPreviousInstallation(const std::string& directory) {
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, std::string(kInstalledProgramsKey) + "->Acme Choices",
                                    "Directory", directory, "->"));
  }

  std::string program_files_;
};

TEST_F(ChoicesTest, ProgramFilesFolderGetsExactlyOneBackslashBeforeTheSubDirectory) {
  SetProgramFiles("D:\\Apps");
  EXPECT_EQ(DefaultDestination(Script("<ProgramFilesDir>\\Acme Paint"), "Acme Choices"), "D:\\Apps\\Acme Paint\\");
  SetProgramFiles("D:\\Apps\\");
  EXPECT_EQ(DefaultDestination(Script("<ProgramFilesDir>\\Acme Paint"), "Acme Choices"), "D:\\Apps\\Acme Paint\\");
  EXPECT_EQ(DefaultDestination(Script("<programfilesdir>Acme Paint\\"), "Acme Choices"), "D:\\Apps\\Acme Paint\\");
  SetProgramFiles("");
  EXPECT_EQ(DefaultDestination(Script("<ProgramFilesDir>\\Acme Paint"), "Acme Choices"),
            "C:\\Program Files\\Acme Paint\\");
}

TEST_F(ChoicesTest, LiteralDirectoriesAreTrimmedAndPlaceholdersElsewhereAreText) {
  EXPECT_EQ(DefaultDestination(Script("  E:\\Tools\\Acme  "), "Acme Choices"), "E:\\Tools\\Acme\\");
  EXPECT_EQ(DefaultDestination(Script("E:\\<ProgramFilesDir>\\Acme"), "Acme Choices"), "E:\\<ProgramFilesDir>\\Acme\\");
  EXPECT_EQ(DefaultDestination(Script("   "), "Acme Choices"), "");
  EXPECT_EQ(DefaultDestination({"SetProductName \"Acme Choices\""}, "Acme Choices"), "");
}

TEST_F(ChoicesTest, PreviousInstallationDirectoryWinsOnlyWhileItIsWritable) {
  const fs::path previous = fs::temp_directory_path() / "Vexa Previous Acme";
  fs::create_directories(previous);
  RecordPreviousInstallation(previous.string());
  EXPECT_EQ(DefaultDestination(Script("E:\\Acme"), "Acme Choices"), previous.string() + "\\");
  fs::remove_all(previous);
  EXPECT_EQ(DefaultDestination(Script("E:\\Acme"), "Acme Choices"), "E:\\Acme\\");
  EXPECT_EQ(DefaultDestination(Script("E:\\Acme"), ""), "E:\\Acme\\");
}

TEST_F(ChoicesTest, ProgramGroupLiesInTheStartMenuProgramsFolder) {
  char programs[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE));
  std::string directory = "poison";
  std::string name = "poison";
  EXPECT_TRUE(FindProgramGroup(Script("C:\\A", "<ProgramsGroup>\\Acme Paint"), directory, name));
  EXPECT_EQ(directory, std::string(programs) + "\\Acme Paint\\");
  EXPECT_EQ(name, "Acme Paint");
  EXPECT_TRUE(FindProgramGroup(Script("C:\\A", "<programsgroup>Acme\\Tools"), directory, name));
  EXPECT_EQ(directory, std::string(programs) + "\\Acme\\Tools\\");
  EXPECT_EQ(name, "Acme\\Tools");

  for (const char* value : {"", "C:\\Groups\\Acme", " <ProgramsGroup>\\Acme"}) {
    SCOPED_TRACE(value);
    EXPECT_FALSE(FindProgramGroup(Script("C:\\A", value), directory, name));
    EXPECT_EQ(directory, "");
    EXPECT_EQ(name, "(none)");
  }
}

TEST(ChosenDestinationTest, SubDirectoryAppendedUnlessTheFolderEndsWithIt) {
  EXPECT_EQ(ChosenDestination("D:\\Tools", "Acme Paint\\"), "D:\\Tools\\Acme Paint\\");
  EXPECT_EQ(ChosenDestination("D:\\Tools\\", "Acme Paint\\"), "D:\\Tools\\Acme Paint\\");
  EXPECT_EQ(ChosenDestination("D:\\Tools\\Acme Paint", "Acme Paint\\"), "D:\\Tools\\Acme Paint\\");
  EXPECT_EQ(ChosenDestination("d:\\tools\\ACME PAINT\\", "Acme Paint\\"), "d:\\tools\\ACME PAINT\\");
  // Only a whole folder name counts.
  EXPECT_EQ(ChosenDestination("D:\\XAcme Paint", "Acme Paint\\"), "D:\\XAcme Paint\\Acme Paint\\");
  EXPECT_EQ(ChosenDestination("D:\\", "Acme Paint\\"), "D:\\Acme Paint\\");
}

}  // namespace
