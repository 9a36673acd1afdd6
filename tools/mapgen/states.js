'use strict';
// The map control's state table: name, index into the reference colour strip, and the
// state's rectangle in mask coordinates (left, top, right, bottom, all inclusive).
// The control's own copy lives in mapctl/state_table.cpp; the native tests check the
// committed mask against that copy, so the two cannot drift apart unnoticed.

const STATES = [
  ['Alabama', 6, 339, 198, 378, 261],
  ['Alaska', 0, 11, 243, 149, 350],
  ['Arizona', 1, 69, 85, 135, 245],
  ['Arkansas', 7, 274, 185, 323, 231],
  ['California', 4, 1, 88, 78, 218],
  ['Colorado', 4, 133, 129, 204, 182],
  ['Connecticut', 8, 458, 87, 475, 104],
  ['Delaware', 0, 446, 122, 457, 138],
  ['Florida', 7, 349, 242, 441, 324],
  ['Georgia', 9, 363, 194, 416, 294],
  ['Hawaii', 8, 117, 262, 183, 306],
  ['Idaho', 9, 70, 17, 129, 115],
  ['Illinois', 5, 300, 111, 338, 179],
  ['Indiana', 3, 335, 116, 366, 168],
  ['Iowa', 3, 253, 102, 311, 142],
  ['Kansas', 10, 201, 145, 274, 183],
  ['Kentucky', 2, 325, 147, 393, 185],
  ['Louisiana', 11, 279, 227, 336, 277],
  ['Maine', 2, 469, 16, 511, 75],
  ['Maryland', 8, 410, 121, 458, 157],
  ['Massachusetts', 4, 456, 72, 491, 95],
  ['Michigan', 10, 303, 50, 379, 120],
  ['Minnesota', 2, 246, 26, 310, 106],
  ['Mississippi', 8, 307, 200, 342, 263],
  ['Missouri', 4, 258, 137, 326, 192],
  ['Montana', 2, 95, 21, 193, 86],
  ['Nebraska', 11, 185, 108, 266, 148],
  ['Nevada', 7, 35, 95, 98, 192],
  ['New Hampshire', 10, 461, 47, 479, 82],
  ['New Jersey', 12, 443, 101, 464, 130],
  ['New Mexico', 7, 123, 171, 193, 245],
  ['New York', 13, 400, 56, 476, 111],
  ['North Carolina', 5, 380, 159, 464, 201],
  ['North Dakota', 12, 188, 35, 254, 77],
  ['Ohio', 8, 359, 107, 400, 156],
  ['Oklahoma', 9, 190, 181, 277, 226],
  ['Oregon', 3, 7, 35, 87, 105],
  ['Pennsylvania', 2, 395, 95, 454, 137],
  ['Rhode Island', 3, 472, 85, 482, 98],
  ['South Carolina', 4, 384, 188, 437, 229],
  ['South Dakota', 5, 186, 74, 255, 117],
  ['Tennessee', 0, 317, 172, 400, 205],
  ['Texas', 1, 150, 187, 288, 320],
  ['Utah', 10, 85, 108, 141, 177],
  ['Vermont', 6, 448, 47, 465, 84],
  ['Virginia', 1, 377, 135, 456, 178],
  ['Washington', 2, 26, 8, 90, 57],
  ['West Virginia', 3, 385, 131, 436, 167],
  ['Wisconsin', 12, 283, 60, 336, 115],
  ['Wyoming', 3, 121, 78, 190, 134],
].map(([name, strip, left, top, right, bottom], i) => ({
  id: i + 1, name, strip, left, top, right, bottom,
}));

// The standard 16-colour palette, in palette order.
const PALETTE = [
  [0, 0, 0], [128, 0, 0], [0, 128, 0], [128, 128, 0],
  [0, 0, 128], [128, 0, 128], [0, 128, 128], [128, 128, 128],
  [192, 192, 192], [255, 0, 0], [0, 255, 0], [255, 255, 0],
  [0, 0, 255], [255, 0, 255], [0, 255, 255], [255, 255, 255],
];
const BLACK = 0;
const SILVER = 8;
const WHITE = 15;

// Palette index of each reference colour, in strip order: navy, dark red, red, yellow,
// green, dark green, grey, magenta, silver, blue, cyan, olive, teal, purple.
const STRIP = [4, 1, 9, 11, 10, 2, 7, 13, 8, 12, 14, 3, 6, 5];

module.exports = { STATES, PALETTE, STRIP, BLACK, SILVER, WHITE };
