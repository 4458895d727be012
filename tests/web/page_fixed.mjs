// The page in its fixed-rate mode (index.html?fixed=10) against the native
// elka-capture at the same size and frame rate: one frame inside every
// scene, compared pixel by pixel (mean absolute difference) and with the
// capture stills tests' probes; the page runs to its end by itself, with
// no console error on the way.
// usage: node page_fixed.mjs OUT-WEB-DIR BUILD-DIR
import { copyFileSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

import { engineName, launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { captureChapters, runCapture } from './lib/capture.mjs';
import { secondsOfFrame } from './lib/chapters.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { elkaState, waitForState } from './lib/elka.mjs';
import { difference } from './lib/pictures.mjs';
import { probes } from './lib/probes.mjs';
import { pictureFromFrame, readPng, writePng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const fps = 10;
const meanLimit = 2; // in 1/255 units, over the red, green and blue channels
const artefacts = join(build, 'artefacts/web', engineName());
const work = mkdtempSync(join(tmpdir(), 'elka-web-fixed-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true })); // failed runs too

// The frame taken from each scene: where the capture stills tests probe
// (their scenes), the middle of the scene elsewhere.
const probed = {
  '-1': { frame: () => 3 * fps, probe: 'startPicture', keep: 'start' },
  6: { frame: (s) => s.first, probe: 'hexagons' },
  7: { frame: (s) => Math.floor((s.first + s.next) / 2), keep: 'scene7' },
  11: { frame: () => 88 * fps, probe: 'bars' },
  20: { frame: (s) => s.next - 1, probe: 'closed' },
  22: { frame: () => 149.5 * fps, probe: 'fin', keep: 'end' },
};

function framesToTake(chapters) {
  return chapters.scenes.map((scene) => {
    const how = probed[scene.scene] || {};
    const frame = how.frame ? how.frame(scene) : Math.floor((scene.first + scene.next) / 2);
    return { scene, frame, seconds: secondsOfFrame(frame, fps), probe: how.probe, keep: how.keep };
  });
}

await runTest('page_fixed', async () => {
  mkdirSync(artefacts, { recursive: true });
  const chapters = await captureChapters(build, fps, join(work, 'chapters.tsv'));
  const takes = framesToTake(chapters);
  for (const t of takes)
    if (t.frame < t.scene.first || t.frame >= t.scene.next)
      check(`frame ${t.frame} lies in scene ${t.scene.scene}`, false, `the scene has frames ${t.scene.first} to ${t.scene.next - 1}`);
  const stills = runCapture(build, ['--fps', String(fps), '--size', '800x600',
                                    ...takes.flatMap((t) => ['--still', `${t.seconds}=${join(work, `still-${t.frame}.png`)}`])])
    .then(() => null, (error) => error); // awaited after the page's run

  const server = await startServer(web, { inject: pageScripts() });
  const browser = await launchBrowser();
  const frames = new Map();
  try {
    const { page, errors, consoleText } = await openPage(browser);
    onFailure(consoleText);
    const loaded = Date.now();
    await page.goto(`${server.url}index.html?fixed=${fps}`);
    await waitForState(page, ['running'], 60000);
    const first = await elkaState(page);
    check('the fixed-rate mode runs without a click', first.fixedRate === fps && !(await page.isVisible('#start')),
          JSON.stringify({ fixedRate: first.fixedRate }));
    check('the fixed-rate mode has no sound', first.sound && first.sound.context === 'none' && first.sound.playing === false,
          JSON.stringify(first.sound));

    for (const t of takes) {
      const got = await page.evaluate((s) => window.elka.frameAt(s), t.seconds);
      if (!check(`frameAt(${t.seconds}) gives frame ${t.frame} at 800 x 600`,
                 got.frame === t.frame && got.width === 800 && got.height === 600,
                 `frame ${got.frame}, ${got.width} x ${got.height}`))
        continue;
      frames.set(t.frame, pictureFromFrame(got));
      if (t.keep) {
        writePng(join(artefacts, `${t.keep}-page-frame.png`), frames.get(t.frame));
        writeFileSync(join(artefacts, `${t.keep}-page-screen.png`), await page.screenshot());
      }
    }

    // Past the last frame: the demo ends by itself, as the capture does
    // after the same number of frames.
    const after = await page.evaluate((s) => window.elka.frameAt(s).then(() => 'resolved', (e) => `rejected: ${e.message}`),
                                      secondsOfFrame(chapters.frames, fps));
    check('asking for the frame after the last one is refused', after.startsWith('rejected'), after);
    await waitForState(page, ['ended'], 60000);
    const end = await elkaState(page);
    const times = await page.evaluate(() => window.elka.frameTimes.slice());
    check('the sequence ends by itself with status 0', end.exitStatus === 0, String(end.exitStatus));
    check(`the page drew the ${chapters.frames} frames the capture draws`, times.length === chapters.frames,
          `${times.length} frame times`);
    check('every frame time is a time', times.every((ms) => Number.isFinite(ms) && ms >= 0));
    const late = await page.evaluate(() => window.elka.frameAt(0).then(() => 'resolved', (e) => `rejected: ${e.message}`));
    check('frameAt after the end is refused', late.startsWith('rejected'), late);
    const errs = await errors();
    check('no console error from loading to the end', errs.length === 0, errs.join('\n  '));
    console.log(`page: ${chapters.frames} frames in ${((Date.now() - loaded) / 1000).toFixed(1)} s, ` +
                `${(times.reduce((a, b) => a + b, 0) / times.length).toFixed(2)} ms a frame on average`);
  } finally {
    await browser.close();
    await server.close();
  }

  const captureError = await stills;
  if (captureError)
    throw captureError;
  const rows = ['| scene | title | seconds | frame | MAD (1/255) | pixels off by > 24 | |', '|---|---|---|---|---|---|---|'];
  for (const t of takes) {
    const still = readPng(join(work, `still-${t.frame}.png`));
    const frame = frames.get(t.frame);
    if (t.keep)
      copyFileSync(join(work, `still-${t.frame}.png`), join(artefacts, `${t.keep}-capture.png`));
    if (t.probe)
      for (const [name, ok, detail] of probes[t.probe](still))
        check(`capture, scene ${t.scene.scene}: ${name}`, ok, detail);
    if (!frame)
      continue;
    const d = difference(frame, still);
    const ok = check(`scene ${t.scene.scene} at ${t.seconds} s matches the capture`, d.mean <= meanLimit,
                     `MAD ${d.mean.toFixed(3)}/255, ${(d.share * 100).toFixed(2)} % of the pixels off by more than 24`);
    rows.push(`| ${t.scene.scene} | ${t.scene.title.replace(/\|/g, '\\|')} | ${t.seconds} | ${t.frame} | ${d.mean.toFixed(3)} | ` +
              `${(d.share * 100).toFixed(2)} % | ${ok ? 'ok' : 'FAIL'} |`);
    if (t.probe)
      for (const [name, pass, detail] of probes[t.probe](frame))
        check(`page, scene ${t.scene.scene}: ${name}`, pass, detail);
  }
  console.log(`\nThe page's frames in ${browser.description} against elka-capture's, 800 x 600 at ${fps} frames a second ` +
              `(limit ${meanLimit}/255):\n`);
  console.log(rows.join('\n') + '\n');
});
