// The page in real time, as a viewer meets it: the cover and "Loading..."
// before any script has run; the start picture under "click to start",
// drawn once and standing until the click, no sound before it; the click starts the song
// and the clock; the intro's first word follows the start picture; Escape
// ends the run, the last frame stays and "play again" is offered. No
// console error on the way. Where the browser has the test's own sound
// server (Firefox, WebKitGTK), the song is heard in its null sink.
// usage: node page_realtime.mjs OUT-WEB-DIR BUILD-DIR
import { mkdirSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';

import { engineName, launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { canvasShot, elkaState, escapeEnded, escapeToEnd, waitForPicture, waitForState } from './lib/elka.mjs';
import { share } from './lib/pictures.mjs';
import { probes } from './lib/probes.mjs';
import { writePng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const artefacts = join(build, 'artefacts/web', engineName());
// The page's own lines over the canvas are left out of the probes' shots.
const overlays = ['#start', '#end', '#status', '#controls', '#player'];
const passes = (probe) => (picture) => probes[probe](picture).every(([, ok]) => ok);
const report = (name, probe, picture) => {
  for (const [what, ok, detail] of probes[probe](picture))
    check(`${name}: ${what}`, ok, detail);
};

// The share of pixels whose colour is not the first pixel's.
function otherColour(picture) {
  const d = picture.data;
  let other = 0;
  for (let i = 4; i < d.length; i += 4)
    if (d[i] !== d[0] || d[i + 1] !== d[1] || d[i + 2] !== d[2])
      ++other;
  return other / (picture.width * picture.height);
}

await runTest('page_realtime', async () => {
  mkdirSync(artefacts, { recursive: true });
  // What the page shows at its first animation frame, before its first
  // paint: the cover, its button and the status line, and whether any of
  // its scripts has run by then (this runs before them all).
  const atFirstFrame = `requestAnimationFrame(() => {
    const button = document.querySelector('#start button');
    const box = button.getBoundingClientRect();
    window.atFirstFrame = { scriptRan: 'elka' in window || 'Module' in window, status: document.getElementById('status').textContent,
                            button: button.innerText, disabled: button.disabled, shown: box.width > 0 && box.height > 0 &&
                            getComputedStyle(button).visibility === 'visible' };
  });`;
  const server = await startServer(web, { inject: [...pageScripts(), atFirstFrame] });
  // The browser's fullscreen, where it is granted, is the screen: 4:3 too.
  const browser = await launchBrowser({ screen: [800, 600] });
  try {
    // A 4:3 view: the fullscreen canvas shows the picture without bars.
    const { page, errors, consoleText } = await openPage(browser, { width: 800, height: 600 });
    onFailure(consoleText);
    await page.goto(`${server.url}index.html`);
    await waitForState(page, ['waiting'], 60000);

    const first = await page.evaluate(() => window.atFirstFrame);
    check('the cover is there before any of the page\'s scripts has run: its button, not yet enabled, and "Loading..."',
          first && !first.scriptRan && first.shown && first.disabled && first.button === 'click to start' &&
          first.status === 'Loading...', JSON.stringify(first));
    check('the button can be clicked once the start picture is under it', await page.evaluate(
      () => !document.querySelector('#start button').disabled));
    // Waiting for the click the picture stands: no frame is drawn again over
    // thirty of the browser's animation frames.
    const standing = await page.evaluate(() => new Promise((done) => {
      const frames = window.elka.frames;
      let left = 30;
      const look = () => (--left > 0 ? requestAnimationFrame(look) : done([frames, window.elka.frames]));
      requestAnimationFrame(look);
    }));
    check('before the click no frame is drawn again', standing[0] >= 1 && standing[1] === standing[0],
          `${standing[0]} frames, then ${standing[1]}`);

    check('"click to start" is shown', await page.isVisible('#start') && /click to start/i.test(await page.innerText('#start')),
          JSON.stringify(await page.innerText('#start')));
    const before = await elkaState(page);
    check('no sound before the click', before.sound && before.sound.playing === false, JSON.stringify(before.sound));
    check('the real-time mode has no fixed rate', before.fixedRate === 0, String(before.fixedRate));
    writeFileSync(join(artefacts, 'realtime-waiting-screen.png'), await page.screenshot());
    const waiting = await canvasShot(page, { hide: overlays });
    writePng(join(artefacts, 'realtime-start.png'), waiting);
    report('before the click', 'startPicture', waiting);

    const quiet = browser.sound && await browser.sound.loudest(300);
    await page.click('#start');
    // The limits on these waits only end a hang; what is checked is what
    // came, however late.
    const justAfter = await canvasShot(page, { hide: overlays });
    // How far the page's clock had run when that shot came back (a shot
    // can take seconds on a busy machine).
    const clockAfterShot = await page.evaluate(() => {
      const reads = window.elka.clock ? window.elka.clock.reads : [];
      return reads.length ? reads[reads.length - 1][1] : 0;
    });
    await waitForState(page, ['running'], 120000);
    try {
      await page.waitForFunction(() => window.elka.sound.context === 'running' && window.elka.sound.playing === true,
                                 null, 120000);
    } catch {
      // the check below says what the sound layer reported instead
    }
    const after = await elkaState(page);
    check('the click starts the song', after.sound.context === 'running' && after.sound.playing === true,
          JSON.stringify(after.sound));
    if (browser.sound) {
      const { peak, ms } = await browser.sound.heard(300, 60000);
      check('the song is heard in the browser\'s null sink, which was silent before the click', quiet === 0 && ms !== null,
            `peak ${quiet} before; after it ${ms === null ? 'nothing over 300 in 60 s' : `over 300 after ${ms} ms`}, peak ${peak} of 32767`);
    }
    check('the start overlay goes with the click', !(await page.isVisible('#start')));
    // The clock started at the click: the intro follows the start picture
    // (the shot taken at once after the click).
    // The start picture is on for the first 6 s; a shot that came back
    // later may show the intro after it, and nothing else.
    if (clockAfterShot < 6000)
      check('the start picture is still shown just after the click', passes('startPicture')(justAfter),
            `the page's clock at ${clockAfterShot.toFixed(0)} ms when the shot came back`);
    else
      check('just after the click, the start picture or the intro after it',
            passes('startPicture')(justAfter) || passes('introWord')(justAfter),
            `the page's clock already at ${clockAfterShot.toFixed(0)} ms when the shot came back`);
    let intro = null;
    try {
      intro = await waitForPicture(page, passes('introWord'), 120000, { hide: overlays });
    } catch (e) {
      if (e.picture)
        writePng(join(artefacts, 'realtime-no-intro.png'), e.picture);
      report('the intro word within 120 s of the click', 'introWord', e.picture);
    }
    if (intro) {
      writePng(join(artefacts, 'realtime-intro.png'), intro);
      check('the intro word follows the start picture', true);
    }

    // Held down until it has done its work: the frame loop looks at the keys
    // only when no message waits, so a press and release sent together
    // would come and go before it looked (as on the desktop).
    const presses = await escapeToEnd(page);
    const end = await elkaState(page);
    check('Escape ends the run with status 0', escapeEnded(presses) && end.exitStatus === 0,
          `${presses.join(', ')}; status ${end.exitStatus}`);
    check('"play again" is offered', await page.isVisible('#again'));
    check('the song stops at the end', end.sound.playing === false, JSON.stringify(end.sound));
    const framesAtEnd = await page.evaluate(() => elka.frames);
    const last = await canvasShot(page, { hide: overlays });
    writePng(join(artefacts, 'realtime-ended.png'), last);
    // Whichever scene the Escape came in (later on a busy machine), its
    // frame stays: a picture, not a canvas cleared to one colour, and no
    // frame drawn after it. A scene fading in from black is a picture too,
    // however dark: what is counted is the pixels of another colour than
    // the first one's.
    const lastLit = share(last, [0, 0, last.width, last.height], 'white');
    const lastDark = share(last, [0, 0, last.width, last.height], 'black');
    const lastOther = otherColour(last);
    // A few moments of the sequence are one colour whole (the desktop's
    // capture at 60 fps shows them): the tunnel faded to black just before
    // the stars at 65 s, scene 10's first white frames at 79 s, the bars
    // met at 143 s. An Escape that came there leaves that colour.
    const clockAtEnd = await page.evaluate(() => {
      const reads = window.elka.clock ? window.elka.clock.reads : [];
      return reads.length ? reads[reads.length - 1][1] : -1;
    });
    const plainMoments = [[65000, 'black'], [79000, 'white'], [143000, 'black']];
    const plainThere = plainMoments.some(([ms, colour]) => Math.abs(clockAtEnd - ms) <= 1000 &&
                                         (colour === 'white' ? lastLit : lastDark) > 0.999);
    check('the last frame stays: a picture, not a blank canvas', (lastOther > 0.001 || plainThere) &&
          await page.evaluate(() => elka.frames) === framesAtEnd,
          `${(lastOther * 100).toFixed(2)} % of another colour than the first pixel's (white ${lastLit.toFixed(4)}, ` +
          `black ${lastDark.toFixed(4)}), frames ${framesAtEnd} at the end, the page's clock at ${clockAtEnd.toFixed(0)} ms`);
    writeFileSync(join(artefacts, 'realtime-ended-screen.png'), await page.screenshot());
    const errs = await errors();
    check('no console error from loading to the end', errs.length === 0, errs.join('\n  '));
  } finally {
    await browser.close();
    await server.close();
  }
});
