#include "registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// Each test works below its own key under HKEY_CURRENT_USER and removes it afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = std::string("Software\\VexaTest\\") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str()); }

  std::string ArrowPath(const std::string& rest = "") const {
    std::string path = base_;
    for (std::size_t at; (at = path.find('\\')) != std::string::npos;) path.replace(at, 1, "->");
    return rest.empty() ? path : path + "->" + rest;
  }
  bool KeyExists(const std::string& backslash_path) const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (base_ + "\\" + backslash_path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    return true;
  }
  void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
    RegistryKey key = OpenRegistryPath(HKEY_CURRENT_USER, ArrowPath(), "->", true);
    ASSERT_TRUE(key);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }

  std::string base_;
};

TEST_F(RegistryTest, WriteCreatesEveryKeyOfThePathAndReadsBack) {
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, ArrowPath("Installed Programs->Acme Paint"), "Directory",
                                  "C:\\Program Files\\Acme Paint\\", "->"));
  EXPECT_TRUE(KeyExists("Installed Programs\\Acme Paint"));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath("Installed Programs->Acme Paint"), "Directory", "->", 300),
            "C:\\Program Files\\Acme Paint\\");

  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, ArrowPath("Installed Programs->Acme Paint"), "Directory",
                                  "D:\\Other\\", "->"));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath("Installed Programs->Acme Paint"), "Directory", "->", 300),
            "D:\\Other\\");
}

TEST_F(RegistryTest, MissingKeysAndValuesReadAsEmptyAndOpeningForReadCreatesNothing) {
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath("No->Such->Key"), "Directory", "->", 300), "");
  EXPECT_FALSE(OpenRegistryPath(HKEY_CURRENT_USER, ArrowPath("No->Such"), "->", false));
  EXPECT_FALSE(KeyExists("No"));

  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, ArrowPath(), "Present", "x", "->"));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath(), "Absent", "->", 300), "");
  EXPECT_TRUE(OpenRegistryPath(HKEY_CURRENT_USER, ArrowPath(), "->", false));
}

TEST_F(RegistryTest, ValueMustFitTheBufferWithItsTerminatingZero) {
  const std::string fits(299, 'a');
  const std::string too_long(300, 'b');
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, ArrowPath(), "Fits", fits, "->"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, ArrowPath(), "TooLong", too_long, "->"));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath(), "Fits", "->", 300), fits);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath(), "TooLong", "->", 300), "");

  // A string stored without its zero still needs room for one.
  SetRaw("NoZero", REG_SZ, too_long.data(), 300);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath(), "NoZero", "->", 300), "");
  SetRaw("ShortNoZero", REG_SZ, "abc", 3);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath(), "ShortNoZero", "->", 300), "abc");
}

TEST_F(RegistryTest, NonStringValuesReadAsEmpty) {
  const DWORD number = 0x41414141;
  SetRaw("Number", REG_DWORD, &number, sizeof number);
  SetRaw("Binary", REG_BINARY, "AB\0", 3);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath(), "Number", "->", 300), "");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, ArrowPath(), "Binary", "->", 300), "");
}

TEST_F(RegistryTest, EngineKeysBelowLocalMachineAreWritten) {
  const std::string path = "SOFTWARE->Corvanta Install->Installed Programs->Vexa Registry Test";
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, path, "Directory", "C:\\Apps\\Test\\", "->"));
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, path, "Directory", "->", 300), "C:\\Apps\\Test\\");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanta Install\\Installed Programs\\Vexa Registry Test");
}

}  // namespace
