// The page draws each frame for the moment the browser shows it: where
// Chromium tells when its long frames were shown (Long Animation Frames'
// presentationTime), the clock runs that far ahead of the song. The long
// frames are the test's own (a busy callback beside the page's frames);
// what the browser told of them is read by an observer of the test's own;
// the song's epoch is scripted (as heard from now on, 100 ms ago), so the
// song's place at each read is known.
// usage: node page_shown_lead.mjs OUT-WEB-DIR
import { join, resolve } from 'node:path';

import { launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { startRunning } from './lib/elka.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));

// Frames of `ms` each for `forMs`, from the next frame on.
const busyFrames = ([ms, forMs]) => new Promise((done) => {
  const from = performance.now();
  const frame = () => {
    const start = performance.now();
    while (performance.now() - start < ms);
    if (performance.now() - from < forMs) requestAnimationFrame(frame);
    else done(performance.now());
  };
  requestAnimationFrame(frame);
});

await runTest('page_shown_lead', async () => {
  const server = await startServer(web, { inject: pageScripts() });
  const browser = await launchBrowser({ screen: [800, 600] });
  try {
    const { page, consoleText } = await openPage(browser, { width: 800, height: 600 });
    onFailure(consoleText);
    await startRunning(page, `${server.url}index.html`);
    const epoch = await page.evaluate(() => {
      window.told = [];
      new PerformanceObserver((list) => {
        for (const f of list.getEntries()) window.told.push([f.renderStart, f.presentationTime - f.renderStart]);
      }).observe({ type: 'long-animation-frame' });
      const epoch = performance.now() - 100;
      Module.elkaSongEpoch = (now) => ({ epoch, toldAt: now, stamped: true });
      return epoch;
    });

    // Frames of 80 ms for 3 s: each told as shown some time after it began.
    const from = await page.evaluate(() => performance.now());
    const busyEnd = await page.evaluate(busyFrames, [80, 3000]);
    const got = await page.waitForFunction((after) => {
      const reads = window.elka.clock.reads.filter(([at]) => at > after);
      return reads.length >= 2 && { reads, told: window.told };
    }, busyEnd, 60000);
    const { reads, told } = got;
    const [at, ms, , , , , , lead] = reads[reads.length - 1];
    const recent = told.filter(([start, late]) => start > from && start > at - 2000 && late > 0 && late < 1000)
      .map(([, late]) => late);
    check('the browser told when the long frames were shown', recent.length >= 5, `${recent.length} told in the 2 s before`);
    if (recent.length < 5)
      return;
    const [low, high] = [Math.min(...recent), Math.max(...recent)];
    check('the lead is what the browser told of its last frames',
          lead >= low - 1 && lead <= high + 1, `lead ${lead.toFixed(1)} ms; told ${low.toFixed(0)} to ${high.toFixed(0)} ms`);
    check('the clock is the song\'s place and the lead',
          Math.abs(ms - lead - (at - epoch)) < 2, `clock ${ms.toFixed(1)}, lead ${lead.toFixed(1)}, song ${(at - epoch).toFixed(1)} ms`);
    const all = await page.evaluate((after) => window.elka.clock.reads.filter(([r]) => r > after), from);
    let fastest = 0;
    for (let i = 1; i < all.length; i++)
      fastest = Math.max(fastest, Math.abs(all[i][7] - all[i - 1][7]) / Math.max(1, all[i][0] - all[i - 1][0]));
    check('the lead moves at most a tenth of the time (no jump)', fastest <= 0.1 + 1e-6, `${(fastest * 100).toFixed(1)} %`);
  } finally {
    await browser.close();
    await server.close();
  }
});
