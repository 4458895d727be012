// The page's frame times per scene and its load time to the first frame,
// as a markdown table for the README. The fixed-rate mode draws the whole
// sequence at FPS frames a second of sequence time, as fast as it can,
// asked for the last frame of each scene of elka-capture's chapter table
// at the same rate; elka.frameTimes (what each frame took in the page) is
// split into the same scenes; beside them the native capture's own
// timedemo at the same size and rate. The load time
// is the real-time mode's: from the page's navigation to the start
// picture presented (elka.firstFrameMs), over several loads.
// usage: node tests/web/bench.mjs [--web DIR] [--build DIR] [--fps N] [--loads N]
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { cpus, tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { parseArgs } from 'node:util';

import { launchBrowser, openPage, pageScripts, webgl2Info } from './lib/browser.mjs';
import { captureChapters, runCapture } from './lib/capture.mjs';
import { sceneOfFrame, secondsOfFrame } from './lib/chapters.mjs';
import { waitForState } from './lib/elka.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const { values: options } = parseArgs({
  options: {
    web: { type: 'string', default: join(repoRoot, 'out/web') },
    build: { type: 'string', default: join(repoRoot, 'build') },
    fps: { type: 'string', default: '10' },
    loads: { type: 'string', default: '3' },
  },
});
const fps = Number(options.fps);
const loads = Number(options.loads);
if (!Number.isInteger(fps) || fps < 1 || fps > 999 || !Number.isInteger(loads) || loads < 1)
  throw new Error('--fps: 1 to 999; --loads: 1 or more');
const web = resolve(options.web);
const build = resolve(options.build);
const work = mkdtempSync(join(tmpdir(), 'elka-web-bench-'));

const mean = (xs) => xs.reduce((a, b) => a + b, 0) / xs.length;
function quantile(xs, q) {
  const sorted = [...xs].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}
const ms = (x) => x.toFixed(2);

// The native timedemo's frame times (frame,scene,ms) at the same size and rate.
async function nativeTimes() {
  const file = join(work, 'native.csv');
  await runCapture(build, ['--benchmark', '--fps', String(fps), '--size', '800x600', '--frame-times', file]);
  return readFileSync(file, 'utf8').trim().split('\n').slice(1).map((line) => Number(line.split(',')[2]));
}

const chapters = await captureChapters(build, fps, join(work, 'chapters.tsv'));
const native = await nativeTimes();
const server = await startServer(web, { inject: pageScripts() });
const browser = await launchBrowser();
let times, wall, fixedFirst, info, readBack;
const walls = new Map(); // scene -> { frames, ms } drawn and read back
const firstFrames = [];
try {
  const { page, errors, close } = await openPage(browser, { width: 800, height: 600 });
  info = await webgl2Info(page);
  const started = Date.now();
  await page.goto(`${server.url}index.html?fixed=${fps}&every`);
  await waitForState(page, ['running'], 60000);
  // The time in the page until frameAt(seconds) resolved: the frames up to
  // it drawn and the last one read back (the read-back waits for the GPU
  // process to finish them all).
  const until = (seconds) => page.evaluate(async (s) => {
    const t0 = performance.now();
    const frame = (await window.elka.frameAt(s)).frame;
    return { frame, ms: performance.now() - t0 };
  }, seconds);
  // What one read-back of a quick frame costs: the least of a few of the
  // start picture's single frames.
  readBack = Infinity;
  for (let n = 1; n <= 5; ++n)
    readBack = Math.min(readBack, (await until(secondsOfFrame(n, fps))).ms);
  let drawn = 5;
  for (const scene of chapters.scenes) {
    const last = scene.next - 1;
    const { frame, ms: took } = await until(secondsOfFrame(last, fps));
    if (frame !== last)
      throw new Error(`frameAt gave frame ${frame}, not ${last}`);
    walls.set(scene.scene, { frames: last - drawn, ms: took });
    drawn = last;
  }
  // A frame after the last one: the page ends, then refuses it.
  await page.evaluate((s) => window.elka.frameAt(s).catch(() => null), secondsOfFrame(chapters.frames, fps));
  await waitForState(page, ['ended'], 600000);
  wall = (Date.now() - started) / 1000;
  times = await page.evaluate(() => window.elka.frameTimes.slice());
  fixedFirst = await page.evaluate(() => window.elka.firstFrameMs);
  const errs = await errors();
  if (errs.length)
    console.error(`the page's console errors:\n  ${errs.join('\n  ')}`);
  await close();
  for (let i = 0; i < loads; ++i) {
    const { page: p, close: closeLoad } = await openPage(browser, { width: 800, height: 600 });
    await p.goto(`${server.url}index.html`);
    await waitForState(p, ['waiting'], 60000);
    firstFrames.push(await p.evaluate(() => window.elka.firstFrameMs));
    await closeLoad();
  }
} finally {
  await browser.close();
  await server.close();
  rmSync(work, { recursive: true, force: true });
}
if (times.length !== chapters.frames || native.length !== chapters.frames)
  console.error(`warning: the page drew ${times.length} frames, the timedemo ${native.length}, the chapters say ${chapters.frames}`);

const rows = [
  `| scene | title | frames | page ms a frame | in-page median | in-page worst | native mean ms | page / native |`,
  `|---|---|---|---|---|---|---|---|`,
];
let allFrames = 0, allMs = 0;
const perFrame = new Map();
for (const scene of chapters.scenes) {
  const page = times.slice(scene.first, scene.next);
  const own = native.slice(scene.first, scene.next);
  const w = walls.get(scene.scene);
  const each = w.frames > 0 ? Math.max(0, w.ms - readBack) / w.frames : NaN;
  perFrame.set(scene.scene, each);
  allFrames += w.frames;
  allMs += w.ms - readBack;
  rows.push(`| ${scene.scene} | ${scene.title.replace(/\|/g, '\\|')} | ${scene.next - scene.first} | ${ms(each)} | ` +
            `${ms(quantile(page, 0.5))} | ${ms(Math.max(...page))} | ${ms(mean(own))} | ${(each / mean(own)).toFixed(2)} |`);
}
const overall = allMs / allFrames;
rows.push(`| all | the whole sequence | ${times.length} | ${ms(overall)} | ${ms(quantile(times, 0.5))} | ` +
          `${ms(Math.max(...times))} | ${ms(mean(native))} | ${(overall / mean(native)).toFixed(2)} |`);
const slowest = chapters.scenes.map((s) => ({ s, m: perFrame.get(s.scene) })).sort((a, b) => b.m - a.m)[0];
const sorted = [...firstFrames].sort((a, b) => a - b);

console.log(`${browser.description}, WebGL 2 on ${info ? info.renderer : '?'}, ` +
            `${cpus().length} cores; 800 x 600, fixed rate ${fps} frames a second; ` +
            `native: \`elka-capture --benchmark --fps ${fps} --size 800x600\`.\n`);
console.log(rows.join('\n'));
console.log(`\n- the fixed-rate run: ${chapters.frames / fps} s of sequence in ${wall.toFixed(1)} s wall clock ` +
            `(${(chapters.frames / fps / wall).toFixed(2)} x real time), the page's frames ` +
            `${(times.reduce((a, b) => a + b, 0) / 1000).toFixed(1)} s of it`);
console.log(`- slowest scene: ${slowest.s.scene} (${slowest.s.title}), ${ms(slowest.m)} ms a frame ` +
            `(${(1000 / slowest.m).toFixed(0)} frames per second)`);
console.log(`- load to the first frame (the start picture, real-time mode), ${loads} loads: median ` +
            `${sorted[Math.floor(sorted.length / 2)].toFixed(0)} ms (${sorted[0].toFixed(0)}–${sorted[sorted.length - 1].toFixed(0)}); ` +
            `fixed-rate mode ${fixedFirst.toFixed(0)} ms`);
console.log(`- page ms a frame: the scene's frames drawn and its last one read back, timed in the page, ` +
            `less one read-back (${ms(readBack)} ms, the least of five single quick frames); the first frames of the ` +
            `start picture are left out. In-page: elka.frameTimes, from a frame's start until a pixel of it ` +
            `has been read back, which waits for the browser's GPU process to draw it (the worst frames are ` +
            `where new programs are compiled)`);
