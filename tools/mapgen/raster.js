'use strict';
// Filling polygons into a pixel grid. A pixel belongs to a shape when its centre
// (x + 0.5, y + 0.5) lies inside it by the even-odd rule, taken over all rings of the
// shape at once so that holes stay empty.
//
// Neighbouring states share their boundary arcs. Each edge is evaluated from its upper
// end point whichever ring it comes from, so a shared edge gives the same crossing in
// both states and a pixel centre is never claimed twice nor left out between them.

function edgesOf(polygons) {
  const edges = [];
  for (const polygon of polygons) {
    for (const ring of polygon) {
      for (let i = 0, j = ring.length - 1; i < ring.length; j = i++) {
        let a = ring[j], b = ring[i];
        if (a[1] === b[1]) continue;
        if (a[1] > b[1] || (a[1] === b[1] && a[0] > b[0])) [a, b] = [b, a];
        edges.push([a[0], a[1], b[0], b[1]]);
      }
    }
  }
  return edges;
}

// Calls visit(x, y) for every pixel of a width x height grid covered by the polygons.
function fillPolygons(polygons, width, height, visit) {
  const edges = edgesOf(polygons);
  for (let y = 0; y < height; y++) {
    const yc = y + 0.5;
    const crossings = [];
    for (const [x0, y0, x1, y1] of edges) {
      if (y0 <= yc && yc < y1) crossings.push(x0 + ((yc - y0) * (x1 - x0)) / (y1 - y0));
    }
    crossings.sort((p, q) => p - q);
    for (let k = 0; k + 1 < crossings.length; k += 2) {
      const from = Math.max(0, Math.ceil(crossings[k] - 0.5));
      const to = Math.min(width, Math.ceil(crossings[k + 1] - 0.5));
      for (let x = from; x < to; x++) visit(x, y);
    }
  }
}

// Chessboard distance from each pixel to the nearest pixel for which inside() is false
// (the grid's outside counts as such); 0 on those pixels.
function distanceInside(width, height, inside) {
  const d = new Int32Array(width * height);
  const big = width + height;
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const i = y * width + x;
      if (!inside(x, y)) continue;
      let v = big;
      if (x === 0 || y === 0) v = 1;
      else v = Math.min(v, d[i - 1] + 1, d[i - width] + 1, d[i - width - 1] + 1,
        x + 1 < width ? d[i - width + 1] + 1 : 1);
      d[i] = v;
    }
  }
  for (let y = height - 1; y >= 0; y--) {
    for (let x = width - 1; x >= 0; x--) {
      const i = y * width + x;
      if (d[i] === 0) continue;
      if (x === width - 1 || y === height - 1) { d[i] = 1; continue; }
      d[i] = Math.min(d[i], d[i + 1] + 1, d[i + width] + 1, d[i + width + 1] + 1,
        x > 0 ? d[i + width - 1] + 1 : 1);
    }
  }
  return d;
}

module.exports = { fillPolygons, distanceInside };
