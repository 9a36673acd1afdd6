// Opening a document or web address with the system's default handler, and the start-up
// call of the cabinet-builder component.
#pragma once

#include <string>

// Opens `address` (a URL or a path) with its default handler, without waiting for it: the
// shell's "open" verb on Windows, xdg-open natively. True when the handler was started.
bool OpenDocument(const std::string& address);

// Called once when the wizard window loads, with true. On Windows it prepares the calling
// thread for the shell (a single-threaded COM apartment, which the folder dialog and the
// shell's handlers need); natively there is nothing to prepare.
void InitializeComponent(bool serves_window);
