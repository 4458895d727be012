// The page's window as the viewer handles it: on a 2x screen the fullscreen
// canvas covers the page and, on the click, the screen (the browser's
// Fullscreen API), the 4:3 frame letterboxed in device pixels, also after
// the page is resized; F1 gives a
// 640 x 480 window ("elite pAxo") of 1280 x 960 device pixels and back;
// a hidden page draws nothing; Escape ends. And a browser without WebGL
// gets the designed boxes.
// usage: node page_window.mjs OUT-WEB-DIR BUILD-DIR
import { join, resolve } from 'node:path';

import { launchBrowser, openPage } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { waitForState } from './lib/elka.mjs';
import { decodePng } from './lib/png.mjs';
import { bbox, share } from './lib/pictures.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const overlays = '#start, #end, #status, #controls { visibility: hidden !important; }';

const windowOf = (page) =>
  page.evaluate(() => {
    const c = document.querySelector('#elka-canvas');
    return c && { css: [c.clientWidth, c.clientHeight], pixels: [c.width, c.height], kind: c.className,
                  title: document.title, fullscreen: !!document.fullscreenElement };
  });

// Holds a key down until the page has seen it take effect: the frame loop
// reads keys between frames, as on the desktop.
async function press(page, key, done) {
  await page.keyboard.down(key);
  try {
    await page.waitForFunction(done, null, { timeout: 20000 });
  } finally {
    await page.keyboard.up(key);
  }
}

// Screenshots until the intro's white scene fills the middle of the screen.
async function whiteScene(page) {
  const until = Date.now() + 30000;
  for (;;) {
    const shot = decodePng(await page.screenshot({ style: overlays }));
    const middle = [shot.width / 2 - 8, shot.height / 2 - 8, shot.width / 2 + 8, shot.height / 2 + 8];
    if (share(shot, middle, 'white') === 1 || Date.now() > until)
      return shot;
  }
}

await runTest('page_window', async () => {
  const server = await startServer(web);
  let browser = await launchBrowser();
  try {
    const { page, errors, consoleText } = await openPage(browser, { width: 1280, height: 720 }, 2);
    onFailure(consoleText);
    await page.goto(`${server.url}index.html`);
    await waitForState(page, ['waiting'], 60000);
    await page.click('#start');
    await waitForState(page, ['running'], 10000);

    let w = await windowOf(page);
    check('the fullscreen canvas covers the page in device pixels',
          w.kind === 'fullscreen' && w.css.join('x') === '1280x720' && w.pixels.join('x') === '2560x1440',
          JSON.stringify(w));
    check('the click makes the page fullscreen', w.fullscreen, JSON.stringify(w));
    const shot = await whiteScene(page);
    const lit = bbox(shot, 'white');
    // 960 x 720 of the page's 1280 x 720, centred: device columns 320..2239.
    check('the white intro scene is letterboxed 4:3 in device pixels',
          lit && Math.abs(lit[0] - 320) <= 2 && Math.abs(lit[2] - 2240) <= 2 && lit[1] <= 1 && lit[3] >= shot.height - 1,
          `white box ${lit && lit.join(' ')} of ${shot.width} x ${shot.height}`);
    check('black bars beside it', share(shot, [0, 0, 316, shot.height], 'black') === 1 &&
          share(shot, [2244, 0, shot.width, shot.height], 'black') === 1);

    // A taller page: the canvas follows it, the frame now barred above and below.
    await page.setViewportSize({ width: 800, height: 800 });
    await page.waitForFunction(() => document.querySelector('#elka-canvas').height === 1600, null, { timeout: 10000 });
    const tall = await whiteScene(page);
    const tallLit = bbox(tall, 'white');
    // 800 x 600 of the page's 800 x 800: device rows 200..1399.
    check('after a resize the frame is letterboxed to the new size',
          tallLit && Math.abs(tallLit[1] - 200) <= 2 && Math.abs(tallLit[3] - 1400) <= 2 && tallLit[0] <= 1 &&
            tallLit[2] >= tall.width - 1,
          `white box ${tallLit && tallLit.join(' ')} of ${tall.width} x ${tall.height}`);
    await page.setViewportSize({ width: 1280, height: 720 });

    await press(page, 'F1', () => document.title === 'elite pAxo');
    w = await windowOf(page);
    check('F1 gives a 640 x 480 window of 1280 x 960 device pixels, not fullscreen',
          w.kind === 'windowed' && w.css.join('x') === '640x480' && w.pixels.join('x') === '1280x960' && !w.fullscreen,
          JSON.stringify(w));
    await press(page, 'F1', () => document.querySelector('#elka-canvas.fullscreen') !== null);
    w = await windowOf(page);
    check('F1 again gives the fullscreen canvas and the browser\'s fullscreen',
          w.css.join('x') === '1280x720' && w.pixels.join('x') === '2560x1440' && w.fullscreen, JSON.stringify(w));
    const frames = await page.evaluate(() => elka.frames);
    await page.waitForFunction((n) => elka.frames > n + 10, frames, { timeout: 20000 });
    check('the sequence goes on after the toggles', true);

    // A hidden tab is a minimised window. Neither headless Chromium nor a
    // minimised Chromium window on Xvfb reports its page hidden, so the
    // page is told so here, through the same event a browser sends.
    const setHidden = (hidden) => page.evaluate((h) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    const browserFrames = (n) => page.evaluate((count) => new Promise((done) => {
      let seen = 0;
      const tick = () => (++seen >= count ? done() : requestAnimationFrame(tick));
      requestAnimationFrame(tick);
    }), n);
    await setHidden(true);
    await browserFrames(3); // the frame in flight
    const hiddenAt = await page.evaluate(() => elka.frames);
    await browserFrames(30);
    const hiddenLater = await page.evaluate(() => elka.frames);
    check('no frames while the page is hidden, over 30 of the browser\'s', hiddenLater === hiddenAt,
          `${hiddenAt} then ${hiddenLater}`);
    await setHidden(false);
    await page.waitForFunction((n) => elka.frames > n + 10, hiddenLater, { timeout: 20000 });
    check('frames again once it is shown', true);

    await press(page, 'Escape', () => elka.state === 'ended');
    check('Escape ends the run with status 0', (await page.evaluate(() => elka.exitStatus)) === 0);
    check('the page leaves the browser\'s fullscreen at the end',
          await page.waitForFunction(() => !document.fullscreenElement, null, { timeout: 5000 }).then(() => true, () => false));
    check('no console or page error', errors.length === 0, errors.join('; '));
    await browser.close();

    // No WebGL at all: the window code's own boxes, answered OK.
    browser = await launchBrowser(['--disable-webgl']);
    const bare = await openPage(browser);
    onFailure(bare.consoleText);
    await bare.page.goto(`${server.url}index.html`);
    // The boxes one after another, each answered OK, until the run ends.
    const shown = [];
    while (shown.length < 5) {
      const next = await bare.page.waitForFunction(
        (n) => (elka.dialogs.length > n && document.querySelector('#elka-dialog[open]')) || elka.state === 'ended',
        shown.length, { timeout: 60000 });
      if (await bare.page.evaluate(() => elka.state === 'ended'))
        break;
      await next.dispose();
      const box = bare.page.locator('#elka-dialog[open]');
      shown.push(`${await box.locator('#elka-dialog-caption').innerText()}: ${await box.locator('#elka-dialog-text').innerText()}`);
      await box.locator('button[data-answer="1"]').click();
    }
    // As on the desktop when the context cannot be made: the close of the
    // failed window has unregistered the class, the second close says so.
    const expected = ['ERROR: Can\'t Create A GL Rendering Context.', 'SHUTDOWN ERROR: Could Not Unregister Class.',
                      'ERROR: Initialization Failed!'];
    check('without WebGL: the window code\'s boxes, in order', JSON.stringify(shown) === JSON.stringify(expected),
          JSON.stringify(shown));
    await waitForState(bare.page, ['ended'], 10000);
    check('and the run ends with status 0, as the demo returns then',
          (await bare.page.evaluate(() => elka.exitStatus)) === 0);
  } finally {
    await browser.close();
    server.close();
  }
});
