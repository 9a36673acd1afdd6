// The loader control's identity: the class the page template's object names.
#pragma once

#include <windows.h>

// {2C824442-6AA6-45D2-8EFD-2040F2E6B11C}
inline constexpr CLSID CLSID_VexaLoad = {0x2c824442, 0x6aa6, 0x45d2, {0x8e, 0xfd, 0x20, 0x40, 0xf2, 0xe6, 0xb1, 0x1c}};
inline constexpr const wchar_t* kVexaLoadProgId = L"VexaLoad.VexaLoadCtrl";
inline constexpr const wchar_t* kVexaLoadName = L"Corvanta Web Setup Loader";

// Invisible at run time; the site comes before the parameters (as the page's host
// gives them); never linked to.
inline constexpr DWORD kVexaLoadMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME |
                                             OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE;

// The dispatch members a host or a page script reads.
inline constexpr DISPID kDispidScriptFile = 1;
inline constexpr DISPID kDispidResult = 2;
inline constexpr DISPID kDispidExitStatus = 3;
