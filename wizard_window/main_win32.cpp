// VexaWizard.exe: the wizard window over the Form1 model, with the release builder behind
// its Finish button.
#include <windows.h>

#include "form1.h"
#include "release_pipeline.h"
#include "wizard_window_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WizardWindow window(instance);
  ReleasePipeline release_builder;
  Form1 form(window, &release_builder);
  return window.Run(form);
}
