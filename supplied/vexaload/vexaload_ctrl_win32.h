// The loader control: an invisible ActiveX control that a setup page names. Its host
// gives it the page's parameters through IPersistPropertyBag (ScriptFile, the script
// cabinet) and activates it; it then runs the web setup's installation
// (loader_install_win32.h) with the web setup's window, once.
//
// Hosts and pages read how it went through IDispatch: ReadyState (DISPID_READYSTATE) is
// READYSTATE_COMPLETE when the installation has ended, Result its message (empty on
// success) and ExitStatus its status (0 success, 3010 restart needed, 1602 cancelled,
// 1603 failure).
//
// The parameters Silent ("1": no window, Setup.exe with /S), LogFile and Destination are
// for hosts that run the control on their own behalf (deployment tools, our tests). A
// host that asks for safety with untrusted data or callers (IObjectSafety), as a browser
// does for a page, gets ScriptFile only: a web page never installs without the window.
// For such a host the control acts only for the page's own https: site, whose address
// it takes from the host (the container's moniker, never from the page), asks the user
// before anything is downloaded and again naming the publisher, and tells the page in
// Result what failed without this PC's paths or other servers' answers.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

HRESULT CreateVexaLoadCtrl(REFIID iid, void** object);
void UnregisterLoaderWindowClass();
