// The tests' own machinery against real parts: the static server, Chromium
// with WebGL 2, PNG reading and writing, the picture probes (against the
// capture tests' Python probe), and elka-capture's chapters and stills.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { launchBrowser, openPage, rendererName, webgl2Info } from './lib/browser.mjs';
import { captureChapters, runCapture } from './lib/capture.mjs';
import { sceneOfFrame, secondsOfFrame } from './lib/chapters.mjs';
import { check, runTest } from './lib/check.mjs';
import { bbox, difference, share } from './lib/pictures.mjs';
import { decodePng, pictureFromFrame, readPng, writePng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

// usage: node infrastructure.mjs [OUT-WEB-DIR BUILD-DIR] (only the build is used)
const build = process.argv[3] || join(repoRoot, 'build');
const work = mkdtempSync(join(tmpdir(), 'elka-web-infra-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true })); // failed runs too
const pyProbe = join(repoRoot, 'tests/e2e/capture_png_probe.py');

// The picture the WebGL probe page draws, made here pixel by pixel.
function expectedProbePicture() {
  const data = Buffer.alloc(160 * 120 * 4);
  for (let y = 0; y < 120; ++y)
    for (let x = 0; x < 160; ++x) {
      const inside = x >= 40 && x < 120 && y >= 30 && y < 90;
      data.set(inside ? [255, 255, 255, 255] : [0, 0, 128, 255], (y * 160 + x) * 4);
    }
  return { width: 160, height: 120, data };
}

await runTest('infrastructure', async () => {
  const server = await startServer(join(repoRoot, 'tests/web/lib'));
  try {
    const served = await fetch(server.url + 'webgl_probe.html');
    check('the server serves a file with its type', served.status === 200 &&
          served.headers.get('content-type').startsWith('text/html'), String(served.status));
    const missing = await fetch(server.url + 'no-such-file.bin');
    check('the server answers 404 for a missing file', missing.status === 404, String(missing.status));
    const outside = await fetch(server.url + '..%2f..%2fCMakeLists.txt');
    check('the server serves nothing outside its folder', outside.status === 403 || outside.status === 404,
          String(outside.status));

    const browser = await launchBrowser();
    try {
      const { page, errors } = await openPage(browser);
      await page.goto(server.url + 'webgl_probe.html');
      const info = await webgl2Info(page);
      check(`WebGL 2 in headless Chromium ${browser.version()} (${rendererName()})`, info !== null &&
            info.version.startsWith('WebGL 2.0'), info ? `${info.version}, ${info.renderer}` : 'no context');
      const drawn = await page.evaluate(() => window.probe);
      check('the probe page drew with WebGL 2', drawn.webgl2 === true);
      const picture = pictureFromFrame({ frame: 0, width: 160, height: 120, rgba: drawn.rgba });
      const d = difference(picture, expectedProbePicture());
      check('what WebGL drew reads back as expected, top row first', d.mean === 0, `mean ${d.mean}`);
      const shot = decodePng(await page.locator('#c').screenshot());
      const ds = difference(shot, expectedProbePicture());
      check('a screenshot of the canvas shows the same', shot.width === 160 && ds.mean < 0.5,
            `${shot.width} x ${shot.height}, mean ${ds.mean.toFixed(3)}`);
      check('the probe page made no console error', errors.length === 0, errors.join('; '));
    } finally {
      await browser.close();
    }

    // PNG writing and reading give the same pixels back.
    const probe = expectedProbePicture();
    writePng(join(work, 'probe.png'), probe);
    check('a PNG written and read back has the same pixels',
          difference(readPng(join(work, 'probe.png')), probe).mean === 0);
  } finally {
    await server.close();
  }

  // The chapters at 10 frames a second.
  const chapters = await captureChapters(build, 10, join(work, 'chapters.tsv'));
  check('the chapter table has the 24 pictures of the sequence (scenes -1 to 22)', chapters.scenes.length === 24 &&
        chapters.scenes[0].scene === '-1' && chapters.scenes[23].scene === '22', chapters.scenes.map((s) => s.scene).join(' '));
  check('the sequence is about 151 s long at 10 frames a second', chapters.frames > 1480 && chapters.frames < 1560,
        `${chapters.frames} frames`);
  const tunnel = chapters.scenes.find((s) => s.scene === '7');
  check('a scene is found by its frames', sceneOfFrame(chapters, tunnel.first).scene === '7' &&
        sceneOfFrame(chapters, tunnel.first - 1).scene === '6' && sceneOfFrame(chapters, chapters.frames) === null);

  // A still at a time named by its frame, and the probes against the
  // capture tests' own probe.
  const t = secondsOfFrame(30, 10);
  check('a frame\'s seconds name that frame', Math.floor(t * 10 + 1e-9) === 30 &&
        Math.floor(secondsOfFrame(419, 10) * 10 + 1e-9) === 419);
  await runCapture(build, ['--fps', '10', '--size', '160x120', '--end', '4', '--still', `${t}=${join(work, 'start.png')}`]);
  const start = readPng(join(work, 'start.png'));
  check('the still has the capture\'s size', start.width === 160 && start.height === 120);
  const python = (...args) => execFileSync('python3', [pyProbe, ...args], { encoding: 'utf8' }).trim();
  for (const [rect, kind] of [[[0, 0, 160, 20], 'black'], [[60, 40, 100, 80], 'bright'], [[30, 20, 130, 100], 'white']]) {
    const mine = share(start, rect, kind).toFixed(4);
    const theirs = python('share', join(work, 'start.png'), ...rect.map(String), kind);
    check(`share ${kind} in ${rect} as the Python probe says`, mine === theirs, `${mine} / ${theirs}`);
  }
  const box = bbox(start, 'notblack');
  check('bbox of the lit pixels as the Python probe says', box !== null &&
        box.join(' ') === python('bbox', join(work, 'start.png'), 'notblack'), String(box));
  const inverted = { ...start, data: Buffer.from(start.data.map((v, i) => (i % 4 === 3 ? v : 255 - v))) };
  const di = difference(start, inverted);
  let expected = 0;
  for (let i = 0; i < start.data.length; i += 4)
    for (let c = 0; c < 3; ++c)
      expected += Math.abs(2 * start.data[i + c] - 255);
  check('the mean difference of a picture and its negative', Math.abs(di.mean - expected / (160 * 120 * 3)) < 1e-9,
        di.mean.toFixed(3));
});

