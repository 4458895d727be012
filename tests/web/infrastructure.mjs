// The tests' own machinery against real parts: the static server, the
// browser engine (ELKA_ENGINE) with WebGL 2, its screenshots, console and
// keys, its own screen and sound server where it has them, PNG reading and
// writing, the picture probes (against the capture tests' Python probe),
// and elka-capture's chapters and stills.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { can, engineName, launchBrowser, openPage, pageScripts, screenshot, webgl2Info } from './lib/browser.mjs';
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
    server.answer('/song.mp3', { status: 200, contentType: 'audio/mpeg', body: 'not a song' });
    const answered = await fetch(server.url + 'song.mp3');
    check('a path the test answers gets its answer', answered.status === 200 &&
          answered.headers.get('content-type') === 'audio/mpeg' && (await answered.text()) === 'not a song');
    server.answer('/song.mp3', null);
    check('and the file again once the answer is taken back', (await fetch(server.url + 'song.mp3')).status === 404);
    const injecting = await startServer(join(repoRoot, 'tests/web/lib'), { inject: ['window.first = 1;'] });
    const page = await (await fetch(injecting.url + 'webgl_probe.html')).text();
    await injecting.close();
    check('an injected script comes before the page\'s first script', page.indexOf('<script>window.first = 1;</script>') >= 0 &&
          page.indexOf('<script>window.first = 1;</script>') === page.indexOf('<script'), page.slice(0, 300));

    const pages = await startServer(join(repoRoot, 'tests/web/lib'), { inject: pageScripts() });
    const browser = await launchBrowser();
    try {
      const { page, errors, messages } = await openPage(browser, { width: 640, height: 480 });
      await page.goto(pages.url + 'webgl_probe.html');
      const info = await webgl2Info(page);
      check(`WebGL 2 in ${browser.description}`, info !== null && info.version.startsWith('WebGL 2.0'),
            info ? `${info.version}, ${info.renderer}` : 'no context');
      const view = await page.evaluate(() => [innerWidth, innerHeight, devicePixelRatio]);
      check('the page has the asked view of 640 x 480 CSS pixels at scale 1', view.join(' ') === '640 480 1', view.join(' '));
      const drawn = await page.evaluate(() => window.probe);
      check('the probe page drew with WebGL 2', drawn.webgl2 === true);
      const picture = pictureFromFrame({ frame: 0, width: 160, height: 120, rgba: drawn.rgba });
      const d = difference(picture, expectedProbePicture());
      check('what WebGL drew reads back as expected, top row first', d.mean === 0, `mean ${d.mean}`);
      const shot = decodePng(await page.screenshot('#c'));
      const ds = difference(shot, expectedProbePicture());
      check('a screenshot of the canvas shows the same', shot.width === 160 && ds.mean < 0.5,
            `${shot.width} x ${shot.height}, mean ${ds.mean.toFixed(3)}`);
      const whole = decodePng(await page.screenshot());
      check('a screenshot of the view has its 640 x 480 pixels', whole.width === 640 && whole.height === 480,
            `${whole.width} x ${whole.height}`);
      const hidden = decodePng(await screenshot(page, { hide: ['#c'] }));
      check('an element hidden for a shot is not in it, and shown again after it',
            String(bbox(whole, 'blue')) === '8,8,168,128' && bbox(hidden, 'blue') === null &&
            (await page.evaluate(() => getComputedStyle(document.querySelector('#c')).visibility)) === 'visible');
      check('the probe page made no console error', (await errors()).length === 0, (await errors()).join('; '));

      // What the tests read of a page: its console, its errors, the keys
      // it is sent, its elements.
      await page.evaluate(() => {
        window.keysSeen = [];
        for (const type of ['keydown', 'keyup'])
          addEventListener(type, (e) => window.keysSeen.push(`${e.type} ${e.code}`));
        console.log('a line', 42);
        console.error('an error line');
        setTimeout(() => { throw new Error('thrown later'); }, 0);
      });
      const lines = await page.waitForFunction(() => window.keysSeen && 'ready', null, 120000);
      check('waitForFunction gives the value that held', lines === 'ready', JSON.stringify(lines));
      for (const key of ['F1', 'Escape']) {
        await page.keyDown(key);
        await page.keyUp(key);
      }
      const keys = await page.waitForFunction(() => window.keysSeen.length >= 4 && window.keysSeen, null, 120000);
      check('F1 and Escape reach the page, down then up', keys.join(', ') === 'keydown F1, keyup F1, keydown Escape, keyup Escape',
            JSON.stringify(keys));
      const seen = await page.waitForFunction(() => document.readyState === 'complete' && 'loaded', null, 120000)
        .then(() => messages());
      check('the console\'s lines are read with their kinds', seen.some((m) => m.type === 'log' && m.text === 'a line 42') &&
            seen.some((m) => m.type === 'error' && m.text === 'an error line'), JSON.stringify(seen));
      let errs = [];
      const until = Date.now() + 120000;
      while (Date.now() < until && !(errs = await errors()).some((e) => e.includes('thrown later')));
      check('console errors and uncaught errors are caught', errs.some((e) => e.includes('an error line')) &&
            errs.some((e) => e.includes('thrown later')), JSON.stringify(errs));
      check('a missing element is an error, not a pass', await page.click('#no-such-element').then(() => false, () => true));
      const timedOut = await page.waitForFunction(() => false, null, 300).then(() => false, () => true);
      check('waitForFunction gives up at its timeout', timedOut);
      if (!can().consoleEvents)
        check('without the driver\'s console the test\'s server put the record in front of the page\'s scripts',
              (await page.evaluate(() => document.scripts[0].textContent)).includes('elkaTestConsole'));
      await page.close();

      // The browser's own sound server, where it has one: what plays is
      // heard in its null sink, and nothing before.
      if (browser.sound) {
        const quiet = await browser.sound.loudest(300);
        check('the browser\'s sink is silent while nothing plays', quiet === 0, `peak ${quiet}`);
        const tone = await openPage(browser, { width: 640, height: 480 });
        await tone.page.goto(pages.url + 'webgl_probe.html');
        await tone.page.evaluate(() => {
          document.body.addEventListener('click', () => {
            const audio = new AudioContext();
            const oscillator = audio.createOscillator();
            oscillator.connect(audio.destination);
            oscillator.start();
            window.tone = audio;
          });
        });
        await tone.page.click('#c');
        const state = await tone.page.waitForFunction(() => window.tone && window.tone.state === 'running' && 'running', null, 120000)
          .catch((e) => e.message);
        check(`a click starts an AudioContext in ${engineName()}`, state === 'running', String(state));
        const { peak, ms } = await browser.sound.heard(1000, 60000);
        check('its tone is heard in the test\'s own null sink', ms !== null, `peak ${peak}, over 1000 after ${ms} ms`);
        await tone.close();
      }
    } finally {
      await browser.close();
      await pages.close();
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

