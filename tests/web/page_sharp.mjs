// The page's sharp mode on a 2x screen: index.html?fixed=10&sharp on a page
// of 960 x 540 CSS pixels at device scale 2 (a canvas of 1920 x 1080) draws
// the scenes at the largest 4:3 area of the device pixels, 1440 x 1080, and
// the screen shows them there unscaled: the intro's words and window frame
// on the screen match elka-capture's still at 1920 x 1080. The "sharp"
// toggle turns it off while the demo plays: the next frames are 800 x 600
// scaled up, which stray from that still by more.
// usage: node page_sharp.mjs OUT-WEB-DIR BUILD-DIR
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

import { launchBrowser, openPage, pageScripts, screenshot } from './lib/browser.mjs';
import { runCapture } from './lib/capture.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { waitForState } from './lib/elka.mjs';
import { difference } from './lib/pictures.mjs';
import { decodePng, readPng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const work = mkdtempSync(join(tmpdir(), 'elka-web-sharp-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));
const overlays = ['#start', '#end', '#status', '#controls', '#player'];
const times = [9.1, 9.5]; // "pigs.." behind its window frame: sharp, then scaled up

// The 4:3 area (device columns 240 to 1679) of a 1920 x 1080 picture.
function area(picture) {
  const width = 1440, data = new Uint8Array(width * picture.height * 4);
  for (let y = 0; y < picture.height; ++y)
    data.set(picture.data.subarray((y * picture.width + 240) * 4, (y * picture.width + 1680) * 4), y * width * 4);
  return { width, height: picture.height, data };
}

await runTest('page_sharp', async () => {
  await runCapture(build, ['--fps', '10', '--size', '1920x1080',
                           ...times.flatMap((t) => ['--still', `${t}=${join(work, `still-${t}.png`)}`])]);
  const server = await startServer(web, { inject: pageScripts() });
  const browser = await launchBrowser({ scale: 2, screen: [960, 540] });
  try {
    const { page, errors, consoleText } = await openPage(browser, { width: 960, height: 540 }, 2);
    onFailure(consoleText);
    await page.goto(`${server.url}index.html?fixed=10&sharp`);
    await waitForState(page, ['running'], 60000);
    check('?sharp shows the toggle pressed', (await page.getAttribute('#sharp', 'aria-pressed')) === 'true');
    const differences = [];
    for (const [i, t] of times.entries()) {
      if (i === 1) {
        await page.click('#sharp');
        check('the toggle turns the sharp mode off', (await page.getAttribute('#sharp', 'aria-pressed')) === 'false');
      }
      const got = await page.evaluate((s) => window.elka.frameAt(s), t);
      const size = i === 0 ? '1440x1080' : '800x600';
      check(`the frame at ${t} s is drawn at ${size}`, `${got.width}x${got.height}` === size, `${got.width} x ${got.height}`);
      const shot = decodePng(await screenshot(page, { hide: overlays }));
      check('the screenshot has the canvas\'s 1920 x 1080 device pixels', shot.width === 1920 && shot.height === 1080,
            `${shot.width} x ${shot.height}`);
      differences.push(difference(area(shot), area(readPng(join(work, `still-${t}.png`)))));
    }
    const [sharp, scaled] = differences;
    console.log(`page: the 4:3 area against the capture's 1440 x 1080 still: ${sharp.mean.toFixed(3)}/255 sharp ` +
                `(${(sharp.share * 100).toFixed(2)} % off by more than 24), ${scaled.mean.toFixed(3)}/255 scaled up ` +
                `(${(scaled.share * 100).toFixed(2)} %)`);
    check('the sharp screen is the still drawn at its device pixels', sharp.mean <= 1 && sharp.share <= 0.005,
          JSON.stringify(sharp));
    check('the scaled-up screen strays from it by far more',
          scaled.mean >= 5 * sharp.mean + 0.05 && scaled.share >= 10 * sharp.share,
          `${JSON.stringify(scaled)} against ${JSON.stringify(sharp)}`);
    const errs = await errors();
    check('no console error', errs.length === 0, errs.join('; '));
  } finally {
    await browser.close();
    await server.close();
  }
});
