// The wizard on step 5, with component files made on demand.
#pragma once

#include <algorithm>
#include <string>

#include "wizard_fixture.h"

#ifndef VEXA_PE_LIBRARY
#error "VEXA_PE_LIBRARY must name a Windows DLL"
#endif

class ComponentListsTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    GoToStep(5);
    ASSERT_EQ(form->lstOCX.ListCount(), 1);
  }

  // A file below the scratch directory ("/" between folders in `relative`), with `bytes`.
  std::string Component(std::string relative, const std::string& bytes) {
    std::replace(relative.begin(), relative.end(), '/', kDirectorySeparator);
    const std::string path = scratch / ("components" + std::string(1, kDirectorySeparator) + relative);
    WriteFileBytes(path, bytes);
    return path;
  }

  // A Windows library that is not registered (a copy of one of Wine's DLLs).
  std::string Library(const std::string& relative) { return Component(relative, ReadFileBytes(VEXA_PE_LIBRARY)); }

  void AddOcx(const std::string& answer) {
    host.file_answers.push_back(answer);
    form->cmdAddOCX_Click();
  }
  void AddDll(const std::string& answer) {
    host.file_answers.push_back(answer);
    form->cmdAddDLL_Click();
  }
};
