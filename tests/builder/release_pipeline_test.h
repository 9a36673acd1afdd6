// A wizard with the release builder over a scratch tree: the wizard's directory (stand-in
// engine, uninstall and stand-alone programs, the loader files and the real page template),
// a program directory "Acme Paint", and the loader's cache, with the build's time fixed.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "form1.h"
#include "recorded_release_host.h"
#include "release_pipeline.h"
#include "scripted_host.h"

inline constexpr const char* kFixedEpoch = "1796630400";  // 2026-12-07 08:00:00 UTC

// Size, 4 x size, GetFileInfo and signature of a cabinet under `prefix`_SIZE, ...
void CabinetValues(const std::string& path, const std::string& prefix, std::map<std::string, std::string>& values);

class ReleasePipelineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Form_Load, the directory chosen and the fields of step 1 filled, then Next up to step
  // 6; `before_step` runs with the form on each step before its Next.
  void GoToFinalStep(const std::function<void(int step)>& before_step = {});
  // Finish; true when frmSuccess was shown.
  bool Finish();
  // Hands the form's answers to the pipeline, for a test of single steps.
  void AttachAnswers() { pipeline.Attach(form->ReleaseAnswersForBuild(), release_host); }

  std::string Release(const std::string& name) const { return form->ReleaseDirectory + name; }
  std::string ReleaseActiveX(const std::string& name) const { return form->ReleaseActiveXDirectory + name; }
  std::string ProjectFile(const std::string& name) const { return form->ProjectFilesDirectory + name; }
  std::vector<std::string> ReleaseFiles() const;
  // The web script, taken out of the script cabinet with cabextract.
  std::string WebScript();
  // The golden text `name` (tests/builder/golden) with CR LF line ends and its {NAME}s filled.
  std::string Golden(const std::string& name, const std::map<std::string, std::string>& values) const;
  std::vector<std::string> MessageTexts() const;

  ScratchDirectory scratch;
  std::string wizard_directory;
  std::string program_directory;
  std::string shared_directory;
  ScriptedHost host;
  RecordedReleaseHost release_host;
  ReleasePipeline pipeline;
  std::unique_ptr<Form1> form;
};
