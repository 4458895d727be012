// The page offline and installable: on its first visit the service worker
// keeps the page's files and the media (each fetched from the server once);
// with the server gone and the browser offline, a reload plays the same
// frames as elka-capture; Chromium finds no installability error in the
// manifest; a new build's worker replaces the page's files it kept and
// keeps the same media.
// usage: node page_offline.mjs OUT-WEB-DIR BUILD-DIR
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

import { launchPlaywrightProfile, watch, wrapPage } from './lib/engines/chromium.mjs';
import { runCapture } from './lib/capture.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { waitForState } from './lib/elka.mjs';
import { difference } from './lib/pictures.mjs';
import { pictureFromFrame, readPng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const fps = 10;
const times = [3, 41.9]; // the start picture; the honeycomb over the tunnel
const work = mkdtempSync(join(tmpdir(), 'elka-web-offline-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));
// A copy of the page to serve, so that a "new build" can be made of it.
const served = join(work, 'web');
cpSync(web, served, { recursive: true });
const media = ['load.bmp', 'tunnel.bmp', 'star.bmp', 'font.ttf', 'song.mp3'];

const kept = (page) => page.evaluate(async () => {
  const names = await caches.keys();
  const files = {};
  for (const name of names)
    files[name] = (await (await caches.open(name)).keys()).map((r) => new URL(r.url).pathname);
  return files;
});

async function framesMatch(page, stills, when) {
  for (const t of times) {
    const got = pictureFromFrame(await page.evaluate((s) => window.elka.frameAt(s), t));
    const d = difference(got, stills[t]);
    check(`${when}: the frame at ${t} s matches the capture's`, d.mean <= 2, `MAD ${d.mean.toFixed(3)}/255`);
  }
}

await runTest('page_offline', async () => {
  await runCapture(build, ['--fps', String(fps), '--size', '800x600',
                           ...times.flatMap((t) => ['--still', `${t}=${join(work, `still-${t}.png`)}`])]);
  const stills = Object.fromEntries(times.map((t) => [t, readPng(join(work, `still-${t}.png`))]));
  const server = await startServer(served);
  const url = `${server.url}index.html?fixed=${fps}`;
  const context = await launchPlaywrightProfile(join(work, 'profile'), { viewport: { width: 1024, height: 768 } });
  const page = context.pages()[0] || await context.newPage();
  const { errors, consoleText } = watch(page);
  const driven = wrapPage(context, page); // as the engine layer drives it, for waitForState
  try {
    onFailure(consoleText);
    await page.goto(url);
    await waitForState(driven, ['running'], 60000);
    check('the service worker controls the page before the media come',
          (await page.evaluate(() => window.elka.offline)) === 'controlled');
    await framesMatch(page, stills, 'first visit');
    const first = await kept(page);
    const names = Object.keys(first).sort();
    check('two caches, the media\'s and the page\'s, each named after what it holds',
          names.length === 2 && /^elka-media-[0-9a-f]{16}$/.test(names[0]) && /^elka-page-[0-9a-f]{16}$/.test(names[1]),
          JSON.stringify(names));
    const files = Object.values(first).flat();
    const wanted = ['/', '/index.html', '/page.js', '/elka.js', '/elka.wasm', '/elka.webmanifest',
                    '/icons/elka-256.png', ...media.map((m) => `/files/${m}`)];
    const missing = wanted.filter((f) => !files.includes(f));
    check('they keep the page\'s files and the media', missing.length === 0, `missing ${missing.join(', ')}`);
    const fetches = (m) => server.requests.filter((r) => r === `/files/${m}`).length;
    const fetchedTwice = media.filter((m) => fetches(m) !== 1);
    check('each medium came from the server once', fetchedTwice.length === 0,
          fetchedTwice.map((m) => `${m}: ${fetches(m)}`).join(', '));

    const cdp = await context.newCDPSession(page);
    const manifest = await cdp.send('Page.getAppManifest');
    check('the manifest parses without errors', manifest.errors.length === 0 && /"name": "eLka"/.test(manifest.data),
          JSON.stringify(manifest.errors));
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    check('Chromium finds no installability error', installabilityErrors.length === 0,
          JSON.stringify(installabilityErrors));

    // A new build of the page's files with the same media: its worker
    // takes over at the next visit, drops the old page cache and keeps the
    // media's.
    const worker = join(served, 'sw.js');
    const text = readFileSync(worker, 'utf8');
    const stamp = /elka-page-([0-9a-f]{16})/.exec(text)[1];
    const newStamp = stamp.replace(/./g, (c) => (c === 'f' ? '0' : 'f'));
    writeFileSync(worker, text.replace(stamp, newStamp));
    const mediaName = names[0];
    const before = server.requests.length;
    await page.goto(url);
    await waitForState(driven, ['running'], 60000);
    // The browser looks for a new worker after a navigation, in its own
    // time; asked here, as a page may ask, it looks now.
    await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
    const taken = JSON.stringify([mediaName, `elka-page-${newStamp}`]);
    let now = null;
    for (const until = Date.now() + 120000; Date.now() < until && now !== taken;)
      now = await page.evaluate(async () => JSON.stringify((await caches.keys()).sort()));
    check('the new build\'s worker keeps its own page files and the same media', now === taken, now);
    const again = server.requests.slice(before).filter((r) => r.startsWith('/files/'));
    check('the media are not fetched again for it', again.length === 0, again.join(', '));

    // Offline: no server at all, and the browser told so.
    await server.close();
    await context.setOffline(true);
    await page.goto(url);
    await waitForState(driven, ['running'], 60000);
    await framesMatch(page, stills, 'offline');
    check('no console error', errors.length === 0, errors.join('\n  '));
  } finally {
    await context.close();
    await server.close();
  }
});
