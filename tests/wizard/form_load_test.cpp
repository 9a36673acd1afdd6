#include <cstdio>

#include "wizard_fixture.h"

TEST_F(WizardTest, StartUpShowsTheIntroduction) {
  EXPECT_EQ(form->WizardDirectory, WithTrailingSeparator(wizard_directory));
  EXPECT_EQ(form->Caption, "Corvanta Netloom Wizard - Introduction");
  EXPECT_EQ(form->CurrentStep, 0);
  for (int i = 0; i < kStepCount; ++i) {
    EXPECT_EQ(form->fraStep[static_cast<std::size_t>(i)].visible, i == 0) << i;
    EXPECT_FALSE(form->fraStep[static_cast<std::size_t>(i)].border) << i;
  }
  EXPECT_FALSE(form->cmdFinish.enabled);
  EXPECT_FALSE(form->cmdBack.enabled);
  EXPECT_TRUE(form->cmdNext.enabled);
  EXPECT_TRUE(form->fraMinimizeDownloadTime.visible);
  EXPECT_FALSE(form->VexaCB1.visible);
  EXPECT_FALSE(form->VexaDnld1.visible);
  EXPECT_EQ(form->lblVersion.caption, "Version: 1.2.3");
  EXPECT_EQ(form->List2.placement, form->List1.placement);
  EXPECT_FALSE(host.ended);
}

TEST_F(WizardTest, PanelsWithoutFullTagStandBesideTheLogo) {
  const Placement logo = form->picLogo.placement;
  for (int i : {0, 6, 7}) {
    const Placement panel = form->fraStep[static_cast<std::size_t>(i)].placement;
    EXPECT_EQ(panel.left, logo.left + logo.width + 20) << i;
    EXPECT_EQ(panel.left + panel.width, form->ScaleWidth - 20) << i;
  }
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(form->fraStep[static_cast<std::size_t>(i)].tag, "FULL");
    EXPECT_EQ(form->fraStep[static_cast<std::size_t>(i)].placement, form->fraStep[1].placement);
  }
  for (const Panel& panel : form->fraStep) {
    EXPECT_EQ(panel.placement.top, 0);
    EXPECT_EQ(panel.placement.height, form->picStatusbar.placement.top);
  }
  EXPECT_TRUE(form->picLogo.visible);
}

TEST_F(WizardTest, StepOneFieldsAreGreyUntilADirectoryIsChosen) {
  EXPECT_FALSE(form->txtWebSiteURL.enabled);
  EXPECT_EQ(form->txtWebSiteURL.back_colour, kDisabledFieldGrey);
  EXPECT_EQ(form->lblWebSiteURL.fore_colour, kDisabledLabelGrey);
  EXPECT_FALSE(form->cmdHelpWebSiteURL.enabled);
  form->SetStep1FieldsEnabled(true);
  EXPECT_TRUE(form->txtCompanyName.enabled);
  EXPECT_EQ(form->txtCompanyName.back_colour, kWhite);
  EXPECT_EQ(form->lblCompanyName.fore_colour, kBlack);
}

TEST(WizardStartUp, EndsWhenALoaderFileIsMissing) {
  for (const char* missing : {"VexaLoad.ocx", "VexaLoad.cab"}) {
    ScratchDirectory scratch;
    for (const char* present : {"VexaLoad.ocx", "VexaLoad.cab"}) {
      if (std::string(present) != missing) WriteFileBytes(scratch.path() / present, "x");
    }
    ScriptedHost host;
    host.program_directory = scratch.path().string();
    Form1 form(host);
    form.Form_Load();
    ASSERT_EQ(host.messages.size(), 1u) << missing;
    EXPECT_EQ(host.messages[0].text,
              std::string("Error. ") + missing + "  must reside in the " + scratch.text() + " directory.");
    EXPECT_EQ(host.messages[0].title, "");
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(form.Caption, "");
  }
}

TEST_F(WizardTest, HelpButtonsShowHelpAndTheMakersAddressesOpen) {
  form->cmdHelpCompanyName_Click();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Help");
  EXPECT_EQ(host.messages[0].text, "Type the name of your company. You may leave this field blank.");
  form->cmdHelpOcxList_Click();
  form->cmdHelpDllList_Click();
  form->cmdHelpMinimizeDownloadTime_Click();
  EXPECT_EQ(host.modal_windows, (std::vector<ModalWindow>{ModalWindow::OcxListHelp, ModalWindow::OcxListHelp,
                                                          ModalWindow::MinimizeDownloadTimeHelp}));
  const HelpWindowContent ocx_help = Form1::HelpWindowText(ModalWindow::OcxListHelp);
  EXPECT_EQ(ocx_help.title, "Help for Step 5");
  EXPECT_NE(ocx_help.text.find("The VexaLoad.ocx file is automatically added to the list (and you cannot remove it "
                               "from the list)."),
            std::string::npos);
  form->Label32_Click();
  form->cmdSamples_Click();
  form->frmSamples_cmdSamples_Click();
  EXPECT_EQ(host.opened_documents, (std::vector<std::string>{kMakerWebAddress, kMakerSamplesAddress}));
  EXPECT_EQ(host.modal_windows.back(), ModalWindow::Samples);
}

TEST_F(WizardTest, ExitEndsTheProgramOnAnyStep) {
  GoToStep(3);
  form->cmdExit_Click();
  EXPECT_TRUE(host.ended);
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 3);
}
