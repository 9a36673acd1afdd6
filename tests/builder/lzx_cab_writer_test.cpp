// LZX cabinets from the cabinet writer, judged by three independent readers: cabextract,
// 7-Zip and the setup engine's expansion (libmspack) must all give back the source bytes.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "builder_test_support.h"
#include "cab_builder.h"

namespace {

#ifndef VEXA_ENGINE_ORACLE
#error "VEXA_ENGINE_ORACLE must name the engine_expand_oracle program"
#endif

void ExpectEveryLzxReaderGivesBack(const fs::path& source, const std::string& cabinet, const fs::path& work) {
  const CabinetReader seven_zip{"7z", [](const std::string& cab, const std::string& directory) {
                                  return "7z x -y -o" + Quoted(directory) + " " + Quoted(cab);
                                }};
  ExpectReadersGiveBack(source, cabinet, work, {CabextractReader(), seven_zip, EngineReader(VEXA_ENGINE_ORACLE)});
}

std::uint16_t HeaderU16(const std::string& cabinet, std::size_t offset) {
  const std::string bytes = ReadFileBytes(cabinet);
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(offset)) |
                                    (static_cast<unsigned char>(bytes.at(offset + 1)) << 8));
}
std::uint16_t FolderCount(const std::string& cabinet) { return HeaderU16(cabinet, 26); }
std::uint16_t FirstFolderType(const std::string& cabinet) { return HeaderU16(cabinet, 36 + 6); }

CabWriterOptions Lzx() {
  CabWriterOptions options;
  options.compression = CabCompression::kLzx;
  return options;
}

// Text with E8 call instructions all over it, and crowded around every frame edge, where
// the translation stops 10 bytes before the end: offsets small, negative, near the
// translation size and out of its range.
std::string CallsAcrossFrameEdges(std::size_t frames, std::uint32_t seed) {
  std::string bytes = TextBytes(frames * 32768, seed);
  std::mt19937 random(seed);
  const std::int32_t offsets[] = {0, 5, -5, 4096, -70000, 11999999, 12000000, -12000000, 0x7FFFFFFF, -1};
  auto call_at = [&](std::size_t at) {
    if (at + 5 > bytes.size()) return;
    const auto offset = static_cast<std::uint32_t>(offsets[random() % 10]);
    bytes[at] = '\xE8';
    for (int i = 0; i < 4; ++i) bytes[at + 1 + static_cast<std::size_t>(i)] = static_cast<char>(offset >> (8 * i));
  };
  for (std::size_t at = 0; at + 5 < bytes.size(); at += 7 + random() % 40) call_at(at);
  for (std::size_t edge = 32768; edge < bytes.size(); edge += 32768) {
    for (std::size_t back = 1; back <= 14; ++back) {
      if (random() % 2) bytes[edge - back] = '\xE8';
    }
    call_at(edge - 11);
    call_at(edge - 10);
  }
  return bytes;
}

class LzxCabWriterTest : public ::testing::Test {
 protected:
  ScratchDirectory scratch;
  fs::path source = scratch.path() / "source";
  std::string cabinet = scratch / "out.cab";
};

TEST_F(LzxCabWriterTest, FrameEdgesWindowEdgesRunsNoiseAndCallsComeBackFromEveryReader) {
  WriteFileBytes(source / "empty.txt", "");
  WriteFileBytes(source / "a32767.bin", NoiseBytes(32767, 1));
  WriteFileBytes(source / "b32768.txt", TextBytes(32768, 2));
  WriteFileBytes(source / "c32769.bin", NoiseBytes(32769, 3));
  WriteFileBytes(source / "one/empty-in-folder.dat", "");
  WriteFileBytes(source / "zeros.bin", std::string(3 << 20, '\0'));
  WriteFileBytes(source / "calls.exe", CallsAcrossFrameEdges(12, 4));
  // Noise repeated at the window's largest distance (2^21 - 3) and just beyond it.
  const std::string noise = NoiseBytes((1 << 21) + 1, 5);
  WriteFileBytes(source / "window-edge.bin", noise + noise.substr(4, 70000) + noise.substr(0, 70000));
  WriteFileBytes(source / "text.txt", TextBytes(700000, 6));
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet, Lzx()), "done");
  EXPECT_EQ(FirstFolderType(cabinet), 0x1503);
  ExpectEveryLzxReaderGivesBack(source, cabinet, scratch.path() / "out");
}

TEST_F(LzxCabWriterTest, FoldersCompressedOnThreadsGiveTheSameCabinetAsOneThreadAndEveryReaderFollowsThem) {
  for (int i = 0; i < 6; ++i) {
    WriteFileBytes(source / ("text" + std::to_string(i) + ".txt"), TextBytes(400000, 10u + static_cast<unsigned>(i)));
    WriteFileBytes(source / ("noise" + std::to_string(i) + ".bin"), NoiseBytes(150000, 20u + static_cast<unsigned>(i)));
  }
  CabWriterOptions serial = Lzx();
  serial.threads = 1;
  serial.lzx_folder_bytes = 1 << 20;
  CabWriterOptions parallel = serial;
  parallel.threads = 3;
  ASSERT_EQ(BuildCabinetOfTree(source, scratch / "serial.cab", serial), "done");
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet, parallel), "done");
  EXPECT_EQ(FolderCount(cabinet), 3);
  EXPECT_TRUE(ReadFileBytes(scratch / "serial.cab") == ReadFileBytes(cabinet));
  ExpectEveryLzxReaderGivesBack(source, cabinet, scratch.path() / "out");
}

TEST_F(LzxCabWriterTest, ThousandsOfSmallFilesInManyFoldersComeBackFromEveryReader) {
  for (int i = 0; i < 4000; ++i) {
    WriteFileBytes(source / ("D" + std::to_string(i / 100)) / ("F" + std::to_string(i) + ".txt"),
                   TextBytes(static_cast<std::size_t>(i % 700), static_cast<std::uint32_t>(i)));
  }
  CabWriterOptions options = Lzx();
  options.threads = 2;
  options.lzx_folder_bytes = 100000;
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet, options), "done");
  EXPECT_GE(FolderCount(cabinet), 10);
  ExpectEveryLzxReaderGivesBack(source, cabinet, scratch.path() / "out");
}

TEST_F(LzxCabWriterTest, EveryWindowSizeIsNamedInTheFolderAndReadBack) {
  const std::string text = TextBytes(200000, 30);
  WriteFileBytes(source / "far-repeats.txt", text + NoiseBytes(100000, 31) + text);
  for (unsigned bits : {15u, 17u, 21u}) {
    CabWriterOptions options = Lzx();
    options.lzx.window_bits = bits;
    const std::string made = scratch / ("w" + std::to_string(bits) + ".cab");
    ASSERT_EQ(BuildCabinetOfTree(source, made, options), "done") << bits;
    EXPECT_EQ(FirstFolderType(made), 3 | (bits << 8));
    ExpectEveryLzxReaderGivesBack(source, made, scratch.path() / ("out" + std::to_string(bits)));
  }
  CabWriterOptions too_large = Lzx();
  too_large.lzx.window_bits = 22;
  EXPECT_EQ(BuildCabinetOfTree(source, cabinet, too_large), "error");
}

// Windows programs are what cabinets carry most: three of Wine's DLLs, against gcab -cz.
TEST_F(LzxCabWriterTest, RealExecutablesComeOutWellBelowGcab) {
  const fs::path dlls = "/usr/lib/i386-linux-gnu/wine/i386-windows";
  for (const char* name : {"kernel32.dll", "user32.dll", "comctl32.dll"}) {
    ASSERT_TRUE(fs::exists(dlls / name)) << dlls / name;
    fs::create_directories(source);
    fs::copy_file(dlls / name, source / name);
  }
  ASSERT_EQ(BuildCabinetOfTree(source, cabinet, Lzx()), "done");
  ASSERT_EQ(RunCommand("cd " + Quoted(source.string()) + " && gcab -c -z " + Quoted(scratch / "gcab.cab") +
                       " comctl32.dll kernel32.dll user32.dll"),
            0);
  const double ratio = static_cast<double>(fs::file_size(cabinet)) / static_cast<double>(fs::file_size(scratch / "gcab.cab"));
  // These three compress less than most DLLs: 0.83 here, 0.73 on bench/run-lzx-bench's twenty.
  EXPECT_LE(ratio, 0.87);
  ExpectEveryLzxReaderGivesBack(source, cabinet, scratch.path() / "out");
}

// Random inputs built to reach every kind of step: literals, near and far copies, copies
// at the offsets just used, long runs and calls; each must come back through the engine.
TEST_F(LzxCabWriterTest, RandomInputsRoundTripThroughTheEngine) {
  std::mt19937 random(2026);
  for (int round = 0; round < 12; ++round) {
    std::string bytes;
    const std::size_t size = 1 + random() % 400000;
    std::vector<std::size_t> recent = {1, 2, 3};
    while (bytes.size() < size) {
      const auto kind = static_cast<unsigned>(random() % 6);
      const std::size_t length = 1 + random() % (kind == 3 ? 2000 : 300);
      if (kind == 0 || bytes.empty()) {
        bytes += NoiseBytes(length, static_cast<std::uint32_t>(random()));
      } else if (kind <= 2) {
        const std::size_t distance =
            kind == 1 ? recent[random() % 3] : 1 + random() % std::min<std::size_t>(bytes.size(), (1u << 21) + 100);
        if (distance > bytes.size()) continue;
        if (kind == 2) recent[random() % 3] = distance;
        for (std::size_t i = 0; i < length; ++i) bytes += bytes[bytes.size() - distance];
      } else if (kind == 3) {
        bytes += std::string(length, static_cast<char>(random()));
      } else if (kind == 4) {
        bytes += '\xE8';
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>(random() % 3 ? 0 : random());
      } else {
        bytes += TextBytes(length, static_cast<std::uint32_t>(random()));
      }
    }
    bytes.resize(size);
    const fs::path tree = scratch.path() / ("round" + std::to_string(round));
    WriteFileBytes(tree / "data.bin", bytes);
    CabWriterOptions options = Lzx();
    options.lzx.window_bits = static_cast<unsigned>(15 + random() % 7);
    const std::string made = scratch / ("round" + std::to_string(round) + ".cab");
    ASSERT_EQ(BuildCabinetOfTree(tree, made, options), "done");
    const fs::path out = scratch.path() / ("out" + std::to_string(round));
    std::string output;
    ASSERT_EQ(RunCommand(std::string(VEXA_ENGINE_ORACLE) + " " + Quoted(made) + " " + Quoted(out.string()) + " 2>&1", &output), 0)
        << "round " << round << ": " << output;
    ASSERT_TRUE(ReadFileBytes(out / "data.bin") == bytes) << "round " << round;
  }
}

TEST_F(LzxCabWriterTest, CancelOrAVanishedSourceWhileFoldersCompressEndsOnceAndLeavesNoFile) {
  WriteFileBytes(source / "text.txt", TextBytes(3 << 20, 40));
  CabWriterOptions options = Lzx();
  options.lzx_folder_bytes = 1 << 20;
  {
    CabBuilder builder;
    builder.SetWriterOptions(options);
    for (int i = 0; i < 20; ++i) builder.AddFileToCab((source / "text.txt").string(), "copy" + std::to_string(i) + ".txt");
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
  }
  WriteFileBytes(source / "soon-gone.txt", "soon gone");
  CabBuilder builder;
  builder.SetWriterOptions(options);
  for (int i = 0; i < 6; ++i) builder.AddFileToCab((source / "text.txt").string(), "copy" + std::to_string(i) + ".txt");
  builder.AddFileToCab((source / "soon-gone.txt").string(), "last.txt");
  RecordedBuild build;
  ASSERT_TRUE(builder.MakeCab(cabinet, 0));
  fs::remove(source / "soon-gone.txt");
  WaitForBuild(builder, build);
  EXPECT_EQ(build.finals, 1);
  EXPECT_EQ(build.events.back(), "error");
  EXPECT_EQ(builder.LastMakeCabError(), "Cannot read file: " + (source / "soon-gone.txt").string());
  EXPECT_FALSE(fs::exists(cabinet));
}

}  // namespace
