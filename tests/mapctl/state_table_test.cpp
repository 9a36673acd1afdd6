#include "state_table.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "map_pictures.h"

namespace {

struct Row {
  std::string name;
  int strip = 0, left = 0, top = 0, right = 0, bottom = 0;
};

bool IsWellFormedName(std::string_view name) {
  // Words of a capital and small letters, one space between them.
  bool word_start = true;
  for (char c : name) {
    if (c == ' ') {
      if (word_start) return false;
      word_start = true;
    } else if (word_start ? (c < 'A' || c > 'Z') : (c < 'a' || c > 'z')) {
      return false;
    } else {
      word_start = false;
    }
  }
  return !name.empty() && !word_start;
}

TEST(StateTableTest, EntryZeroIsEmptyAndTheFiftyNamesAreUniqueWellFormedAndInAlphabeticalOrder) {
  EXPECT_EQ(kStateDefinitions[0].name, "");
  EXPECT_FALSE(kStateDefinitions[0].rect.Holds(0, 0));
  std::set<std::string_view> seen;
  for (std::size_t id = 1; id <= kStateCount; ++id) {
    const std::string_view name = kStateDefinitions[id].name;
    EXPECT_TRUE(IsWellFormedName(name)) << id << ": \"" << name << "\"";
    EXPECT_TRUE(seen.insert(name).second) << name << " twice";
    if (id > 1) {
      EXPECT_LT(kStateDefinitions[id - 1].name, name) << "state numbers follow the names' order";
    }
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kStateCount));
}

TEST(StateTableTest, RectanglesLieOnTheMapAndColoursAreReferenceColours) {
  for (std::size_t id = 1; id <= kStateCount; ++id) {
    const StateDefinition& d = kStateDefinitions[id];
    SCOPED_TRACE(std::string(d.name));
    EXPECT_GE(d.strip, 0);
    EXPECT_LT(d.strip, kReferenceColourCount);
    EXPECT_GE(d.rect.left, 0);
    EXPECT_GE(d.rect.top, 0);
    EXPECT_LT(d.rect.left, d.rect.right);
    EXPECT_LT(d.rect.top, d.rect.bottom);
    EXPECT_LT(d.rect.right, kMapWidth);
    EXPECT_LT(d.rect.bottom, kMapHeight);
  }
}

// The generator's point inside each state has that state's colour on the mask and lies in
// its rectangle: the table and the pictures describe the same map.
TEST(StateTableTest, EveryStatesPointLiesInsideThatStateOnTheMask) {
  const MapPictures& p = CommittedPictures();
  ASSERT_EQ(p.error, "");
  ASSERT_EQ(std::size(kStatePoints), static_cast<std::size_t>(kStateCount));
  std::set<int> ids;
  for (const StatePoint& point : kStatePoints) {
    ASSERT_GE(point.id, 1);
    ASSERT_LE(point.id, kStateCount);
    const StateEntry& entry = p.table[static_cast<std::size_t>(point.id)];
    SCOPED_TRACE(entry.name);
    ids.insert(point.id);
    EXPECT_TRUE(entry.rect.Holds(static_cast<std::int16_t>(point.x), static_cast<std::int16_t>(point.y)));
    EXPECT_EQ(p.mask.ColourAt(point.x, point.y), entry.colour);
  }
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(kStateCount));
}

// Outside the states the mask is background (white) or border (black); neither is a
// reference colour, and the map's outermost pixels belong to no state.
TEST(StateTableTest, TheMapsEdgesAndTheBordersBetweenStatesAreNoState) {
  const MapPictures& p = CommittedPictures();
  ASSERT_EQ(p.error, "");
  for (std::size_t id = 1; id <= kStateCount; ++id) {
    EXPECT_NE(p.table[id].colour, MakeColour(0, 0, 0)) << p.table[id].name;
    EXPECT_NE(p.table[id].colour, MakeColour(255, 255, 255)) << p.table[id].name;
  }
  auto isState = [&p](int x, int y) {
    const Colour c = p.mask.ColourAt(x, y);
    for (std::size_t id = 1; id <= kStateCount; ++id) {
      if (p.table[id].colour == c &&
          p.table[id].rect.Holds(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y))) {
        return true;
      }
    }
    return false;
  };
  for (int x = 0; x < kMapWidth; ++x) {
    EXPECT_FALSE(isState(x, 0)) << x << ", 0";
    EXPECT_FALSE(isState(x, kMapHeight - 1)) << x << ", " << kMapHeight - 1;
  }
  for (int y = 0; y < kMapHeight; ++y) {
    EXPECT_FALSE(isState(0, y)) << "0, " << y;
    EXPECT_FALSE(isState(kMapWidth - 1, y)) << kMapWidth - 1 << ", " << y;
  }
}

// The picture generator keeps its own copy of the table (tools/mapgen/states.js, lines
// like "  ['Texas', 1, 150, 187, 288, 320],"); pictures drawn from a copy that drifted
// would break the hit test.
TEST(StateTableTest, GeneratorDrawsFromTheSameTable) {
  std::ifstream in(SourcePath("tools/mapgen/states.js"));
  ASSERT_TRUE(in) << "cannot read the generator's table";
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    const auto open = line.find("  ['");
    if (open != 0) continue;
    const auto close = line.find("', ", 4);
    ASSERT_NE(close, std::string::npos) << line;
    Row r;
    r.name = line.substr(4, close - 4);
    std::istringstream numbers(line.substr(close + 3));
    char comma = 0;
    numbers >> r.strip >> comma >> r.left >> comma >> r.top >> comma >> r.right >> comma >> r.bottom;
    ASSERT_TRUE(numbers) << line;
    rows.push_back(r);
  }
  ASSERT_EQ(rows.size(), 50u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const StateDefinition& d = kStateDefinitions[i + 1];
    EXPECT_EQ(rows[i].name, d.name);
    EXPECT_EQ(rows[i].strip, d.strip) << d.name;
    EXPECT_EQ(rows[i].left, d.rect.left) << d.name;
    EXPECT_EQ(rows[i].top, d.rect.top) << d.name;
    EXPECT_EQ(rows[i].right, d.rect.right) << d.name;
    EXPECT_EQ(rows[i].bottom, d.rect.bottom) << d.name;
  }
}

TEST(StateTableTest, ColoursComeFromTheStripInTheDocumentedOrder) {
  const MapPictures& p = CommittedPictures();
  ASSERT_EQ(p.error, "");
  const std::array<Colour, kReferenceColourCount> documented = {
      MakeColour(0, 0, 128),   MakeColour(128, 0, 0),     MakeColour(255, 0, 0),
      MakeColour(255, 255, 0), MakeColour(0, 255, 0),     MakeColour(0, 128, 0),
      MakeColour(128, 128, 128), MakeColour(255, 0, 255), MakeColour(192, 192, 192),
      MakeColour(0, 0, 255),   MakeColour(0, 255, 255),   MakeColour(128, 128, 0),
      MakeColour(0, 128, 128), MakeColour(128, 0, 128)};
  ReferenceColours read{};
  std::string error;
  ASSERT_TRUE(ReadReferenceColours(p.strip, read, error)) << error;
  EXPECT_EQ(read, documented);
  EXPECT_EQ(p.strip.ColourAt(14, 0), MakeColour(255, 255, 255));
  EXPECT_EQ(p.strip.ColourAt(15, 0), MakeColour(255, 255, 255));

  EXPECT_EQ(p.table[43].name, "Texas");
  EXPECT_EQ(p.table[43].colour, MakeColour(128, 0, 0));
  EXPECT_EQ(p.table[5].colour, p.table[6].colour);  // California and Colorado, both green

  // A table built from another strip takes that strip's colours.
  ReferenceColours other{};
  for (std::size_t i = 0; i < other.size(); ++i) other[i] = static_cast<Colour>(0x010101 * i);
  const StateTable shifted = MakeStateTable(other);
  EXPECT_EQ(shifted[43].colour, 0x010101u);
  EXPECT_EQ(shifted[2].colour, 0u);
}

TEST(StateTableTest, RefusesAStripWithTooFewColours) {
  Bitmap4 narrow;
  narrow.width = 13;
  narrow.height = 1;
  narrow.pixels.assign(13, 0);
  ReferenceColours colours{};
  std::string error;
  EXPECT_FALSE(ReadReferenceColours(narrow, colours, error));
  EXPECT_EQ(error, "the reference colour strip is 13 x 1 pixels; it needs 14 colours in its first row");
}

// The rule the hit test rests on: no mask pixel matches two states (colour and
// rectangle), and every state has pixels that match it alone.
TEST(StateTableTest, CommittedMaskMatchesAtMostOneStatePerPixelAndEveryStateSomewhere) {
  const MapPictures& p = CommittedPictures();
  ASSERT_EQ(p.error, "");
  std::array<int, kStateCount + 1> matched{};
  int faults = 0;
  for (std::int16_t y = 0; y < kMapHeight; ++y) {
    for (std::int16_t x = 0; x < kMapWidth; ++x) {
      const Colour c = p.mask.ColourAt(x, y);
      int matches = 0;
      std::string names;
      for (std::size_t id = 1; id <= kStateCount; ++id) {
        if (p.table[id].colour == c && p.table[id].rect.Holds(x, y)) {
          ++matches;
          ++matched[id];
          names += " " + p.table[id].name;
        }
      }
      if (matches > 1 && ++faults <= 10) ADD_FAILURE() << "(" << x << ", " << y << ") matches" << names;
    }
  }
  EXPECT_EQ(faults, 0);
  // States are separated by border pixels: no two neighbouring pixels match different
  // states, so a state's colour never runs on into its neighbour.
  auto stateAt = [&p](int x, int y) -> std::size_t {
    const Colour c = p.mask.ColourAt(x, y);
    for (std::size_t id = 1; id <= kStateCount; ++id) {
      if (p.table[id].colour == c &&
          p.table[id].rect.Holds(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y))) {
        return id;
      }
    }
    return 0;
  };
  int touching = 0;
  for (int y = 0; y + 1 < kMapHeight; ++y) {
    for (int x = 0; x + 1 < kMapWidth; ++x) {
      const std::size_t here = stateAt(x, y);
      if (here == 0) continue;
      for (std::size_t next : {stateAt(x + 1, y), stateAt(x, y + 1)}) {
        if (next != 0 && next != here && ++touching <= 10) {
          ADD_FAILURE() << p.table[here].name << " touches " << p.table[next].name << " at (" << x
                        << ", " << y << ")";
        }
      }
    }
  }
  EXPECT_EQ(touching, 0);
  for (std::size_t id = 1; id <= kStateCount; ++id) {
    // Rhode Island, the smallest, keeps about twenty pixels.
    EXPECT_GE(matched[id], 15) << p.table[id].name;
  }
}

// The drawn map is the mask with every state in silver: what the user sees as a state
// is exactly what the hit test finds, and borders and background agree.
TEST(StateTableTest, MapPictureAgreesWithTheMask) {
  const MapPictures& p = CommittedPictures();
  ASSERT_EQ(p.error, "");
  const Colour black = MakeColour(0, 0, 0), white = MakeColour(255, 255, 255),
               silver = MakeColour(192, 192, 192);
  int disagreements = 0;
  std::array<int, 3> seen{};  // silver, black, white
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      const Colour m = p.mask.ColourAt(x, y);
      const Colour expected = m == black ? black : m == white ? white : silver;
      const Colour drawn = p.map.ColourAt(x, y);
      if (drawn != expected && ++disagreements <= 10) {
        ADD_FAILURE() << "(" << x << ", " << y << "): map " << std::hex << drawn << ", mask " << m;
      }
      ++seen[drawn == silver ? 0 : drawn == black ? 1 : 2];
    }
  }
  EXPECT_EQ(disagreements, 0);
  // States cover roughly half the picture; the rest is background and a little border.
  EXPECT_GT(seen[0], kMapWidth * kMapHeight / 3);
  EXPECT_GT(seen[2], kMapWidth * kMapHeight / 4);
  EXPECT_GT(seen[1], 1000);
}

}  // namespace
