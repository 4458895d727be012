// The page's clock over an output's timestamps that misbehave as Chromium's
// were seen to on a busy machine and cannot be made to on demand: they
// creep later (the song's start, by them, 6 % of the time later each
// second) while the song plays on, they jump where the song lost time, and
// they drop back. The song's epoch is scripted in the page (the sound
// layer's Module.elkaSongEpoch); the clock is what the frame loop read,
// less its lead for the frame to be shown (the song's place, as heard).
// usage: node page_clock_stamps.mjs OUT-WEB-DIR
import { join, resolve } from 'node:path';

import { launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { startRunning } from './lib/elka.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));

// The song's epoch from now on: what the timestamps last told (at first,
// where the clock stands) moved by `shift` ms, creeping `creep` ms a ms;
// told as an output timestamp.
const script = ([shift, creep]) => {
  const from = performance.now();
  const reads = window.elka.clock.reads;
  const [at, ms, , , , , , lead] = reads[reads.length - 1];
  const epoch = (window.stamps ? window.stamps.told(from) : at - (ms - lead)) + shift;
  const told = (now) => epoch + creep * Math.max(0, now - from);
  window.stamps = { from, epoch, told };
  Module.elkaSongEpoch = (now) => ({ epoch: told(now), toldAt: now, stamped: true });
  return { from, epoch };
};

// The frame loop's reads since the script was set, once they span `ms`:
// [performance.now(), the song's place by the clock].
async function readsOver(page, ms) {
  const limitMs = 60000 + ms; // a limit on a hang only
  const got = await page.waitForFunction((span) => {
    const reads = window.elka.clock.reads.filter(([at]) => at > window.stamps.from);
    return reads.length >= 3 && reads[reads.length - 1][0] - reads[0][0] >= span &&
      reads.map(([at, ms, waits, , , , , lead]) => [at, ms - lead, waits]);
  }, ms, limitMs).catch(() => null);
  if (!got)
    throw new Error(`the page's clock was not read over ${ms} ms within ${limitMs} ms`);
  return got;
}

await runTest('page_clock_stamps', async () => {
  const server = await startServer(web, { inject: pageScripts() });
  const browser = await launchBrowser({ screen: [800, 600] });
  try {
    const { page, consoleText } = await openPage(browser, { width: 800, height: 600 });
    onFailure(consoleText);
    await startRunning(page, `${server.url}index.html`);

    // A creep is followed only as far as an output's clock may stray (0.5 %).
    await page.evaluate(script, [0, 0.06]);
    const creeping = await readsOver(page, 1500);
    const [first, last] = [creeping[0], creeping[creeping.length - 1]];
    const pace = (last[1] - first[1]) / (last[0] - first[0]);
    check('the clock keeps pace with the wall clock while the timestamps creep 6 % later',
          pace > 0.99, `${(pace * 100).toFixed(2)} % of the wall clock's pace over ${(last[0] - first[0]).toFixed(0)} ms`);

    // A jump (the song lost 45 ms, more than a jump needs after any frame):
    // the clock stands until the song is there.
    const jump = await page.evaluate(script, [45, 0]);
    const jumped = await readsOver(page, 500);
    const stood = jumped.some(([, , waits]) => waits);
    const [at, ms] = jumped[jumped.length - 1];
    check('a jump of the timestamps is taken at once: the clock stands for the song, then runs on it',
          stood && Math.abs(ms - (at - jump.epoch)) < 2, `stood: ${stood}; at ${at.toFixed(0)} the clock ${ms.toFixed(1)} ms, the song ${(at - jump.epoch).toFixed(1)} ms`);

    // A drop (the timestamps, late, come back): taken at once as well.
    const drop = await page.evaluate(script, [-30, 0]);
    const dropped = await readsOver(page, 100);
    const [dropAt, dropMs] = dropped[0];
    check('a drop of the timestamps is taken at the next read',
          Math.abs(dropMs - (dropAt - drop.epoch)) < 2, `the clock ${dropMs.toFixed(1)} ms, the song ${(dropAt - drop.epoch).toFixed(1)} ms`);
  } finally {
    await browser.close();
    await server.close();
  }
});
