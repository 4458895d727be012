// What a seek on the page costs the viewer, to the frame shown after it, in
// the engine ELKA_ENGINE names (Chromium by default): the timeline let go
// at 150.9 s just after the click (nothing kept: the whole sequence
// stepped), then at 75.3 s (from a state the first seek kept on its way).
// Real time, from the timeline's change to the first frame presented after
// the sequence was placed, as the page's own clock reads it.
// usage: node tests/web/seek_bench.mjs [OUT-WEB-DIR]
import { join, resolve } from 'node:path';

import { engineName, launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { waitForState } from './lib/elka.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const hang = 120000;

// Lets the timeline go at `seconds`; gives the milliseconds to the frame
// shown after the sequence was placed there.
const seek = (page, seconds) => page.evaluate((ms) => new Promise((done) => {
  const timeline = document.getElementById('timeline');
  const placed = window.elka.player.placed;
  const start = performance.now();
  let frames = null;
  const look = () => {
    if (frames === null && window.elka.player.placed > placed) frames = window.elka.frames;
    if (frames !== null && window.elka.frames > frames) return done(performance.now() - start);
    requestAnimationFrame(look);
  };
  timeline.value = String(ms);
  timeline.dispatchEvent(new Event('change'));
  requestAnimationFrame(look);
}), Math.round(seconds * 1000));

const server = await startServer(web, { inject: pageScripts() });
const browser = await launchBrowser({ screen: [800, 600] });
try {
  const { page } = await openPage(browser, { width: 800, height: 600 });
  await page.goto(`${server.url}index.html`);
  await waitForState(page, ['waiting'], hang);
  await page.click('#start');
  await waitForState(page, ['running'], hang);
  await page.waitForFunction(() => window.elka.frames > 10, null, hang);
  const far = await seek(page, 150.9);
  const kept = await seek(page, 75.3);
  console.log(`${engineName()}: a seek to 150.9 s with nothing kept ${far.toFixed(0)} ms; ` +
              `to 75.3 s from a kept state ${kept.toFixed(0)} ms (to the frame shown)`);
} finally {
  await browser.close();
  await server.close();
}
