#!/usr/bin/env node
'use strict';
// Draws the USA map control's pictures from the U.S. Census state shapes.
//
//   node mapgen.js              write the pictures into the source tree, print the report
//   node mapgen.js --out DIR    write them under DIR instead (same relative paths)
//   node mapgen.js --report     print the per-state report only
//   node mapgen.js --check      regenerate in memory and compare with the committed files
//
// The 48 contiguous states share one transform, fitted by least squares to their
// rectangles in the state table; Alaska and Hawaii get one each. The contiguous one is a
// polynomial of the second degree: an affine one leaves the northern plains a few rows
// too high against the table (the table's map was not drawn in Albers), and the rows
// that fall outside a state's rectangle are lost to the hit test. The District of
// Columbia has no entry of its own and is painted as part of Maryland.
//
// The mask must satisfy the hit test's rule: a pixel of a state's colour that lies in
// that state's rectangle belongs to that state, and no pixel matches two states. So a
// state's pixels outside its rectangle, or inside the rectangle of another state of the
// same colour, are drawn as border (black) instead; the report says how many that took.

const fs = require('fs');
const path = require('path');
const { STATES, PALETTE, STRIP, BLACK, SILVER, WHITE } = require('./states');
const { loadShapes, fitTransform, applyTransform, scaleTransform } = require('./geometry');
const { fillPolygons, distanceInside } = require('./raster');
const encode = require('./encode');

const WIDTH = 513;
const HEIGHT = 352;
const ROOT = path.resolve(__dirname, '..', '..');

const OUTPUTS = {
  map: 'mapctl/res/usamap.bmp', // resource 221
  mask: 'mapctl/res/usamask.bmp', // resource 207
  strip: 'mapctl/res/colours.bmp', // resource 236
  toolbox: 'mapctl/res/toolbox.bmp', // resource 1
  icon: 'mapctl/res/vexausa.ico', // resource 10
  points: 'tests/mapctl/state_points.inc',
  png: 'docs/usa-map-and-mask.png',
};

const INSETS = ['Alaska', 'Hawaii'];

function inRect(s, x, y) {
  return s.left <= x && x <= s.right && s.top <= y && y <= s.bottom;
}

function statePolygons(shapes, s) {
  const own = shapes.get(s.name);
  if (!own) throw new Error(`the atlas has no state named ${s.name}`);
  return s.name === 'Maryland' ? own.concat(shapes.get('District of Columbia')) : own;
}

function transforms(shapes) {
  const contiguous = STATES.filter((s) => !INSETS.includes(s.name));
  const t = { contiguous: fitTransform(contiguous, shapes, 'quadratic') };
  for (const name of INSETS) t[name] = fitTransform(STATES.filter((s) => s.name === name), shapes, 'scale');
  return t;
}

// owner[i]: the state id whose silhouette covers pixel i, 0 for none.
function rasteriseOwners(shapes, t) {
  const owner = new Int8Array(WIDTH * HEIGHT);
  const overlaps = new Map();
  for (const s of STATES) {
    const tr = t[s.name] || t.contiguous;
    fillPolygons(applyTransform(tr, statePolygons(shapes, s)), WIDTH, HEIGHT, (x, y) => {
      const i = y * WIDTH + x;
      if (owner[i] !== 0 && owner[i] !== s.id) {
        const key = `${STATES[owner[i] - 1].name}/${s.name}`;
        overlaps.set(key, (overlaps.get(key) || 0) + 1);
        return;
      }
      owner[i] = s.id;
    });
  }
  return { owner, overlaps };
}

// A state pixel is border when the pixel to its right or below belongs to anything else,
// or the pixel to its left or above is background: one pixel between two states, and an
// outline inside the coast.
function isBorder(owner, x, y) {
  const o = owner[y * WIDTH + x];
  const at = (px, py) => (px < 0 || py < 0 || px >= WIDTH || py >= HEIGHT ? 0 : owner[py * WIDTH + px]);
  return at(x + 1, y) !== o || at(x, y + 1) !== o || at(x - 1, y) === 0 || at(x, y - 1) === 0;
}

// Whether state s may paint its colour at (x, y).
function mayPaint(s, x, y) {
  if (!inRect(s, x, y)) return false;
  return !STATES.some((t) => t.id !== s.id && t.strip === s.strip && inRect(t, x, y));
}

function buildLabels(owner) {
  const label = new Int8Array(WIDTH * HEIGHT); // state id, 0 background, -1 border
  const stats = STATES.map(() => ({ silhouette: 0, border: 0, clipped: 0, painted: 0,
    box: { x0: Infinity, y0: Infinity, x1: -Infinity, y1: -Infinity } }));
  for (let y = 0; y < HEIGHT; y++) {
    for (let x = 0; x < WIDTH; x++) {
      const i = y * WIDTH + x;
      const id = owner[i];
      if (id === 0) continue;
      const st = stats[id - 1];
      st.silhouette++;
      st.box.x0 = Math.min(st.box.x0, x); st.box.x1 = Math.max(st.box.x1, x);
      st.box.y0 = Math.min(st.box.y0, y); st.box.y1 = Math.max(st.box.y1, y);
      if (isBorder(owner, x, y)) {
        st.border++;
        label[i] = -1;
      } else if (!mayPaint(STATES[id - 1], x, y)) {
        st.clipped++;
        label[i] = -1;
      } else {
        st.painted++;
        label[i] = id;
      }
    }
  }
  return { label, stats };
}

function picture(width, height, fn) {
  const pixels = new Uint8Array(width * height);
  for (let y = 0; y < height; y++) for (let x = 0; x < width; x++) pixels[y * width + x] = fn(x, y);
  return { width, height, pixels };
}

// The hit test's rule, checked on the finished mask: for every pixel, the states whose
// colour and rectangle match it; a pixel of a state's colour in its rectangle must be
// that state's, and at most one state may match.
function checkMask(mask, label) {
  const faults = [];
  for (let y = 0; y < HEIGHT; y++) {
    for (let x = 0; x < WIDTH; x++) {
      const c = mask.pixels[y * WIDTH + x];
      const matches = STATES.filter((s) => STRIP[s.strip] === c && inRect(s, x, y));
      if (matches.length > 1) faults.push(`(${x}, ${y}) matches ${matches.map((s) => s.name).join(' and ')}`);
      if (matches.length === 1 && label[y * WIDTH + x] !== matches[0].id) {
        faults.push(`(${x}, ${y}) has the colour of ${matches[0].name} but is not part of it`);
      }
    }
  }
  return faults;
}

// For each state, its painted pixel farthest from anything else (first in reading order
// among equals): a point the tests can be sure lies inside the state.
function interiorPoints(label) {
  return STATES.map((s) => {
    const d = distanceInside(WIDTH, HEIGHT, (x, y) => label[y * WIDTH + x] === s.id);
    let best = -1, bx = -1, by = -1;
    for (let y = 0; y < HEIGHT; y++) {
      for (let x = 0; x < WIDTH; x++) {
        if (d[y * WIDTH + x] > best) { best = d[y * WIDTH + x]; bx = x; by = y; }
      }
    }
    return { x: bx, y: by, depth: best };
  });
}

// The contiguous states scaled whole into a small picture (toolbox picture, icon).
function thumbnail(shapes, size, box, paint, background) {
  const lower = STATES.filter((s) => !INSETS.includes(s.name));
  let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
  for (const s of lower) {
    for (const p of statePolygons(shapes, s)) {
      for (const [x, y] of p[0]) {
        x0 = Math.min(x0, x); x1 = Math.max(x1, x); y0 = Math.min(y0, y); y1 = Math.max(y1, y);
      }
    }
  }
  const scale = Math.min((box.x1 - box.x0) / (x1 - x0), (box.y1 - box.y0) / (y1 - y0));
  const t = scaleTransform(scale,
    box.x0 + ((box.x1 - box.x0) - (x1 - x0) * scale) / 2 - x0 * scale,
    box.y0 + ((box.y1 - box.y0) - (y1 - y0) * scale) / 2 - y0 * scale);
  const owner = new Int8Array(size.width * size.height);
  for (const s of lower) {
    fillPolygons(applyTransform(t, statePolygons(shapes, s)), size.width, size.height, (x, y) => {
      owner[y * size.width + x] = s.id;
    });
  }
  return picture(size.width, size.height, (x, y) => {
    const id = owner[y * size.width + x];
    return id === 0 ? background : paint(STATES[id - 1], x, y, owner);
  });
}

function outlineOf(owner, width, height, x, y) {
  const at = (px, py) => (px < 0 || py < 0 || px >= width || py >= height ? 0 : owner[py * width + px]);
  return at(x + 1, y) === 0 || at(x - 1, y) === 0 || at(x, y + 1) === 0 || at(x, y - 1) === 0;
}

function generate() {
  const shapes = loadShapes();
  const t = transforms(shapes);
  const { owner, overlaps } = rasteriseOwners(shapes, t);
  const { label, stats } = buildLabels(owner);

  const mask = picture(WIDTH, HEIGHT, (x, y) => {
    const v = label[y * WIDTH + x];
    return v > 0 ? STRIP[STATES[v - 1].strip] : v < 0 ? BLACK : WHITE;
  });
  const map = picture(WIDTH, HEIGHT, (x, y) => {
    const v = label[y * WIDTH + x];
    return v > 0 ? SILVER : v < 0 ? BLACK : WHITE;
  });
  const strip = picture(16, 1, (x) => (x < STRIP.length ? STRIP[x] : WHITE));

  const NAVY = STRIP[0];
  const toolbox = thumbnail(shapes, { width: 16, height: 15 }, { x0: 1, y0: 2, x1: 15, y1: 13 },
    () => NAVY, SILVER);
  const icon32 = thumbnail(shapes, { width: 32, height: 32 }, { x0: 1, y0: 1, x1: 31, y1: 31 },
    (s, x, y, o) => (outlineOf(o, 32, 32, x, y) ? BLACK : STRIP[s.strip]), WHITE);
  const icon16 = thumbnail(shapes, { width: 16, height: 16 }, { x0: 0, y0: 0, x1: 16, y1: 16 },
    () => NAVY, WHITE);

  const gap = 8;
  const side = picture(WIDTH * 2 + gap, HEIGHT, (x, y) => {
    if (x < WIDTH) return map.pixels[y * WIDTH + x];
    if (x < WIDTH + gap) return SILVER;
    return mask.pixels[y * WIDTH + x - WIDTH - gap];
  });

  const points = interiorPoints(label);
  const faults = checkMask(mask, label);
  STATES.forEach((s, i) => {
    if (stats[i].painted === 0) faults.push(`${s.name} has no pixel of its colour`);
  });
  for (const [pair, n] of overlaps) faults.push(`${pair} overlap in ${n} pixels`);

  const pointLines = points.map((p, i) => `    {${i + 1}, ${p.x}, ${p.y}},  // ${STATES[i].name}`);
  const files = {
    [OUTPUTS.map]: encode.bmp(map, PALETTE),
    [OUTPUTS.mask]: encode.bmp(mask, PALETTE),
    [OUTPUTS.strip]: encode.bmp(strip, PALETTE),
    [OUTPUTS.toolbox]: encode.bmp(toolbox, PALETTE),
    [OUTPUTS.icon]: encode.ico([icon32, icon16], PALETTE, WHITE),
    [OUTPUTS.points]: Buffer.from([
      '// Generated by tools/mapgen (make maps); do not edit.',
      '// For each state: a point of the mask deepest inside the pixels painted in its colour.',
      ...pointLines, ''].join('\n'), 'latin1'),
    [OUTPUTS.png]: encode.png(side, PALETTE),
  };
  return { files, stats, points, faults, t };
}

function fmt(v, width) {
  return String(v).padStart(width);
}

function report({ stats, points, t }) {
  const lines = [];
  const tr = (name, x) => `${name} (${x.kind}): x' terms ${x.cx.map((c) => c.toFixed(3)).join(' ')}; ` +
    `y' terms ${x.cy.map((c) => c.toFixed(3)).join(' ')}` +
    (x.looseEdges.length ? `\n  rectangle sides left out of the fit as loose: ${x.looseEdges.join(', ')}` : '');
  lines.push(tr('contiguous', t.contiguous), tr('Alaska', t.Alaska), tr('Hawaii', t.Hawaii), '');
  lines.push('silhouette: pixels inside the state; border: drawn black as its outline; clipped: drawn',
    'black because they lie outside its rectangle (or in that of a state of its colour);',
    'box - rectangle: each side of the silhouette\'s box minus that side of the rectangle',
    '(left or top below 0, right or bottom above 0 reach outside); point: deepest painted pixel', '');
  lines.push('state             silhouette border clipped  clip%  painted  box - rectangle (l t r b)  point');
  const rows = STATES.map((s, i) => {
    const st = stats[i];
    const d = [st.box.x0 - s.left, st.box.y0 - s.top, st.box.x1 - s.right, st.box.y1 - s.bottom];
    const share = (100 * st.clipped) / st.silhouette;
    return { s, st, d, share, text: `${s.name.padEnd(17)} ${fmt(st.silhouette, 10)} ${fmt(st.border, 6)} ` +
      `${fmt(st.clipped, 7)} ${fmt(share.toFixed(1), 6)} ${fmt(st.painted, 8)}   ` +
      `${d.map((v) => fmt(v >= 0 ? `+${v}` : v, 4)).join(' ')}              ` +
      `(${points[i].x}, ${points[i].y})` };
  });
  for (const r of rows) lines.push(r.text);
  const clipped = rows.reduce((n, r) => n + r.st.clipped, 0);
  const painted = rows.reduce((n, r) => n + r.st.painted, 0);
  const worst = [...rows].sort((a, b) => b.st.clipped - a.st.clipped || a.s.id - b.s.id).slice(0, 8);
  const off = rows.reduce((n, r) => n + r.d.reduce((m, v) => m + Math.abs(v), 0), 0);
  lines.push('', `clipped ${clipped} of ${clipped + painted} state pixels; ` +
    `mean box edge off its rectangle by ${(off / (4 * rows.length)).toFixed(2)} px`);
  lines.push(`most clipped: ${worst.map((r) => `${r.s.name} ${r.st.clipped}`).join(', ')}`);
  return lines.join('\n');
}

function writeAll(files, root) {
  for (const [rel, data] of Object.entries(files)) {
    const target = path.join(root, rel);
    fs.mkdirSync(path.dirname(target), { recursive: true });
    fs.writeFileSync(target, data);
  }
}

function sameContent(rel, fresh, committed) {
  if (rel.endsWith('.png')) {
    const a = encode.pngContent(fresh), b = encode.pngContent(committed);
    return a !== null && b !== null && a.equals(b);
  }
  return fresh.equals(committed);
}

function check(files) {
  let bad = 0;
  for (const [rel, data] of Object.entries(files)) {
    const target = path.join(ROOT, rel);
    let ok = false;
    try {
      ok = sameContent(rel, data, fs.readFileSync(target));
    } catch (e) {
      ok = false;
    }
    console.log(`${ok ? 'same     ' : 'DIFFERENT'} ${rel}`);
    if (!ok) bad++;
  }
  return bad;
}

function main(argv) {
  const result = generate();
  if (result.faults.length > 0) {
    console.error(`mapgen: the mask breaks the hit test's rule:\n  ${result.faults.slice(0, 20).join('\n  ')}`);
    return 1;
  }
  if (argv[0] === '--check') {
    const bad = check(result.files);
    console.log(bad === 0 ? 'mapgen: the committed pictures are reproduced byte for byte'
      : `mapgen: ${bad} file(s) differ from what the generator makes; run make maps`);
    return bad === 0 ? 0 : 1;
  }
  console.log(report(result));
  if (argv[0] === '--report') return 0;
  let root = ROOT;
  if (argv[0] === '--out') {
    if (!argv[1]) {
      console.error('mapgen: --out needs a directory');
      return 2;
    }
    root = path.resolve(argv[1]);
  } else if (argv.length > 0) {
    console.error(`mapgen: unknown argument ${argv[0]}`);
    return 2;
  }
  writeAll(result.files, root);
  console.log(`mapgen: wrote ${Object.keys(result.files).length} files under ${root}`);
  return 0;
}

process.exitCode = main(process.argv.slice(2));
