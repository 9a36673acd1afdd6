// The type-library reader on a library made by widl, and on damaged libraries. (Under
// Wine, type_library_win32_test compares it with LoadTypeLib on many more.)
#include <gtest/gtest.h>

#include "builder_test_support.h"
#include "server_class_id.h"
#include "type_library.h"

namespace {


#ifndef VEXA_SAMPLE_TLB
#error "VEXA_SAMPLE_TLB must name the sample type library"
#endif

const std::vector<std::string> kSampleClasses = {"{7C3D4E5F-3333-4444-A555-B66677788899}",
                                                 "{8D4E5F60-4444-4555-B666-C77788899900}"};

TEST(TypeLibraryTest, ClassesOfAWidlLibraryInTheirOrder) {
  EXPECT_EQ(EmbeddedTypeLibraryClassIds(VEXA_SAMPLE_TLB), kSampleClasses);
  // Without a registry the native build takes the first class of the type library.
  EXPECT_EQ(GetServerClassId(VEXA_SAMPLE_TLB, true), kSampleClasses[0]);
  EXPECT_EQ(GetOcxRegistration(VEXA_SAMPLE_TLB, true), kSampleClasses[0]);
}

TEST(TypeLibraryTest, AFileWithoutATypeLibraryHasNoClass) {
  ScratchDirectory scratch;
  WriteFileBytes(scratch / "plain.dll", "MZ");
  EXPECT_EQ(GetServerClassId(scratch / "plain.dll", true), "");
  EXPECT_EQ(GetServerClassId(scratch / "missing.dll", true), "");
  EXPECT_EQ(GetServerClassId("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/kernel32.dll", true), "");
}

TEST(TypeLibraryTest, TruncatedAndDamagedLibrariesNeverCrashTheReader) {
  const std::string original = ReadFileBytes(VEXA_SAMPLE_TLB);
  std::vector<std::uint8_t> bytes(original.begin(), original.end());
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    const std::vector<std::string> classes = TypeLibraryClassIds(std::span(bytes).first(size));
    EXPECT_LE(classes.size(), 2u) << size;
  }
  ForDamagedCopies(bytes, 20000, 4, [](const std::vector<std::uint8_t>& damaged) {
    for (const std::string& id : TypeLibraryClassIds(damaged)) ASSERT_EQ(id.size(), 38u);
  });
}

}  // namespace
