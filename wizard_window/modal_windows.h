// The wizard's small modal windows. Each shows state of the model and calls the model's
// handlers for its buttons; it returns when the window is closed.
#pragma once

#include <windows.h>

#include "form1.h"

void ShowLinkToWindow(HINSTANCE instance, HWND owner, Form1& form);
void ShowSamplesWindow(HINSTANCE instance, HWND owner, Form1& form);
void ShowSuccessWindow(HINSTANCE instance, HWND owner, const Form1& form);
void ShowHelpWindow(HINSTANCE instance, HWND owner, const HelpWindowContent& content);
// Prints `text` on the default printer in "Small Fonts", 9 points; a message says why when
// it cannot. True when the document went to the printer.
bool PrintText(HWND owner, const std::string& text);
