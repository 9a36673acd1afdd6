// The cabinet writer, judged by other programs' readers: cabextract, gcab and the setup
// engine's expansion must give back the source bytes, names, dates and attributes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <thread>

#include "builder_test_support.h"
#include "cab_format.h"
#include "narrow_text.h"
#include "cab_builder.h"

namespace {


#ifndef VEXA_ENGINE_ORACLE
#error "VEXA_ENGINE_ORACLE must name the engine_expand_oracle program"
#endif

// DOS date and time (2-second steps) of a file's modification time in local time, as
// gcab -lv prints them.
std::string DosStampOf(const fs::path& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  std::tm local {};
  localtime_r(&status.st_mtime, &local);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec & ~1);
  return text;
}

std::time_t ModifiedOf(const fs::path& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mtime;
}

bool IsReadOnly(const fs::path& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return (status.st_mode & S_IWUSR) == 0;
}

// Expands with the three readers and checks every file of `source` against each result.
void ExpectEveryReaderGivesBack(const fs::path& source, const std::string& cabinet, const fs::path& work) {
  const CabinetReader gcab{"gcab",
                           [](const std::string& cab, const std::string& directory) {
                             return "cd " + Quoted(directory) + " && gcab -x " + Quoted(cab);
                           },
                           true};
  ExpectReadersGiveBack(source, cabinet, work, {CabextractReader(), gcab, EngineReader(VEXA_ENGINE_ORACLE)});
  if (::testing::Test::HasFatalFailure()) return;
  const std::vector<std::string> files = FilesBelow(source);
  // cabextract and the engine set the stored date and the read-only bit on what they write.
  for (const fs::path& result : {work / "cabextract", work / "engine"}) {
    for (const std::string& file : files) {
      EXPECT_EQ(ModifiedOf(result / file), ModifiedOf(source / file) & ~std::time_t{1}) << result / file;
      EXPECT_EQ(IsReadOnly(result / file), IsReadOnly(source / file)) << result / file;
    }
  }
  // gcab's listing shows the stored name, size, date, time and attribute bits.
  std::string output;
  ASSERT_EQ(RunCommand("gcab -l -v " + Quoted(cabinet), &output), 0);
  std::string expected;
  for (const std::string& file : files) {
    std::string name = file;
    std::replace(name.begin(), name.end(), '/', '\\');
    bool ascii = true;
    for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    char attributes[8];
    std::snprintf(attributes, sizeof attributes, "0x%X", 0x20 | (IsReadOnly(source / file) ? 1 : 0) | (ascii ? 0 : 0x80));
    expected += name + " " + std::to_string(fs::file_size(source / file)) + " " + DosStampOf(source / file) + " " +
                attributes + "\n";
  }
  EXPECT_EQ(output, expected);
}

std::uint16_t FolderCount(const std::string& cabinet) {
  const std::string bytes = ReadFileBytes(cabinet);
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(26)) | (static_cast<unsigned char>(bytes.at(27)) << 8));
}

class CabWriterTest : public ::testing::Test {
 protected:
  ScratchDirectory scratch;
  fs::path source = scratch.path() / "source";
  std::string cabinet = scratch / "out.cab";

  // Nothing but the expected files may remain in the cabinet's directory.
  std::vector<std::string> LeftBeside() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch.path())) {
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(CabWriterTest, BlockBoundariesEmptyFilesNestingUtf8NamesAndReadOnlyFilesSurviveEveryReader) {
  WriteFileBytes(source / "empty.txt", "");
  WriteFileBytes(source / "a32767.bin", NoiseBytes(32767, 1));
  WriteFileBytes(source / "b32768.bin", NoiseBytes(32768, 2));
  WriteFileBytes(source / "c32769.bin", NoiseBytes(32769, 3));
  WriteFileBytes(source / "text.txt", TextBytes(300000, 4));
  WriteFileBytes(source / "one/two/three/four/deep.txt", TextBytes(1000, 5));
  WriteFileBytes(source / "one/empty-in-folder.dat", "");
  WriteFileBytes(source / "Grüße/naïve résumé.txt", TextBytes(5000, 6));
  WriteFileBytes(source / "readonly.txt", "keep me\r\n");
  fs::permissions(source / "readonly.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet), "done");
  ExpectEveryReaderGivesBack(source, cabinet, scratch.path() / "out");
  EXPECT_EQ(LeftBeside(), std::vector<std::string>{"out.cab"});
}

TEST_F(CabWriterTest, IncompressibleAndCompressibleDataMixedAcrossManyBlocks) {
  WriteFileBytes(source / "noise.bin", NoiseBytes(3 << 20, 7));
  WriteFileBytes(source / "text.txt", TextBytes(3 << 20, 8));
  WriteFileBytes(source / "zeros.bin", std::string(1 << 20, '\0'));
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet), "done");
  ExpectEveryReaderGivesBack(source, cabinet, scratch.path() / "out");
}

// Each block's dictionary is the block before it, so at zlib's default level the cabinet is
// no larger than gcab's, and threads change nothing in it.
TEST_F(CabWriterTest, ParallelBlocksGiveTheSameCabinetAsOneThreadAndNoLargerThanGcab) {
  WriteFileBytes(source / "text.txt", TextBytes(4 << 20, 9));
  WriteFileBytes(source / "more/text2.txt", TextBytes(1 << 20, 10));
  WriteFileBytes(source / "noise.bin", NoiseBytes(1 << 20, 11));
  CabWriterOptions serial;
  serial.threads = 1;
  serial.compression_level = 6;
  CabWriterOptions parallel = serial;
  parallel.threads = 4;
  parallel.batch_blocks = 7;
  ASSERT_EQ(BuildCabinetOfTree(source, scratch / "serial.cab", serial), "done");
  ASSERT_EQ(BuildCabinetOfTree(source, scratch / "parallel.cab", parallel), "done");
  EXPECT_TRUE(ReadFileBytes(scratch / "serial.cab") == ReadFileBytes(scratch / "parallel.cab"));
  ASSERT_EQ(RunCommand("cd " + Quoted(source.string()) + " && gcab -c -z " + Quoted(scratch / "gcab.cab") + " text.txt more/text2.txt noise.bin"), 0);
  EXPECT_LE(fs::file_size(scratch / "parallel.cab"), fs::file_size(scratch / "gcab.cab"));
  ExpectEveryReaderGivesBack(source, scratch / "parallel.cab", scratch.path() / "out");
}

TEST_F(CabWriterTest, AFolderClosesBeforeItsLimitAndEveryReaderFollowsIntoTheNext) {
  // Four blocks (128 KiB) per folder: 100,000-byte files cannot share one beyond the first.
  for (int i = 0; i < 5; ++i) WriteFileBytes(source / ("part" + std::to_string(i) + ".txt"), TextBytes(100000, 20u + static_cast<unsigned>(i)));
  WriteFileBytes(source / "small.txt", TextBytes(20000, 30));
  CabWriterOptions options;
  options.max_blocks_per_folder = 4;
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet, options), "done");
  EXPECT_EQ(FolderCount(cabinet), 5);
  ExpectEveryReaderGivesBack(source, cabinet, scratch.path() / "out");
}

TEST_F(CabWriterTest, AFileLargerThanAFolderIsAnErrorAndLeavesNothing) {
  WriteFileBytes(source / "big.bin", NoiseBytes(200000, 31));
  CabWriterOptions options;
  options.max_blocks_per_folder = 4;
  CabBuilder builder;
  builder.SetWriterOptions(options);
  builder.AddFileToCab((source / "big.bin").string(), "big.bin");
  RecordedBuild build;
  ASSERT_TRUE(builder.MakeCab(cabinet, 0));
  WaitForBuild(builder, build);
  EXPECT_EQ(build.events, std::vector<std::string>{"error"});
  EXPECT_EQ(builder.LastMakeCabError(), "File too large for a cabinet: " + (source / "big.bin").string());
  EXPECT_TRUE(LeftBeside().empty());
}

TEST_F(CabWriterTest, TwentyThousandSmallFilesExpandWithEveryReader) {
  for (int i = 0; i < 20000; ++i) {
    WriteFileBytes(source / ("D" + std::to_string(i / 100)) / ("F" + std::to_string(i) + ".txt"),
              TextBytes(50 + static_cast<std::size_t>(i % 400), static_cast<std::uint32_t>(i)));
  }
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet), "done");
  ExpectEveryReaderGivesBack(source, cabinet, scratch.path() / "out");
}

TEST_F(CabWriterTest, MoreThan65535FilesIsAClearErrorAndNoCabinet) {
  WriteFileBytes(source / "same.txt", "x");
  CabBuilder builder;
  for (int i = 0; i < 65536; ++i) builder.AddFileToCab((source / "same.txt").string(), "f" + std::to_string(i));
  RecordedBuild build;
  ASSERT_TRUE(builder.MakeCab(cabinet, 0));
  WaitForBuild(builder, build);
  EXPECT_EQ(build.events, std::vector<std::string>{"error"});
  EXPECT_EQ(builder.LastMakeCabError(), "Too many files for one cabinet: 65536 (at most 65535)");
  EXPECT_TRUE(LeftBeside().empty());
}

TEST_F(CabWriterTest, CancelDuringTheBuildEndsWithOneCancelEventAndLeavesNoFile) {
  WriteFileBytes(source / "noise.bin", NoiseBytes(4 << 20, 40));
  CabBuilder builder;
  for (int i = 0; i < 40; ++i) builder.AddFileToCab((source / "noise.bin").string(), "copy" + std::to_string(i) + ".bin");
  RecordedBuild build;
  ASSERT_TRUE(builder.MakeCab(cabinet, 0));
  while (build.events.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    builder.ProcessMakeCabEvents(build);
  }
  builder.CancelMakeCab();
  WaitForBuild(builder, build);
  EXPECT_EQ(build.finals, 1);
  EXPECT_EQ(build.events.back(), "cancel");
  EXPECT_TRUE(LeftBeside().empty());
}

TEST_F(CabWriterTest, ASourceThatVanishesDuringTheBuildIsAnErrorAndLeavesNoFile) {
  WriteFileBytes(source / "first.bin", NoiseBytes(16 << 20, 41));
  WriteFileBytes(source / "second.txt", "soon gone");
  CabBuilder builder;
  builder.AddFileToCab((source / "first.bin").string(), "first.bin");
  builder.AddFileToCab((source / "second.txt").string(), "second.txt");
  RecordedBuild build;
  ASSERT_TRUE(builder.MakeCab(cabinet, 0));
  fs::remove(source / "second.txt");
  WaitForBuild(builder, build);
  EXPECT_EQ(build.events.back(), "error");
  EXPECT_EQ(build.finals, 1);
  EXPECT_EQ(builder.LastMakeCabError(), "Cannot read file: " + (source / "second.txt").string());
  EXPECT_TRUE(LeftBeside().empty());
}

TEST_F(CabWriterTest, EventsComeInFileOrderThenExactlyOneDoneWithTheTotals) {
  WriteFileBytes(source / "a.txt", TextBytes(100000, 50));
  WriteFileBytes(source / "b.txt", "");
  WriteFileBytes(source / "c.txt", TextBytes(70000, 51));
  RecordedBuild build;
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet, {}, &build), "done");
  std::vector<std::string> firsts;
  for (const std::string& event : build.events) {
    if (event.rfind("progress ", 0) == 0 && (firsts.empty() || firsts.back() != event)) firsts.push_back(event);
  }
  const std::vector<std::string> expected = {"progress " + (source / "a.txt").string(), "progress " + (source / "b.txt").string(),
                                             "progress " + (source / "c.txt").string()};
  EXPECT_EQ(firsts, expected);
  EXPECT_EQ(build.events.back(), "done");
  EXPECT_EQ(build.finals, 1);
  EXPECT_EQ(build.done_uncompressed, 170000u);
  EXPECT_EQ(build.done_compressed, fs::file_size(cabinet));
}

TEST_F(CabWriterTest, NamesThatReadersRefuseAreAnErrorNotACabinet) {
  WriteFileBytes(source / "a.txt", "a");
  for (const std::string& name : std::vector<std::string>{"..\\a.txt", "\\a.txt", "C:a.txt", "dir\\\\a.txt", "dir\\.\\a.txt", std::string(256, 'n'),
                                 std::string("bad\xff.txt")}) {
    CabBuilder builder;
    builder.AddFileToCab((source / "a.txt").string(), name);
    RecordedBuild build;
    ASSERT_TRUE(builder.MakeCab(cabinet, 0));
    WaitForBuild(builder, build);
    EXPECT_EQ(build.events, std::vector<std::string>{"error"}) << name;
    EXPECT_EQ(builder.LastMakeCabError(), "Invalid name inside the cabinet: " + name);
    EXPECT_TRUE(LeftBeside().empty());
  }
}

TEST_F(CabWriterTest, MakeCabRefusesAnEmptyListANegativeReserveAndASecondBuildAtOnce) {
  CabBuilder builder;
  EXPECT_FALSE(builder.MakeCab(cabinet, 0));
  WriteFileBytes(source / "noise.bin", NoiseBytes(8 << 20, 60));
  builder.AddFileToCab((source / "noise.bin").string(), "noise.bin");
  EXPECT_FALSE(builder.MakeCab(cabinet, -1));
  ASSERT_TRUE(builder.MakeCab(cabinet, 0));
  EXPECT_FALSE(builder.MakeCab(scratch / "other.cab", 0));
  RecordedBuild build;
  WaitForBuild(builder, build);
  EXPECT_EQ(build.last_kind, "done");
  // The next build may start from the handler of the previous one's final event.
  EXPECT_TRUE(builder.MakeCab(scratch / "again.cab", 0));
  RecordedBuild again;
  WaitForBuild(builder, again);
  EXPECT_EQ(again.last_kind, "done");
}

TEST_F(CabWriterTest, ACabinetMadeWithACertificateReserveIsSignedAndVerifiedByOsslsigncode) {
  WriteFileBytes(source / "Script.txt", TextBytes(4000, 70));
  CabBuilder builder;
  builder.AddFileToCab((source / "Script.txt").string(), "Script.txt");
  RecordedBuild build;
  ASSERT_TRUE(builder.MakeCab(cabinet, 6144));
  WaitForBuild(builder, build);
  ASSERT_EQ(build.last_kind, "done");
  const std::string key = scratch / "key.pem";
  const std::string certificate = scratch / "cert.pem";
  const std::string signed_cabinet = scratch / "signed.cab";
  std::string output;
  ASSERT_EQ(RunCommand("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Vexa-Test -keyout " + Quoted(key) +
                           " -out " + Quoted(certificate) + " -addext extendedKeyUsage=codeSigning 2>&1",
                       &output),
            0)
      << output;
  ASSERT_EQ(RunCommand("osslsigncode sign -certs " + Quoted(certificate) + " -key " + Quoted(key) + " -in " +
                           Quoted(cabinet) + " -out " + Quoted(signed_cabinet) + " 2>&1",
                       &output),
            0)
      << output;
  EXPECT_EQ(RunCommand("osslsigncode verify -CAfile " + Quoted(certificate) + " -in " + Quoted(signed_cabinet) + " 2>&1",
                       &output),
            0)
      << output;
  const fs::path expanded = scratch.path() / "expanded";
  ASSERT_EQ(RunCommand("cabextract -q -d " + Quoted(expanded.string()) + " " + Quoted(signed_cabinet)), 0);
  EXPECT_EQ(ReadFileBytes(expanded / "Script.txt"), ReadFileBytes(source / "Script.txt"));
}

}  // namespace

// Natively narrow text is UTF-8: a well-formed name is stored as it is under the UTF flag,
// bytes that are not UTF-8 cannot be named in a cabinet at all.
TEST(CabNameTest, NativeNamesAreStoredAsTheirUtf8AndMalformedBytesAreRefused) {
  std::string stored;
  bool is_utf8 = false;
  ASSERT_TRUE(StoredCabName("Gr\xC3\xBC\xC3\x9F" "e/a.txt", stored, is_utf8));
  EXPECT_TRUE(is_utf8);
  EXPECT_EQ(stored, "Gr\xC3\xBC\xC3\x9F" "e\\a.txt");
  ASSERT_TRUE(StoredCabName("plain/a.txt", stored, is_utf8));
  EXPECT_FALSE(is_utf8);
  EXPECT_FALSE(StoredCabName("caf\xE9.txt", stored, is_utf8));
  EXPECT_FALSE(StoredCabName(std::string(256, 'a'), stored, is_utf8));
  bool valid = true;
  EXPECT_EQ(NarrowToUtf16("caf\xE9", &valid), u"caf\uFFFD");
  EXPECT_FALSE(valid);
}
