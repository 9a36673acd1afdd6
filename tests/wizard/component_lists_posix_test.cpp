// Registered components natively: a file counts as registered when it carries a type
// library that declares a class (server_class_id.h). The sample control (a DLL carrying the
// sample type library made by widl) serves as such a component under any name.
#include "component_lists_test.h"

#ifndef VEXA_SAMPLE_CONTROL
#error "VEXA_SAMPLE_CONTROL must name the sample control"
#endif

namespace {

class RegisteredComponentsTest : public ComponentListsTest {
 protected:
  std::string Registered(const std::string& relative) { return Component(relative, ReadFileBytes(VEXA_SAMPLE_CONTROL)); }
};

TEST_F(RegisteredComponentsTest, ControlsAndRegisteredDllsEnterTheOcxListInLowerCase) {
  const std::string control = Registered("Controls/Map.OCX");
  const std::string library = Registered("Controls/Server.dll");
  const std::string backup = Registered("Controls/old.ocx.bak");
  for (const std::string& path : {control, library, backup}) {
    AddOcx(path);
    ASSERT_TRUE(host.messages.empty()) << host.messages[0].text;
    EXPECT_EQ(form->lstOCX.lines.back(), LowerAscii(path));
    EXPECT_EQ(form->lstOCX.list_index, form->lstOCX.ListCount() - 1);
    EXPECT_TRUE(form->cmdRemoveOCX.enabled);
  }
  EXPECT_EQ(form->lstOCX.ListCount(), 4);
  // The lower-cased line still names the file on this case-sensitive file system.
  form->cmdNext_Click();
  EXPECT_EQ(form->CurrentStep, 6);
}

TEST_F(RegisteredComponentsTest, AControlOfAnotherExtensionButTheSameNameIsRefused) {
  AddOcx(Registered("a/Grid.ocx"));
  ASSERT_TRUE(host.messages.empty());
  AddOcx(Registered("a/Grid.dll"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Error");
  EXPECT_NE(host.messages[0].text.find("Grid.Cab"), std::string::npos) << host.messages[0].text;
  EXPECT_EQ(form->lstOCX.ListCount(), 2);
  // An unregistered library is refused before its name is looked at.
  host.messages.clear();
  AddOcx(Library("b/Grid.ocx"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find("is not a registered OCX/DLL file"), std::string::npos);
}

}  // namespace
