// The page as one file (scripts/build-web.sh --single-file writes
// out/elka.html): opened from file://, with no server and no request but
// for the file itself, it plays in the fixed-rate mode to the same frames
// as elka-capture: the start picture, the honeycomb, the credits and the
// end card within 2/255 mean per channel, as the served page is held.
// Where the driver has no console (WebKitGTK's), a copy of the file with
// the console record in front of its scripts is opened instead.
// usage: node page_single_file.mjs OUT-WEB-DIR BUILD-DIR
import { existsSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { runCapture } from './lib/capture.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { waitForState } from './lib/elka.mjs';
import { difference } from './lib/pictures.mjs';
import { pictureFromFrame, readPng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const single = join(dirname(web), 'elka.html');
const work = mkdtempSync(join(tmpdir(), 'elka-web-single-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));
const times = [3, 42, 88, 149.5];

await runTest('page_single_file', async () => {
  if (!check('scripts/build-web.sh --single-file wrote out/elka.html', existsSync(single), single))
    return;
  console.log(`page: ${single} is ${(statSync(single).size / 1e6).toFixed(2)} MB`);
  await runCapture(build, ['--fps', '10', '--size', '800x600',
                           ...times.flatMap((t) => ['--still', `${t}=${join(work, `still-${t}.png`)}`])]);
  const browser = await launchBrowser();
  try {
    const { page, errors, consoleText } = await openPage(browser);
    onFailure(consoleText);
    let opened = single;
    if (pageScripts().length) {
      const text = readFileSync(single, 'utf8');
      const at = text.indexOf('<script');
      opened = join(work, 'elka.html');
      writeFileSync(opened, text.slice(0, at) + pageScripts().map((s) => `<script>${s}</script>\n`).join('') + text.slice(at));
    }
    const url = pathToFileURL(opened).href;
    await page.goto(`${url}?fixed=10`);
    await waitForState(page, ['running'], 60000);
    for (const t of times) {
      const got = await page.evaluate((s) => window.elka.frameAt(s), t);
      const d = difference(pictureFromFrame(got), readPng(join(work, `still-${t}.png`)));
      check(`the frame at ${t} s is the capture's, within 2/255`, d.mean <= 2,
            `mean ${d.mean.toFixed(3)}/255, ${(d.share * 100).toFixed(2)} % off by more than 24`);
    }
    // What the driver saw asked for, and what the page's resource timing
    // lists; data: URLs (Firefox lists them) are the file's own bytes.
    const asked = [...await page.requests(), ...await page.evaluate(() => performance.getEntriesByType('resource').map((e) => e.name))];
    const others = asked.filter((r) => !r.startsWith(url) && !r.startsWith('data:'));
    check('nothing is fetched but the file itself', others.length === 0, others.join(' '));
    const errs = await errors();
    check('no console or page error', errs.length === 0, errs.join('; '));
  } finally {
    await browser.close();
  }
});
