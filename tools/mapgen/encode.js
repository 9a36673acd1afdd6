'use strict';
// Writers for the picture files: 4-bit BMP, 4-bit ICO and a palette PNG for the docs.
// Pictures are { width, height, pixels } with one palette index per pixel, rows from
// the top. Fields are written one at a time, little-endian (PNG: big-endian).

const zlib = require('zlib');

function paletteBytes(palette) {
  const out = Buffer.alloc(palette.length * 4);
  palette.forEach(([r, g, b], i) => {
    out[i * 4] = b;
    out[i * 4 + 1] = g;
    out[i * 4 + 2] = r;
  });
  return out;
}

// Rows bottom-up, two pixels a byte (high nibble first), each row padded to 4 bytes.
function packedRows(pic, rowFn) {
  const stride = Math.ceil(Math.ceil(pic.width / 2) / 4) * 4;
  const out = Buffer.alloc(stride * pic.height);
  for (let y = 0; y < pic.height; y++) {
    const row = out.subarray((pic.height - 1 - y) * stride);
    for (let x = 0; x < pic.width; x++) {
      const v = rowFn(x, y) & 15;
      row[x >> 1] |= x & 1 ? v : v << 4;
    }
  }
  return out;
}

function infoHeader(width, height, imageSize, colours) {
  const h = Buffer.alloc(40);
  h.writeUInt32LE(40, 0);
  h.writeInt32LE(width, 4);
  h.writeInt32LE(height, 8);
  h.writeUInt16LE(1, 12);
  h.writeUInt16LE(4, 14);
  h.writeUInt32LE(0, 16); // BI_RGB
  h.writeUInt32LE(imageSize, 20);
  h.writeInt32LE(0, 24);
  h.writeInt32LE(0, 28);
  h.writeUInt32LE(colours, 32);
  h.writeUInt32LE(0, 36);
  return h;
}

function bmp(pic, palette) {
  const bits = packedRows(pic, (x, y) => pic.pixels[y * pic.width + x]);
  const pal = paletteBytes(palette);
  const offset = 14 + 40 + pal.length;
  const file = Buffer.alloc(14);
  file.write('BM', 0, 'latin1');
  file.writeUInt32LE(offset + bits.length, 2);
  file.writeUInt32LE(offset, 10);
  return Buffer.concat([file, infoHeader(pic.width, pic.height, bits.length, 16), pal, bits]);
}

// An icon with one 4-bit image per entry of `images`; `transparent` marks the palette
// index that the AND mask makes see-through.
function ico(images, palette, transparent) {
  const pal = paletteBytes(palette);
  const bodies = images.map((pic) => {
    const xor = packedRows(pic, (x, y) => {
      const v = pic.pixels[y * pic.width + x];
      return v === transparent ? 0 : v;
    });
    const andStride = Math.ceil(pic.width / 32) * 4;
    const and = Buffer.alloc(andStride * pic.height);
    for (let y = 0; y < pic.height; y++) {
      for (let x = 0; x < pic.width; x++) {
        if (pic.pixels[y * pic.width + x] !== transparent) continue;
        and[(pic.height - 1 - y) * andStride + (x >> 3)] |= 0x80 >> (x & 7);
      }
    }
    const header = infoHeader(pic.width, pic.height * 2, xor.length + and.length, 16);
    return Buffer.concat([header, pal, xor, and]);
  });
  const dir = Buffer.alloc(6 + 16 * images.length);
  dir.writeUInt16LE(0, 0);
  dir.writeUInt16LE(1, 2);
  dir.writeUInt16LE(images.length, 4);
  let offset = dir.length;
  images.forEach((pic, i) => {
    const e = 6 + 16 * i;
    dir[e] = pic.width;
    dir[e + 1] = pic.height;
    dir[e + 2] = 16;
    dir.writeUInt16LE(1, e + 4);
    dir.writeUInt16LE(4, e + 6);
    dir.writeUInt32LE(bodies[i].length, e + 8);
    dir.writeUInt32LE(offset, e + 12);
    offset += bodies[i].length;
  });
  return Buffer.concat([dir, ...bodies]);
}

const CRC_TABLE = (() => {
  const t = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    t[n] = c >>> 0;
  }
  return t;
})();

function crc32(buf) {
  let c = 0xffffffff;
  for (const b of buf) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function pngChunk(type, data) {
  const len = Buffer.alloc(4);
  len.writeUInt32BE(data.length);
  const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([len, body, crc]);
}

// The raw scan lines (filter byte 0, then 4-bit pixels) of a palette PNG; the checker
// compares these rather than the compressed bytes, which depend on Node's zlib.
function pngScanLines(pic) {
  const stride = Math.ceil(pic.width / 2);
  const raw = Buffer.alloc((stride + 1) * pic.height);
  for (let y = 0; y < pic.height; y++) {
    const row = raw.subarray(y * (stride + 1) + 1);
    for (let x = 0; x < pic.width; x++) {
      const v = pic.pixels[y * pic.width + x];
      row[x >> 1] |= x & 1 ? v : v << 4;
    }
  }
  return raw;
}

function png(pic, palette) {
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(pic.width, 0);
  ihdr.writeUInt32BE(pic.height, 4);
  ihdr[8] = 4; // bit depth
  ihdr[9] = 3; // palette colour
  const plte = Buffer.from(palette.flat());
  const idat = zlib.deflateSync(pngScanLines(pic), { level: 9 });
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    pngChunk('IHDR', ihdr), pngChunk('PLTE', plte), pngChunk('IDAT', idat),
    pngChunk('IEND', Buffer.alloc(0)),
  ]);
}

// The IHDR, PLTE and decompressed IDAT of a PNG written by png(), for comparison.
function pngContent(buf) {
  const parts = { idat: [] };
  let at = 8;
  while (at + 8 <= buf.length) {
    const len = buf.readUInt32BE(at);
    const type = buf.toString('latin1', at + 4, at + 8);
    const data = buf.subarray(at + 8, at + 8 + len);
    if (type === 'IDAT') parts.idat.push(data);
    else parts[type] = data;
    at += 12 + len;
  }
  if (!parts.IHDR || !parts.PLTE || parts.idat.length === 0) return null;
  return Buffer.concat([parts.IHDR, parts.PLTE, zlib.inflateSync(Buffer.concat(parts.idat))]);
}

module.exports = { bmp, ico, png, pngContent };
