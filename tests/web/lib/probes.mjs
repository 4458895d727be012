// The capture stills tests' pixel probes (tests/e2e/capture_stills.sh), in
// the 160 x 120 units they were written in, applied to a picture of any 4:3
// size. Each probe gives [name, ok, detail].
import { bbox, share } from './pictures.mjs';

function scaled(picture, [x0, y0, x1, y1]) {
  const sx = picture.width / 160, sy = picture.height / 120;
  return [Math.round(x0 * sx), Math.round(y0 * sy), Math.round(x1 * sx), Math.round(y1 * sy)];
}

const atLeast = (name, value, low) => [name, value >= low, `${value.toFixed(4)} (at least ${low})`];
const shareAtLeast = (picture, name, rect, kind, low) => atLeast(name, share(picture, scaled(picture, rect), kind), low);

// The start picture, centred, on black.
function startPicture(p) {
  const s = p.width / 160;
  const box = bbox(p, 'notblack');
  if (!box)
    return [['the start picture shows', false, 'every pixel is black']];
  const [x0, y0, x1, y1] = box.map((v) => v / s);
  return [
    ['the start picture inside the middle 60 % of the height', x0 >= 42 && x1 <= 118 && y0 >= 22 && y1 <= 98,
     `lit box ${box.join(' ')}`],
    ['the start picture centred', Math.abs(x0 + x1 - 160) <= 2, `left ${x0.toFixed(1)}, right ${x1.toFixed(1)}`],
    shareAtLeast(p, 'black above the picture', [0, 0, 160, 20], 'black', 1),
    shareAtLeast(p, 'black left of the picture', [0, 0, 40, 120], 'black', 1),
    shareAtLeast(p, 'the picture\'s middle is not dark', [60, 40, 100, 80], 'bright', 0.05),
  ];
}

// Scene 6, first frame: white hexagons around the blue blocks.
function hexagons(p) {
  const corners = [[0, 0, 24, 24], [136, 0, 160, 24], [0, 96, 24, 120], [136, 96, 160, 120]];
  return [
    ...corners.map((c) => shareAtLeast(p, `white hexagons in the corner ${c.join(' ')}`, c, 'white', 0.98)),
    shareAtLeast(p, 'blue blocks in the middle', [24, 30, 136, 90], 'blue', 0.3),
  ];
}

// Scene 11: black bars above and below a white band.
function bars(p) {
  return [
    shareAtLeast(p, 'the upper bar', [0, 0, 100, 25], 'black', 0.99),
    shareAtLeast(p, 'the lower bar', [0, 95, 160, 120], 'black', 1),
    shareAtLeast(p, 'the white band between the bars', [0, 33, 160, 87], 'white', 0.5),
  ];
}

// The last frame of scene 20: the bars have closed. At 10 frames a second
// that frame is drawn 1/20 s before the one the stills test takes at 20,
// when a line of 1/75 of the height is still open in the middle.
function closed(p) {
  return [
    shareAtLeast(p, 'black above the middle at the end of scene 20', [0, 0, 160, 58], 'black', 1),
    shareAtLeast(p, 'black below the middle at the end of scene 20', [0, 62, 160, 120], 'black', 1),
    shareAtLeast(p, 'a black view at the end of scene 20', [0, 0, 160, 120], 'black', 0.98),
  ];
}

// Scene 22: white text in the middle of black.
function fin(p) {
  return [
    shareAtLeast(p, 'white text in the middle', [40, 45, 120, 75], 'white', 0.03),
    shareAtLeast(p, 'black above the text', [0, 0, 160, 30], 'black', 1),
  ];
}

// Scene 0 after its first frame: white, the window frame's black edge at
// the top right (lines keep their width in pixels: a thinner share of a
// larger picture), the grey word left of it.
function introWord(p) {
  return [
    shareAtLeast(p, 'white around the window frame', [0, 0, 20, 20], 'white', 0.99),
    shareAtLeast(p, 'the window frame\'s black edge', [107, 14, 144, 33], 'black', 0.01),
    atLeast('the word left of the window frame', 1 - share(p, scaled(p, [50, 22, 106, 36]), 'white'), 0.02),
  ];
}

export const probes = { startPicture, hexagons, bars, closed, fin, introWord };
