// Registered components under Wine: the test control registers itself through its own
// DllRegisterServer (as regsvr32 would), and the wizard asks the registry through
// GetOcxRegistration or GetServerClassId.
#include <windows.h>

#include "component_lists_test.h"

#ifndef VEXA_TEST_CONTROL
#error "VEXA_TEST_CONTROL must name the self-registering test control, as seen under Wine"
#endif

namespace {

constexpr const char* kControlClassKey = "CLSID\\{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}";
constexpr const char* kMarkers = "C:\\vexa-components\\registrations.txt";

// Puts the control's registration and its marker file back as they were.
class RegisteredControlTest : public ComponentListsTest {
 protected:
  void SetUp() override {
    markers_before_ = ReadFileBytes(kMarkers);
    ComponentListsTest::SetUp();
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kControlClassKey);
    if (markers_before_.empty()) {
      DeleteFileA(kMarkers);
    } else {
      WriteFileBytes(kMarkers, markers_before_);
    }
  }

  // A copy of the control under `relative`, registered by its DllRegisterServer.
  std::string RegisteredCopy(const std::string& relative) {
    const std::string path = Component(relative, ReadFileBytes(VEXA_TEST_CONTROL));
    HMODULE module = LoadLibraryA(path.c_str());
    EXPECT_NE(module, nullptr) << path;
    if (!module) return path;
    using Register = HRESULT(__stdcall*)();
    const auto register_server = reinterpret_cast<Register>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    EXPECT_NE(register_server, nullptr);
    if (register_server) {
      EXPECT_EQ(register_server(), S_OK);
    }
    FreeLibrary(module);
    return path;
  }

  std::string markers_before_;
};

TEST_F(RegisteredControlTest, ARegisteredControlOrDllEntersTheOcxListAndAnUnregisteredCopyIsRefused) {
  const std::string control = RegisteredCopy("Controls/Map Control.ocx");
  AddOcx(control);
  ASSERT_TRUE(host.messages.empty()) << host.messages[0].text;
  EXPECT_EQ(form->lstOCX.lines.back(), LowerAscii(control));

  // The class now names the DLL copy: the control file is no longer registered.
  const std::string library = RegisteredCopy("Servers/MapServer.dll");
  const std::string unregistered = Component("Other/Map Control 2.ocx", ReadFileBytes(VEXA_TEST_CONTROL));
  AddOcx(unregistered);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The file you selected: \r\n\r\n" + unregistered +
                                       "\r\n\r\nis not a registered OCX/DLL file. You must select a file that is "
                                       "registered.");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
  host.messages.clear();
  AddOcx(UpperAscii(library));
  ASSERT_TRUE(host.messages.empty()) << host.messages[0].text;
  EXPECT_EQ(form->lstOCX.lines.back(), LowerAscii(library));
  EXPECT_EQ(form->lstOCX.ListCount(), 3);

  // Only the last three characters choose the lookup: x.ocx.bak asks for a server class.
  const std::string backup = RegisteredCopy("Servers/map.ocx.bak");
  AddOcx(backup);
  ASSERT_TRUE(host.messages.empty()) << host.messages[0].text;
  EXPECT_EQ(form->lstOCX.ListCount(), 4);
}

}  // namespace
