// A loaded wizard over a scratch tree: the wizard's own directory (with the two loader
// files) and a program directory "My Bird" beside it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "form1.h"
#include "path_services.h"
#include "scratch_directory.h"
#include "scripted_host.h"

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard_directory = scratch / "wizard";
    WriteFileBytes(wizard_directory + "/VexaLoad.ocx", "ocx");
    WriteFileBytes(wizard_directory + "/VexaLoad.cab", "cab");
    program_directory = WithTrailingSeparator(scratch / "My Bird");
    WriteFileBytes(program_directory + "mybird.exe", "exe");
    host.program_directory = wizard_directory;
    form = std::make_unique<Form1>(host);
    form->Form_Load();
    ASSERT_TRUE(host.messages.empty());
  }

  // What choosing the program directory on step 1 leaves behind, as far as these tests need.
  void ChooseProgramDirectory(const std::vector<std::string>& files, const std::vector<bool>& ticks) {
    form->txtDirectoryName.text = program_directory;
    form->SetProjectPaths(program_directory);
    form->SetStep1FieldsEnabled(true);
    form->LoadStepSettingsFromProjectDirectory();
    form->List1.Clear();
    for (const std::string& file : files) form->List1.AddItem(file);
    form->List1.checked = ticks;
    form->ListedFileCount = static_cast<std::int32_t>(files.size());
  }

  void FillStep1() {
    form->txtProgramFriendlyName.text = "MyCompany My Bird";
    form->txtCompanyName.text = "MyCompany";
    form->txtWebSiteURL.text = "http://www.mycompany.example/";
    form->txtPublicationURL.text = "http://www.mycompany.example/My Bird/";
    form->txtActiveXUrl.text = "http://www.mycompany.example/ActiveX/";
  }

  // From the Introduction to `step`, with a directory of two ticked files.
  void GoToStep(int step) {
    ChooseProgramDirectory({"mybird.exe", "readme.txt"}, {true, true});
    FillStep1();
    while (form->CurrentStep < step) {
      const int before = form->CurrentStep;
      form->cmdNext_Click();
      ASSERT_EQ(form->CurrentStep, before + 1) << (host.messages.empty() ? "" : host.messages.back().text);
    }
  }

  ScratchDirectory scratch;
  std::string wizard_directory;
  std::string program_directory;
  ScriptedHost host;
  std::unique_ptr<Form1> form;
};
