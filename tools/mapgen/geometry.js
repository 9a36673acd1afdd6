'use strict';
// State outlines from the U.S. Census shapes of us-atlas (pre-projected Albers USA, with
// Alaska and Hawaii already moved into insets), and the transforms that carry them onto
// the control's 513 x 352 mask.
//
// Everything here is plain double arithmetic (+ - * /) in a fixed order, so the same
// inputs give the same pixels on every machine and every Node version.

const topology = require('us-atlas/states-albers-10m.json');
const topojson = require('topojson-client');

// Rings smaller than this share of a state's largest ring (islands, sand bars) do not
// widen the box that is fitted to the state's rectangle; they are still drawn.
const MAIN_RING_SHARE = 0.05;

function ringArea(ring) {
  let twice = 0;
  for (let i = 0, j = ring.length - 1; i < ring.length; j = i++) {
    twice += ring[j][0] * ring[i][1] - ring[i][0] * ring[j][1];
  }
  return Math.abs(twice / 2);
}

// Every state of the atlas: a map from its name to its polygons ([outer, hole...] each)
// in atlas coordinates (x to the right, y downwards).
function loadShapes() {
  const features = topojson.feature(topology, topology.objects.states).features;
  const shapes = new Map();
  for (const f of features) {
    const g = f.geometry;
    const polygons = g.type === 'Polygon' ? [g.coordinates] : g.coordinates;
    shapes.set(f.properties.name, polygons);
  }
  return shapes;
}

// The outer rings of a state's main land: those of at least MAIN_RING_SHARE of the
// largest one.
function mainRings(polygons) {
  const areas = polygons.map((p) => ringArea(p[0]));
  const largest = Math.max(...areas);
  return polygons.filter((p, i) => areas[i] >= largest * MAIN_RING_SHARE).map((p) => p[0]);
}

// A transform maps a point through a list of terms of the point (1 and x or y for the
// scale kind; 1, x, y, x^2, xy, y^2 for the quadratic kind; taken on coordinates centred and scaled to about -1..1 so
// that the fit stays well conditioned): x' = sum of cx[i] * term[i], y' likewise.
const KINDS = {
  scale: { x: (u) => [1, u[0]], y: (u) => [1, u[1]] },
  quadratic: {
    x: (u) => [1, u[0], u[1], u[0] * u[0], u[0] * u[1], u[1] * u[1]],
    y: (u) => [1, u[0], u[1], u[0] * u[0], u[0] * u[1], u[1] * u[1]],
  },
};

// The atlas is 975 x 610; its centre and half-size normalise the terms.
const CENTRE = [487.5, 305];
const HALF = [487.5, 305];

function dot(c, terms) {
  let sum = 0;
  for (let i = 0; i < c.length; i++) sum += c[i] * terms[i];
  return sum;
}

function apply(t, [x, y]) {
  const u = [(x - CENTRE[0]) / HALF[0], (y - CENTRE[1]) / HALF[1]];
  const k = KINDS[t.kind];
  return [dot(t.cx, k.x(u)), dot(t.cy, k.y(u))];
}

function termsAt(kind, axis, [x, y]) {
  const u = [(x - CENTRE[0]) / HALF[0], (y - CENTRE[1]) / HALF[1]];
  return KINDS[kind][axis](u);
}

function applyTransform(t, polygons) {
  return polygons.map((p) => p.map((ring) => ring.map((v) => apply(t, v))));
}

// A transform that scales by s and shifts by (ox, oy) in atlas coordinates.
function scaleTransform(s, ox, oy) {
  return {
    kind: 'scale',
    cx: [ox + s * CENTRE[0], s * HALF[0]],
    cy: [oy + s * CENTRE[1], s * HALF[1]],
  };
}

// Solves the least-squares problem rows * p = values through the normal equations
// (Gaussian elimination with partial pivoting; the systems are 2 x 2 or 3 x 3).
function leastSquares(rows, values) {
  const n = rows[0].length;
  const m = Array.from({ length: n }, () => new Array(n + 1).fill(0));
  rows.forEach((r, k) => {
    for (let i = 0; i < n; i++) {
      for (let j = 0; j < n; j++) m[i][j] += r[i] * r[j];
      m[i][n] += r[i] * values[k];
    }
  });
  for (let c = 0; c < n; c++) {
    let p = c;
    for (let r = c + 1; r < n; r++) if (Math.abs(m[r][c]) > Math.abs(m[p][c])) p = r;
    [m[c], m[p]] = [m[p], m[c]];
    for (let r = 0; r < n; r++) {
      if (r === c) continue;
      const f = m[r][c] / m[c][c];
      for (let k = c; k <= n; k++) m[r][k] -= f * m[c][k];
    }
  }
  return m.map((row, i) => row[n] / row[i]);
}

// A rectangle edge that lies more than this many pixels outside the fitted silhouette is
// loose on purpose (the table's Arizona reaches far north of the state); such edges say
// nothing about where the state belongs and are left out of the second fit.
const LOOSE_EDGE = 8;
const FIT_ROUNDS = 50;

// The box, under transform t, of the given rings, with the vertex that attains each side.
function boxUnder(t, rings) {
  const b = { l: Infinity, t: Infinity, r: -Infinity, b: -Infinity, at: {} };
  for (const ring of rings) {
    for (const v of ring) {
      const [x, y] = apply(t, v);
      if (x < b.l) { b.l = x; b.at.l = v; }
      if (x > b.r) { b.r = x; b.at.r = v; }
      if (y < b.t) { b.t = y; b.at.t = v; }
      if (y > b.b) { b.b = y; b.at.b = v; }
    }
  }
  return b;
}

// One transform that carries the main land of `states` onto their rectangles as closely
// as least squares allows: each side of a state's box should fall on the side of its
// rectangle (inclusive, so the box reaches to right + 1 and bottom + 1). The vertex that
// forms each side depends on the transform, so the fit is repeated until those vertices
// settle. Edges of the shapes stay straight lines between transformed vertices, so the
// box of a drawn state is always the box of its transformed vertices.
function fitTransform(states, shapes, kind) {
  const rings = states.map((s) => mainRings(shapes.get(s.name)));
  const fit = (start, skip) => {
    let t = start;
    for (let round = 0; round < FIT_ROUNDS; round++) {
      const xr = [], xv = [], yr = [], yv = [];
      states.forEach((s, k) => {
        const b = boxUnder(t, rings[k]);
        if (!skip.has(`${k}l`)) { xr.push(termsAt(kind, 'x', b.at.l)); xv.push(s.left); }
        if (!skip.has(`${k}r`)) { xr.push(termsAt(kind, 'x', b.at.r)); xv.push(s.right + 1); }
        if (!skip.has(`${k}t`)) { yr.push(termsAt(kind, 'y', b.at.t)); yv.push(s.top); }
        if (!skip.has(`${k}b`)) { yr.push(termsAt(kind, 'y', b.at.b)); yv.push(s.bottom + 1); }
      });
      const next = { kind, cx: leastSquares(xr, xv), cy: leastSquares(yr, yv) };
      const same = next.cx.every((c, i) => c === t.cx[i]) && next.cy.every((c, i) => c === t.cy[i]);
      t = next;
      if (same) break;
    }
    return t;
  };
  const start = { kind, cx: KINDS[kind].x(CENTRE).map(() => 0), cy: KINDS[kind].y(CENTRE).map(() => 0) };
  start.cx[0] = CENTRE[0]; start.cx[1] = HALF[0];
  start.cy[0] = CENTRE[1]; start.cy[kind === 'scale' ? 1 : 2] = HALF[1];
  const first = fit(start, new Set());
  const loose = new Set();
  states.forEach((s, k) => {
    const b = boxUnder(first, rings[k]);
    if (b.l - s.left > LOOSE_EDGE) loose.add(`${k}l`);
    if (s.right + 1 - b.r > LOOSE_EDGE) loose.add(`${k}r`);
    if (b.t - s.top > LOOSE_EDGE) loose.add(`${k}t`);
    if (s.bottom + 1 - b.b > LOOSE_EDGE) loose.add(`${k}b`);
  });
  const t = loose.size === 0 ? first : fit(first, loose);
  t.looseEdges = [...loose].map((key) => `${states[parseInt(key, 10)].name} ${
    { l: 'left', r: 'right', t: 'top', b: 'bottom' }[key.slice(-1)]}`);
  return t;
}

module.exports = { loadShapes, fitTransform, applyTransform, scaleTransform };
