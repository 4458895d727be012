// Silence is never silent: when the browser keeps the audio context from
// running after the click (no output device, a refusing browser; here a
// context whose resume never takes, as Firefox leaves it without a sound
// server), the page says so on its status line and the picture goes on; a
// click on the picture tries again, and once the context runs the line is
// cleared and the song plays.
// usage: node page_silence.mjs OUT-WEB-DIR BUILD-DIR
import { join, resolve } from 'node:path';

import { launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { waitForState } from './lib/elka.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));

// An AudioContext that stays suspended until the test lets it run: the
// one failure of a real browser that cannot be had on demand here. The
// test's server puts it in front of the page's scripts.
function holdAudio() {
  const Real = globalThis.AudioContext;
  let allowed = false;
  globalThis.elkaTestAllowSound = () => (allowed = true);
  globalThis.AudioContext = class extends Real {
    get state() { return allowed ? super.state : 'suspended'; }
    resume() { return allowed ? super.resume() : Promise.resolve(); }
  };
}

await runTest('page_silence', async () => {
  const server = await startServer(web, { inject: [...pageScripts(), `(${holdAudio})();`] });
  const browser = await launchBrowser();
  try {
    const { page, errors, consoleText } = await openPage(browser);
    onFailure(consoleText);
    await page.goto(`${server.url}index.html`);
    await waitForState(page, ['waiting'], 60000);
    await page.click('#start');
    const said = await page.waitForFunction(() => elka.soundSilent && document.querySelector('#status').textContent,
                                            null, 120000).catch(() => '');
    check('the status line says the song cannot be heard',
          said === 'No sound: the browser did not start the audio output. Tap or click the picture to try again.',
          JSON.stringify(said));
    const frames = await page.evaluate(() => elka.frames);
    await page.waitForFunction((n) => elka.frames > n + 10, frames, 120000);
    check('the picture goes on in silence', (await page.evaluate(() => elka.state)) === 'running');

    await page.evaluate(() => globalThis.elkaTestAllowSound());
    await page.click('#stage canvas');
    const cleared = await page.waitForFunction(() => !elka.soundSilent && document.querySelector('#status').textContent === '',
                                               null, 120000).then(() => true, () => false);
    check('a click once the audio can run clears the line', cleared, await page.evaluate(() => elka.status));
    const sound = await page.evaluate(() => elka.sound);
    check('and the song plays', sound.context === 'running' && sound.playing, JSON.stringify(sound));
    const errs = await errors();
    check('no console or page error', errs.length === 0, errs.join('; '));
  } finally {
    await browser.close();
    await server.close();
  }
});
