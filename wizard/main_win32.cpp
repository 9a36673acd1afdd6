// VexaWizard.exe: the wizard window over the Form1 model.
#include <windows.h>

#include "form1.h"
#include "wizard_window_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WizardWindow window(instance);
  Form1 form(window);
  return window.Run(form);
}
