// The page played as a viewer plays it, for the sync rig: a browser on the
// rig's screen and sound server (DISPLAY and PULSE_SERVER as given), its
// window over the whole screen, the page served with the click track in
// place of its song, started with a click; it says "running" when the
// demo runs and "ended" when it ended (or, with UNTIL, once the sequence is
// UNTIL seconds in), and closes the browser. With ELKA_SYNC_FRAMES=FILE it
// writes there when the browser told it showed its long frames (Long
// Animation Frames, Chromium) and the page's last reads of its clock.
// With ELKA_SYNC_PAGE=reference it plays the rig's reference on a page
// instead (page_reference.html), to tell the browser's own offset.
// usage: ELKA_ENGINE=chromium|firefox node page_player.mjs OUT-WEB-DIR SONG.mp3 WIDTH HEIGHT [UNTIL]
import { readFileSync, writeFileSync } from 'node:fs';

import { requirePackage } from '../web/lib/root.mjs';
import { startServer } from '../web/lib/server.mjs';

const [web, song, width, height, untilArg] = process.argv.slice(2);
const untilSeconds = Number(untilArg) || 0; // 0: to the end
const engine = process.env.ELKA_ENGINE || 'chromium';
const say = (line) => process.stdout.write(`${line}\n`);

async function launch() {
  const size = `--window-size=${width},${height}`;
  if (engine === 'chromium') {
    const { chromium } = requirePackage('playwright-core');
    // playwright mutes a browser's sound unless told not to.
    const browser = await chromium.launch({
      executablePath: '/usr/bin/chromium', headless: false, env: process.env,
      ignoreDefaultArgs: ['--mute-audio'],
      args: ['--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
             '--ignore-gpu-blocklist', '--kiosk', '--window-position=0,0', size],
    });
    const context = await browser.newContext({ viewport: null });
    const page = await context.newPage();
    return { page, click: (s) => page.click(s), close: () => browser.close() };
  }
  if (engine === 'firefox') {
    const puppeteer = requirePackage('puppeteer-core');
    const browser = await puppeteer.launch({
      browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false, env: process.env,
      handleSIGINT: false, defaultViewport: null, args: ['--kiosk', `--width=${width}`, `--height=${height}`],
      extraPrefsFirefox: { 'media.autoplay.default': 0 },
    });
    const page = (await browser.pages())[0] || await browser.newPage();
    return { page, click: (s) => page.click(s), close: () => browser.close() };
  }
  throw new Error(`ELKA_ENGINE: chromium or firefox, not ${engine}`);
}

const server = await startServer(web);
const reference = process.env.ELKA_SYNC_PAGE === 'reference';
if (!reference)
  server.answer('/files/song.mp3', { status: 200, contentType: 'audio/mpeg', body: readFileSync(song) });
server.answer('/reference.html', { status: 200, contentType: 'text/html; charset=utf-8',
                                   body: readFileSync(new URL('page_reference.html', import.meta.url)) });
let browser;
try {
  browser = await launch();
  const { page } = browser;
  if (process.env.ELKA_SYNC_FRAMES)
    await page.addInitScript(() => {
      // [start, render start, paint, presentation, duration] (ms)
      window.__frames = [];
      try {
        new PerformanceObserver((l) => {
          for (const e of l.getEntries())
            window.__frames.push([e.startTime, e.renderStart, e.paintTime, e.presentationTime, e.duration]);
        }).observe({ type: 'long-animation-frame', buffered: true });
      } catch (e) { /* not in this engine */ }
    });
  await page.goto(`${server.url}${reference ? 'reference.html' : 'index.html'}`);
  const state = () => page.evaluate((until) => window.elka && (until > 0 && window.elka.state === 'running' &&
    window.elka.player && window.elka.player.seconds >= until ? 'ended' : window.elka.state), untilSeconds);
  const until = async (wanted, seconds) => {
    const end = Date.now() + seconds * 1000;
    for (;;) {
      const now = await state();
      if (wanted.includes(now))
        return now;
      if (now === 'ended' || Date.now() > end)
        throw new Error(`state ${wanted} not reached: ${now}`);
      await new Promise((r) => setTimeout(r, 50));
    }
  };
  await until(['waiting'], 120);
  await browser.click('#start');
  await until(['running'], 60);
  say(`running ${Date.now() / 1000}`);
  // A stopped browser answers late; the wait is a limit on a hang.
  await until(['ended'], 600);
  say('ended');
  if (process.env.ELKA_SYNC_FRAMES) {
    const told = await page.evaluate(() => ({ frames: window.__frames, reads: window.elka.clock.reads }));
    writeFileSync(process.env.ELKA_SYNC_FRAMES, JSON.stringify(told));
  }
} finally {
  if (browser)
    await browser.close().catch(() => {});
  await server.close();
}
