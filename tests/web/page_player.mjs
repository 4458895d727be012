// The page as a player, in real time: index.html?t=79 stands at 79 s until
// the click and plays on from there; Space pauses (no frame drawn, the song
// stopped, the time standing) and K plays on from the same time; L and J
// jump 5 s, 0 starts again, the player's buttons do what the keys do, and
// the timeline seeks where it is let go; paused, a seek shows the capture's
// frame at the time sought. ?t= with anything but seconds
// before the end starts at 0 and says why on the status line.
// usage: node page_player.mjs OUT-WEB-DIR BUILD-DIR
import { mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';

import { engineName, launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { runCapture } from './lib/capture.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { canvasShot, waitForState } from './lib/elka.mjs';
import { difference } from './lib/pictures.mjs';
import { readPng, writePng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const work = join(build, 'artefacts/web', engineName(), 'player');
const overlays = ['#start', '#end', '#status', '#controls', '#player'];
const meanLimit = 2; // as the fixed-rate frames: in 1/255 units, over red, green and blue
const hang = 120000; // a limit on a wait only ends a hang
// A place is the time the request was taken at (read before it, so the
// page's clock may have run on meanwhile) plus the jump, on the fixed-rate
// state's ticks (1/60 s, taken down).
const near = (got, want, slack = 1.5) => got >= want - 0.05 && got <= want + slack;

// Holds the key until the sequence has been placed once more (the frame
// loop reads keys between frames); gives the new place.
async function placeBy(page, key) {
  const count = await page.evaluate(() => window.elka.player.placed);
  await page.keyDown(key);
  try {
    await page.waitForFunction((n) => window.elka.player.placed > n, count, hang);
  } finally {
    await page.keyUp(key);
  }
  return page.evaluate(() => ({ ...window.elka.player }));
}

// The timeline let go at `seconds`, as a mouse leaves it.
const seekTo = (page, seconds) => page.evaluate((ms) => {
  const t = document.getElementById('timeline');
  t.value = String(ms);
  t.dispatchEvent(new Event('change'));
}, Math.round(seconds * 1000));

const now = (page) => page.evaluate(() => ({ ...window.elka.player, frames: window.elka.frames }));
// Where the sequence stood at the frame loop's last read of its clock (s):
// a key is taken at a later frame, so a jump goes from there or later (the
// time shown runs on between frames, and a slow frame can stand behind it).
const lastRead = (page) => page.evaluate(() => window.elka.clock.reads[window.elka.clock.reads.length - 1][1] / 1000);

await runTest('page_player', async () => {
  mkdirSync(work, { recursive: true });
  const server = await startServer(web, { inject: pageScripts() });
  const browser = await launchBrowser({ screen: [800, 600] });
  try {
    const { page, errors, consoleText } = await openPage(browser, { width: 800, height: 600 });
    onFailure(consoleText);
    await page.goto(`${server.url}index.html?t=79`);
    await waitForState(page, ['waiting'], 60000);
    let p = await now(page);
    check('?t=79 places the sequence at 79 s before the click', p.placed >= 1 && near(p.placedAt, 79, 0.05), JSON.stringify(p));
    check('the status line is the usual one', (await page.evaluate(() => window.elka.status)) === 'Ready.');
    await page.click('#start');
    await waitForState(page, ['running'], hang);
    await page.waitForFunction(() => window.elka.player.seconds > 79.5, null, hang);
    check('the timeline shows the time', /^1:\d\d \/ 2:31$/.test(await page.innerText('#time')), await page.innerText('#time'));

    p = await placeBy(page, 'Space');
    // Past where it stood before the click: the pause stands where the song
    // as heard is, which on a busy machine may be behind the time shown.
    check('Space pauses', p.paused && p.placedAt > 79.05, JSON.stringify(p));
    await page.waitForFunction(() => window.elka.sound.playing === false, null, hang);
    const paused = await now(page);
    // Thirty of the browser's animation frames, on each of which a playing
    // demo draws one: a paused one draws none.
    await page.evaluate(() => new Promise((done) => {
      let left = 30;
      const next = () => (--left > 0 ? requestAnimationFrame(next) : done());
      requestAnimationFrame(next);
    }));
    const later = await now(page);
    check('paused, no frame is drawn and the time stands', later.frames === paused.frames && later.seconds === paused.seconds,
          `${JSON.stringify(paused)} then ${JSON.stringify(later)}`);
    check('the button says play', (await page.innerText('#play')) === 'play');

    p = await placeBy(page, 'KeyK');
    check('K plays on from where it stood', !p.paused && near(p.placedAt, paused.placedAt, 0.05), JSON.stringify(p));
    await page.waitForFunction((f) => window.elka.frames > f + 3, paused.frames, hang);

    let before = await lastRead(page);
    p = await placeBy(page, 'KeyL');
    check('L jumps 5 s on', near(p.placedAt, before + 5), `${before} -> ${p.placedAt}`);
    before = await lastRead(page);
    p = await placeBy(page, 'KeyJ');
    check('J jumps 5 s back', near(p.placedAt, before - 5), `${before} -> ${p.placedAt}`);
    p = await placeBy(page, 'Digit0');
    check('0 starts again', near(p.placedAt, 0, 0.05), JSON.stringify(p));

    // The buttons and the timeline, as a mouse uses them.
    let count = (await now(page)).placed;
    await page.click('#forth');
    await page.waitForFunction((n) => window.elka.player.placed > n, count, hang);
    p = await now(page);
    check('the +5 s button jumps', near(p.placedAt, 5, 2), JSON.stringify(p));
    count = p.placed;
    await seekTo(page, 100);
    await page.waitForFunction((n) => window.elka.player.placed > n, count, hang);
    p = await now(page);
    check('the timeline seeks where it is let go', near(p.placedAt, 100, 0.05), JSON.stringify(p));
    await page.waitForFunction((f) => window.elka.frames > f + 3 && window.elka.sound.playing, p.frames, hang);

    // Paused, a seek shows the capture's frame at the time sought: two
    // times drawn at random for this run, the second before the first (from
    // a kept state).
    p = await placeBy(page, 'Space');
    const size = await page.evaluate(() => [document.querySelector('#elka-canvas').width,
                                            document.querySelector('#elka-canvas').height]);
    const first = 6 + Math.random() * 144;
    const sought = [first, Math.random() * first].map((t) => Math.round(t * 100) / 100);
    await runCapture(build, ['--size', size.join('x'),
                             ...sought.flatMap((t) => ['--still', `${t}=${join(work, `still-${t}.png`)}`])]);
    for (const t of sought) {
      const before = await now(page);
      await seekTo(page, t);
      await page.waitForFunction((b) => window.elka.player.placed > b.placed && window.elka.frames > b.frames, before, hang);
      const shot = await canvasShot(page, { hide: overlays });
      writePng(join(work, `seek-${t}.png`), shot);
      const d = difference(shot, readPng(join(work, `still-${t}.png`)));
      check(`paused, a seek to ${t} s shows the capture's frame at that time`, d.mean <= meanLimit,
            `MAD ${d.mean.toFixed(3)}/255 at ${size.join(' x ')}, ${(d.share * 100).toFixed(2)} % of the pixels off by more than 24`);
    }
    p = await placeBy(page, 'Space');
    check('and plays on from there', !p.paused && near(p.placedAt, sought[1], 0.05), JSON.stringify(p));

    await page.goto(`${server.url}index.html?t=abc`);
    await waitForState(page, ['waiting'], 60000);
    const status = await page.evaluate(() => window.elka.status);
    check('?t=abc says why it starts at 0', /^\?t=abc: expected seconds from 0 to less than 151\.02/.test(status), status);
    p = await now(page);
    check('?t=abc starts at 0', p.placed === 0 && p.seconds === 0, JSON.stringify(p));
    const errs = await errors();
    check('no console error', errs.length === 0, errs.join('; '));
  } finally {
    await browser.close();
    await server.close();
  }
});
