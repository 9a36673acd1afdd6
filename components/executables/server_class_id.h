// Which class a component file serves, for the component lists and the web script.
//
// Windows build: the class whose registered in-process server
// (HKEY_CLASSES_ROOT\CLSID\{…}\InprocServer32, default value) is this file. Paths are
// compared in full, ignoring case, in their long and short forms, with environment
// variables expanded and quotes removed; the first class in the registry's order wins.
//
// Native build (no registry): the first class (coclass) of the type library the file
// carries — the file itself when it is a type library, else its first "TYPELIB"
// resource. A DLL without a type library gives no class, so on Linux a component counts
// as registered exactly when it declares a class in an embedded type library.
#pragma once

#include <string>

// The class identifier in braces form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; empty
// when none. `check_registration` is the wizard's flag (always true); the lookup is the
// same either way.
std::string GetServerClassId(const std::string& path, bool check_registration);

// The registration text of a control: its class identifier as GetServerClassId gives it;
// empty when the file is not registered.
std::string GetOcxRegistration(const std::string& path, bool check_registration);
