#include "bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "map_pictures.h"
#include "scratch_directory.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A 4-bit BMP written field by field: `rows` from the top, one palette index per pixel,
// the palette colour i being (i * 16, 255 - i, i) so that every entry differs.
Bytes MakeBmp(const std::vector<std::vector<int>>& rows, bool topDown = false,
              std::uint32_t colours = 16) {
  const std::size_t width = rows[0].size();
  const std::size_t height = rows.size();
  const std::size_t stride = (width * 4 + 31) / 32 * 4;
  const std::size_t bits = 14 + 40 + colours * 4;
  Bytes b(bits + stride * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(bits));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  const auto h = static_cast<std::int32_t>(height);
  Put32(b, 22, static_cast<std::uint32_t>(topDown ? -h : h));
  Put16(b, 26, 1);
  Put16(b, 28, 4);
  Put32(b, 46, colours);
  for (std::uint32_t i = 0; i < colours; ++i) {
    b[54 + i * 4] = static_cast<std::uint8_t>(i);            // blue
    b[54 + i * 4 + 1] = static_cast<std::uint8_t>(255 - i);  // green
    b[54 + i * 4 + 2] = static_cast<std::uint8_t>(i * 16);   // red
  }
  for (std::size_t y = 0; y < height; ++y) {
    const std::size_t row = bits + (topDown ? y : height - 1 - y) * stride;
    for (std::size_t x = 0; x < width; ++x) {
      const auto v = static_cast<std::uint8_t>(rows[y][x]);
      b[row + x / 2] = static_cast<std::uint8_t>(b[row + x / 2] | (x % 2 == 0 ? v << 4 : v));
    }
  }
  return b;
}

const std::vector<std::vector<int>> kSample = {{1, 2, 3}, {15, 0, 7}};

void ExpectSample(const Bitmap4& bmp) {
  ASSERT_EQ(bmp.width, 3);
  ASSERT_EQ(bmp.height, 2);
  EXPECT_EQ(bmp.paletteSize, 16);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const int index = kSample[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      EXPECT_EQ(bmp.IndexAt(x, y), index) << x << ", " << y;
      EXPECT_EQ(bmp.ColourAt(x, y),
                MakeColour(static_cast<std::uint8_t>(index * 16), static_cast<std::uint8_t>(255 - index),
                           static_cast<std::uint8_t>(index)));
    }
  }
}

Bitmap4 Poisoned() {
  Bitmap4 b;
  b.width = 99;
  b.height = 99;
  b.pixels.assign(5, 9);
  return b;
}

TEST(Bitmap4Test, ReadsRowsBottomUpAndTopDownWithOddWidthsAndPadding) {
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    Bitmap4 bmp = Poisoned();
    std::string error = "poison";
    ASSERT_TRUE(ParseBitmap4(MakeBmp(kSample, topDown), bmp, error)) << error;
    EXPECT_EQ(error, "");
    ExpectSample(bmp);
  }
}

TEST(Bitmap4Test, CommittedPicturesUseTheStandardSixteenColourPalette) {
  const MapPictures& p = CommittedPictures();
  ASSERT_EQ(p.error, "");
  const Colour standard[16] = {
      MakeColour(0, 0, 0),       MakeColour(128, 0, 0),   MakeColour(0, 128, 0),
      MakeColour(128, 128, 0),   MakeColour(0, 0, 128),   MakeColour(128, 0, 128),
      MakeColour(0, 128, 128),   MakeColour(128, 128, 128), MakeColour(192, 192, 192),
      MakeColour(255, 0, 0),     MakeColour(0, 255, 0),   MakeColour(255, 255, 0),
      MakeColour(0, 0, 255),     MakeColour(255, 0, 255), MakeColour(0, 255, 255),
      MakeColour(255, 255, 255)};
  for (const Bitmap4* b : {&p.map, &p.mask, &p.strip}) {
    ASSERT_EQ(b->paletteSize, 16);
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(b->palette[i], standard[i]) << i;
  }
}

struct Fault {
  const char* name;
  std::function<void(Bytes&)> change;
  const char* message;
};

TEST(Bitmap4Test, RefusesMalformedFilesWithTheFaultNamed) {
  const Fault faults[] = {
      {"empty", [](Bytes& b) { b.clear(); }, "is not a BMP file"},
      {"signature", [](Bytes& b) { b[1] = 'A'; }, "is not a BMP file"},
      {"headers cut", [](Bytes& b) { b.resize(40); }, "is not a BMP file"},
      {"core header", [](Bytes& b) { Put32(b, 14, 12); }, "has an unknown BMP header (size 12)"},
      {"huge header", [](Bytes& b) { Put32(b, 14, 0xFFFFFFF0u); }, "has an unknown BMP header (size 4294967280)"},
      {"zero width", [](Bytes& b) { Put32(b, 18, 0); }, "has an impossible size (0 x 2)"},
      {"negative width", [](Bytes& b) { Put32(b, 18, 0xFFFFFFFDu); }, "has an impossible size (-3 x 2)"},
      {"zero height", [](Bytes& b) { Put32(b, 22, 0); }, "has an impossible size (3 x 0)"},
      {"giant", [](Bytes& b) { Put32(b, 18, 100000); }, "has an impossible size (100000 x 2)"},
      {"planes", [](Bytes& b) { Put16(b, 26, 2); }, "has a bad BMP header (planes)"},
      {"8 bits", [](Bytes& b) { Put16(b, 28, 8); }, "has 8 bits per pixel, not 4"},
      {"RLE4", [](Bytes& b) { Put32(b, 30, 2); }, "is compressed; only uncompressed pictures are read"},
      {"palette", [](Bytes& b) { Put32(b, 46, 17); }, "has a palette of 17 colours, more than 16"},
      {"bits inside palette", [](Bytes& b) { Put32(b, 10, 60); },
       "has a bad BMP header (palette or pixel offset out of place)"},
      {"bits past the end", [](Bytes& b) { Put32(b, 10, 0xFFFFFFFFu); }, "is cut short: its pixel data is incomplete"},
      {"pixels cut", [](Bytes& b) { b.pop_back(); }, "is cut short: its pixel data is incomplete"},
      {"height beyond data", [](Bytes& b) { Put32(b, 22, 3); }, "is cut short: its pixel data is incomplete"},
  };
  const Bytes good = MakeBmp(kSample);
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.name);
    Bytes data = good;
    f.change(data);
    Bitmap4 bmp = Poisoned();
    std::string error;
    EXPECT_FALSE(ParseBitmap4(data, bmp, error));
    EXPECT_EQ(error, f.message);
    EXPECT_EQ(bmp.width, 0);
    EXPECT_TRUE(bmp.pixels.empty());
  }
}

TEST(Bitmap4Test, RefusesPixelsBeyondAShortPalette) {
  Bitmap4 bmp;
  std::string error;
  EXPECT_TRUE(ParseBitmap4(MakeBmp({{0, 1}, {1, 0}}, false, 2), bmp, error)) << error;
  EXPECT_FALSE(ParseBitmap4(MakeBmp({{0, 1}, {5, 0}}, false, 2), bmp, error));
  EXPECT_EQ(error, "has pixel (0, 1) in colour 5, beyond its palette of 2");
}

// The same picture with the longest info header a BMP file has (BITMAPV5HEADER, 124
// bytes): the palette and the pixels move 84 bytes further in.
Bytes WithLongestInfoHeader(Bytes b) {
  constexpr std::uint32_t kGrowth = 124 - 40;
  b.insert(b.begin() + 54, kGrowth, 0);
  Put32(b, 14, 124);
  Put32(b, 10, static_cast<std::uint32_t>(b[10] | (b[11] << 8)) + kGrowth);
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  return b;
}

// A file cut anywhere is refused for a fault of its header or its pixel data, and the
// reader never reaches past the bytes it was given (the fuzz target and the sanitized
// builds watch that part).
TEST(Bitmap4Test, EveryCutOfAPictureIsRefused) {
  const std::set<std::string> cut_faults = {
      "is not a BMP file", "has a bad BMP header (palette or pixel offset out of place)",
      "is cut short: its pixel data is incomplete"};
  for (const Bytes& whole : {MakeBmp(kSample), WithLongestInfoHeader(MakeBmp({{0, 1, 1}, {1, 0, 1}}, true, 2))}) {
    Bitmap4 bmp;
    std::string error;
    ASSERT_TRUE(ParseBitmap4(whole, bmp, error)) << error;
    for (std::size_t size = 0; size < whole.size(); ++size) {
      SCOPED_TRACE("cut to " + std::to_string(size) + " of " + std::to_string(whole.size()) + " bytes");
      // A copy of its own, so that a read past the cut leaves the buffer.
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
      bmp = Poisoned();
      EXPECT_FALSE(ParseBitmap4(cut, bmp, error));
      EXPECT_TRUE(cut_faults.count(error) == 1) << error;
      EXPECT_TRUE(bmp.pixels.empty());
    }
  }
}

class Bitmap4FileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& data) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return path.string();
  }
  ScratchDirectory scratch_;
  const fs::path dir_ = scratch_.path();
};

TEST_F(Bitmap4FileTest, LoadsAFileOfTheExpectedSize) {
  const std::string path = Write("good.bmp", MakeBmp(kSample));
  Bitmap4 bmp;
  std::string error = "poison";
  ASSERT_TRUE(LoadBitmap4(path, 3, 2, bmp, error)) << error;
  EXPECT_EQ(error, "");
  ExpectSample(bmp);
}

TEST_F(Bitmap4FileTest, RefusesWrongSizesMissingFilesAndBadDataNamingThePath) {
  const std::string good = Write("good.bmp", MakeBmp(kSample));
  Bytes cut = MakeBmp(kSample);
  cut.resize(cut.size() - 3);
  const std::string truncated = Write("cut.bmp", cut);
  const std::string missing = (dir_ / "missing.bmp").string();

  Bitmap4 bmp = Poisoned();
  std::string error;
  EXPECT_FALSE(LoadBitmap4(good, 513, 352, bmp, error));
  EXPECT_EQ(error, good + " is 3 x 2 pixels, not 513 x 352");
  EXPECT_TRUE(bmp.pixels.empty());

  EXPECT_FALSE(LoadBitmap4(truncated, 3, 2, bmp, error));
  EXPECT_EQ(error, truncated + " is cut short: its pixel data is incomplete");

  EXPECT_FALSE(LoadBitmap4(missing, 3, 2, bmp, error));
  EXPECT_EQ(error, missing + " cannot be opened");
}

}  // namespace
