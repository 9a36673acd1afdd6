#include "state_table.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "map_pictures.h"

namespace {

// The state table as the control's documentation gives it: number, name, strip position
// of the colour, left, top, right, bottom.
constexpr const char* kDocumentedTable = R"(
| 1 | Alabama | 6 | 339 | 198 | 378 | 261 |
| 2 | Alaska | 0 | 11 | 243 | 149 | 350 |
| 3 | Arizona | 1 | 69 | 85 | 135 | 245 |
| 4 | Arkansas | 7 | 274 | 185 | 323 | 231 |
| 5 | California | 4 | 1 | 88 | 78 | 218 |
| 6 | Colorado | 4 | 133 | 129 | 204 | 182 |
| 7 | Connecticut | 8 | 458 | 87 | 475 | 104 |
| 8 | Delaware | 0 | 446 | 122 | 457 | 138 |
| 9 | Florida | 7 | 349 | 242 | 441 | 324 |
| 10 | Georgia | 9 | 363 | 194 | 416 | 294 |
| 11 | Hawaii | 8 | 117 | 262 | 183 | 306 |
| 12 | Idaho | 9 | 70 | 17 | 129 | 115 |
| 13 | Illinois | 5 | 300 | 111 | 338 | 179 |
| 14 | Indiana | 3 | 335 | 116 | 366 | 168 |
| 15 | Iowa | 3 | 253 | 102 | 311 | 142 |
| 16 | Kansas | 10 | 201 | 145 | 274 | 183 |
| 17 | Kentucky | 2 | 325 | 147 | 393 | 185 |
| 18 | Louisiana | 11 | 279 | 227 | 336 | 277 |
| 19 | Maine | 2 | 469 | 16 | 511 | 75 |
| 20 | Maryland | 8 | 410 | 121 | 458 | 157 |
| 21 | Massachusetts | 4 | 456 | 72 | 491 | 95 |
| 22 | Michigan | 10 | 303 | 50 | 379 | 120 |
| 23 | Minnesota | 2 | 246 | 26 | 310 | 106 |
| 24 | Mississippi | 8 | 307 | 200 | 342 | 263 |
| 25 | Missouri | 4 | 258 | 137 | 326 | 192 |
| 26 | Montana | 2 | 95 | 21 | 193 | 86 |
| 27 | Nebraska | 11 | 185 | 108 | 266 | 148 |
| 28 | Nevada | 7 | 35 | 95 | 98 | 192 |
| 29 | New Hampshire | 10 | 461 | 47 | 479 | 82 |
| 30 | New Jersey | 12 | 443 | 101 | 464 | 130 |
| 31 | New Mexico | 7 | 123 | 171 | 193 | 245 |
| 32 | New York | 13 | 400 | 56 | 476 | 111 |
| 33 | North Carolina | 5 | 380 | 159 | 464 | 201 |
| 34 | North Dakota | 12 | 188 | 35 | 254 | 77 |
| 35 | Ohio | 8 | 359 | 107 | 400 | 156 |
| 36 | Oklahoma | 9 | 190 | 181 | 277 | 226 |
| 37 | Oregon | 3 | 7 | 35 | 87 | 105 |
| 38 | Pennsylvania | 2 | 395 | 95 | 454 | 137 |
| 39 | Rhode Island | 3 | 472 | 85 | 482 | 98 |
| 40 | South Carolina | 4 | 384 | 188 | 437 | 229 |
| 41 | South Dakota | 5 | 186 | 74 | 255 | 117 |
| 42 | Tennessee | 0 | 317 | 172 | 400 | 205 |
| 43 | Texas | 1 | 150 | 187 | 288 | 320 |
| 44 | Utah | 10 | 85 | 108 | 141 | 177 |
| 45 | Vermont | 6 | 448 | 47 | 465 | 84 |
| 46 | Virginia | 1 | 377 | 135 | 456 | 178 |
| 47 | Washington | 2 | 26 | 8 | 90 | 57 |
| 48 | West Virginia | 3 | 385 | 131 | 436 | 167 |
| 49 | Wisconsin | 12 | 283 | 60 | 336 | 115 |
| 50 | Wyoming | 3 | 121 | 78 | 190 | 134 |
)";

struct Row {
  int number = 0;
  std::string name;
  int strip = 0, left = 0, top = 0, right = 0, bottom = 0;
};

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<Row> DocumentedRows() {
  std::vector<Row> rows;
  std::istringstream in(kDocumentedTable);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::vector<std::string> cells;
    std::istringstream cellsIn(line.substr(1));
    std::string cell;
    while (std::getline(cellsIn, cell, '|')) cells.push_back(Trim(cell));
    rows.push_back({std::stoi(cells[0]), cells[1], std::stoi(cells[2]), std::stoi(cells[3]),
                    std::stoi(cells[4]), std::stoi(cells[5]), std::stoi(cells[6])});
  }
  return rows;
}

TEST(StateTableTest, DefinitionsMatchTheDocumentedTable) {
  const std::vector<Row> rows = DocumentedRows();
  ASSERT_EQ(rows.size(), 50u);
  EXPECT_EQ(kStateDefinitions[0].name, "");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const StateDefinition& d = kStateDefinitions[static_cast<std::size_t>(r.number)];
    EXPECT_EQ(d.name, r.name);
    EXPECT_EQ(d.strip, r.strip);
    EXPECT_EQ(d.rect.left, r.left);
    EXPECT_EQ(d.rect.top, r.top);
    EXPECT_EQ(d.rect.right, r.right);
    EXPECT_EQ(d.rect.bottom, r.bottom);
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
