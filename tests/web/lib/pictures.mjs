// Comparing pictures ({ width, height, data: RGBA }) and probing them the
// way the capture tests' PNG probe does.

// The mean absolute difference of the red, green and blue channels, in
// 1/255 units, and the share of pixels whose largest channel difference is
// above 24. Alpha is left out: the capture's PNGs have none.
export function difference(a, b) {
  if (a.width !== b.width || a.height !== b.height)
    throw new Error(`pictures of ${a.width} x ${a.height} and ${b.width} x ${b.height}`);
  let total = 0;
  let over = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    let worst = 0;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a.data[i + c] - b.data[i + c]);
      total += d;
      worst = Math.max(worst, d);
    }
    if (worst > 24)
      ++over;
  }
  const pixels = a.width * a.height;
  return { mean: total / (pixels * 3), share: over / pixels };
}

const kinds = {
  black: (r, g, b) => r < 16 && g < 16 && b < 16,
  notblack: (r, g, b) => !(r < 16 && g < 16 && b < 16),
  white: (r, g, b) => r > 224 && g > 224 && b > 224,
  blue: (r, g, b) => b >= r + 40 && b >= g + 40,
  bright: (r, g, b) => Math.max(r, g, b) > 160,
};

function kindTest(kind) {
  const test = kinds[kind];
  if (!test)
    throw new Error(`unknown kind ${kind}`);
  return test;
}

// The share (0..1) of the pixels in [x0, x1) x [y0, y1) that are of the kind.
export function share(picture, [x0, y0, x1, y1], kind) {
  const test = kindTest(kind);
  let hits = 0;
  for (let y = y0; y < y1; ++y)
    for (let x = x0; x < x1; ++x) {
      const i = (y * picture.width + x) * 4;
      if (test(picture.data[i], picture.data[i + 1], picture.data[i + 2]))
        ++hits;
    }
  return hits / ((x1 - x0) * (y1 - y0));
}

// [x0, y0, x1, y1] of the pixels of the kind, or null when there are none.
export function bbox(picture, kind) {
  const test = kindTest(kind);
  let x0 = Infinity, y0 = Infinity, x1 = -1, y1 = -1;
  for (let y = 0; y < picture.height; ++y)
    for (let x = 0; x < picture.width; ++x) {
      const i = (y * picture.width + x) * 4;
      if (test(picture.data[i], picture.data[i + 1], picture.data[i + 2])) {
        x0 = Math.min(x0, x);
        y0 = Math.min(y0, y);
        x1 = Math.max(x1, x + 1);
        y1 = Math.max(y1, y + 1);
      }
    }
  return x1 < 0 ? null : [x0, y0, x1, y1];
}
