// The page's fixed-rate frames as digests: one line "scene frame sha256" per
// scene, the frame from the middle of the scene, 800 x 600 at 10 frames a
// second, the digest taken over the frame's RGBA bytes as the page gives them.
// usage: node page_digests.mjs WEB-DIR CHAPTERS-TSV
import { createHash } from 'node:crypto';
import { readFileSync } from 'node:fs';

import { launchBrowser, openPage } from '../../tests/web/lib/browser.mjs';
import { parseChapters, secondsOfFrame } from '../../tests/web/lib/chapters.mjs';
import { waitForState } from '../../tests/web/lib/elka.mjs';
import { startServer } from '../../tests/web/lib/server.mjs';

const [web, chaptersFile] = process.argv.slice(2);
const fps = 10;
const chapters = parseChapters(readFileSync(chaptersFile, 'utf8'));
const server = await startServer(web);
const browser = await launchBrowser();
try {
  const { page } = await openPage(browser);
  await page.goto(`${server.url}index.html?fixed=${fps}`);
  await waitForState(page, ['running'], 60000);
  for (const scene of chapters.scenes) {
    const frame = Math.floor((scene.first + scene.next) / 2);
    const got = await page.evaluate((s) => window.elka.frameAt(s), secondsOfFrame(frame, fps));
    const digest = createHash('sha256').update(Buffer.from(got.rgba, 'base64')).digest('hex');
    console.log(`${scene.scene} ${got.frame} ${got.width}x${got.height} ${digest}`);
  }
} finally {
  await browser.close();
  await server.close();
}
