// The page as one file (scripts/build-web.sh --single-file writes
// out/elka.html): opened from file://, with no server and no request but
// for the file itself, it plays in the fixed-rate mode to the same frames
// as elka-capture: the start picture, the honeycomb, the credits and the
// end card within 2/255 mean per channel, as the served page is held.
// usage: node page_single_file.mjs OUT-WEB-DIR BUILD-DIR
import { existsSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { launchBrowser, openPage } from './lib/browser.mjs';
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
    const requests = [];
    page.on('request', (r) => requests.push(r.url()));
    const url = pathToFileURL(single).href;
    await page.goto(`${url}?fixed=10`);
    await waitForState(page, ['running'], 60000);
    for (const t of times) {
      const got = await page.evaluate((s) => window.elka.frameAt(s), t);
      const d = difference(pictureFromFrame(got), readPng(join(work, `still-${t}.png`)));
      check(`the frame at ${t} s is the capture's, within 2/255`, d.mean <= 2,
            `mean ${d.mean.toFixed(3)}/255, ${(d.share * 100).toFixed(2)} % off by more than 24`);
    }
    const others = requests.filter((r) => !r.startsWith(url));
    check('nothing is fetched but the file itself', others.length === 0, others.join(' '));
    check('no console or page error', errors.length === 0, errors.join('; '));
  } finally {
    await browser.close();
  }
});
