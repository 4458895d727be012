// The page in real time, as a viewer meets it: the start picture under
// "click to start", no sound before the click; the click starts the song
// and the clock; the intro's first word follows the start picture; Escape
// ends the run, the last frame stays and "play again" is offered. No
// console error on the way.
// usage: node page_realtime.mjs OUT-WEB-DIR BUILD-DIR
import { mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';

import { launchBrowser, openPage } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { canvasShot, elkaState, waitForPicture, waitForState } from './lib/elka.mjs';
import { probes } from './lib/probes.mjs';
import { writePng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const artefacts = join(build, 'artefacts/web');
// The page's own lines over the canvas are left out of the probes' shots.
const overlays = ['#start', '#end', '#status', '#controls'];
const passes = (probe) => (picture) => probes[probe](picture).every(([, ok]) => ok);
const report = (name, probe, picture) => {
  for (const [what, ok, detail] of probes[probe](picture))
    check(`${name}: ${what}`, ok, detail);
};

await runTest('page_realtime', async () => {
  mkdirSync(artefacts, { recursive: true });
  const server = await startServer(web);
  const browser = await launchBrowser();
  try {
    // A 4:3 view: the fullscreen canvas shows the picture without bars.
    const { page, errors, consoleText } = await openPage(browser, { width: 800, height: 600 });
    onFailure(consoleText);
    await page.goto(`${server.url}index.html`);
    await waitForState(page, ['waiting'], 60000);

    const button = page.locator('#start');
    check('"click to start" is shown', await button.isVisible() && /click to start/i.test(await button.innerText()),
          JSON.stringify(await button.innerText()));
    const before = await elkaState(page);
    check('no sound before the click', before.sound && before.sound.playing === false, JSON.stringify(before.sound));
    check('the real-time mode has no fixed rate', before.fixedRate === 0, String(before.fixedRate));
    await page.screenshot({ path: join(artefacts, 'realtime-waiting-screen.png') });
    const waiting = await canvasShot(page, { hide: overlays });
    writePng(join(artefacts, 'realtime-start.png'), waiting);
    report('before the click', 'startPicture', waiting);

    await button.click();
    await waitForState(page, ['running'], 10000);
    try {
      await page.waitForFunction(() => window.elka.sound.context === 'running' && window.elka.sound.playing === true,
                                 null, { timeout: 10000 });
    } catch {
      // the check below says what the sound layer reported instead
    }
    const after = await elkaState(page);
    check('the click starts the song', after.sound.context === 'running' && after.sound.playing === true,
          JSON.stringify(after.sound));
    check('the start overlay goes with the click', await button.isHidden());
    // The clock started at the click: the intro follows the start picture.
    const justAfter = await canvasShot(page, { hide: overlays });
    check('the start picture is still shown just after the click', passes('startPicture')(justAfter));
    let intro = null;
    try {
      intro = await waitForPicture(page, passes('introWord'), 30000, { hide: overlays });
    } catch (e) {
      if (e.picture)
        writePng(join(artefacts, 'realtime-no-intro.png'), e.picture);
      report('the intro word within 30 s of the click', 'introWord', e.picture);
    }
    if (intro) {
      writePng(join(artefacts, 'realtime-intro.png'), intro);
      check('the intro word follows the start picture', true);
    }

    // Held down until it has done its work: the frame loop looks at the keys
    // only when no message waits, so a press and release sent together
    // would come and go before it looked (as on the desktop).
    await page.keyboard.down('Escape');
    await waitForState(page, ['ended'], 10000);
    await page.keyboard.up('Escape');
    const end = await elkaState(page);
    check('Escape ends the run with status 0', end.exitStatus === 0, String(end.exitStatus));
    check('"play again" is offered', await page.locator('#again').isVisible());
    check('the song stops at the end', end.sound.playing === false, JSON.stringify(end.sound));
    const last = await canvasShot(page, { hide: overlays });
    writePng(join(artefacts, 'realtime-ended.png'), last);
    const [white, edge] = probes.introWord(last);
    check('the last frame stays: the intro scene, not a blank canvas', white[1] && edge[1], `${white[2]}; ${edge[2]}`);
    await page.screenshot({ path: join(artefacts, 'realtime-ended-screen.png') });
    check('no console error from loading to the end', errors.length === 0, errors.join('\n  '));
  } finally {
    await browser.close();
    await server.close();
  }
});
