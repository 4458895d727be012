// The page's window as the viewer handles it: on a 2x screen the fullscreen
// canvas covers the page and, on the click, the screen (the browser's
// Fullscreen API), the 4:3 frame letterboxed in device pixels, also after
// the page is resized; F1 gives a
// 640 x 480 window ("elite pAxo") of 1280 x 960 device pixels and back;
// a hidden page draws nothing; Escape ends. And a browser without WebGL
// gets the designed boxes. The page's asks for the browser's fullscreen are
// counted (a script of the test's server wraps requestFullscreen), so that
// they are checked also where the engine refuses them.
// usage: node page_window.mjs OUT-WEB-DIR BUILD-DIR
import { join, resolve } from 'node:path';

import { can, engineName, launchBrowser, openPage, pageScripts, screenshot } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { press, waitForState } from './lib/elka.mjs';
import { decodePng } from './lib/png.mjs';
import { bbox, share } from './lib/pictures.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const overlays = ['#start', '#end', '#status', '#controls', '#player'];

// Counts the page's asks for the browser's fullscreen and what came of them.
const countFullscreen = `(() => {
  const asks = (globalThis.elkaTestFullscreen = { asked: 0, granted: 0, refused: 0 });
  const real = Element.prototype.requestFullscreen;
  if (real)
    Element.prototype.requestFullscreen = function (...args) {
      ++asks.asked;
      const answer = real.apply(this, args);
      answer.then(() => ++asks.granted, () => ++asks.refused);
      return answer;
    };
})();`;

const windowOf = (page) =>
  page.evaluate(() => {
    const c = document.querySelector('#elka-canvas');
    return c && { css: [c.clientWidth, c.clientHeight], pixels: [c.width, c.height], kind: c.className,
                  title: document.title, fullscreen: !!document.fullscreenElement };
  });

// Screenshots until the intro's white scene fills the middle of the screen.
async function whiteScene(page) {
  const until = Date.now() + 120000;
  for (;;) {
    const shot = decodePng(await screenshot(page, { hide: overlays }));
    const middle = [shot.width / 2 - 8, shot.height / 2 - 8, shot.width / 2 + 8, shot.height / 2 + 8];
    if (share(shot, middle, 'white') === 1 || Date.now() > until)
      return shot;
  }
}

await runTest('page_window', async () => {
  const server = await startServer(web, { inject: [...pageScripts(), countFullscreen] });
  // Where the browser has a screen, the browser's fullscreen covers it: as
  // large as the page here.
  let browser = await launchBrowser({ scale: 2, screen: [1280, 720] });
  const fullscreen = () => page.evaluate(() => ({ ...globalThis.elkaTestFullscreen }));
  let page;
  try {
    const opened = await openPage(browser, { width: 1280, height: 720 }, 2);
    const { errors, consoleText } = opened;
    page = opened.page;
    onFailure(consoleText);
    await page.goto(`${server.url}index.html`);
    await waitForState(page, ['waiting'], 60000);
    await page.click('#start');
    await waitForState(page, ['running'], 120000);
    // Granted or refused, the answer comes.
    const asks = await page.waitForFunction(() => elkaTestFullscreen.granted + elkaTestFullscreen.refused === 1 &&
                                              elkaTestFullscreen, null, 120000).catch(() => null);
    check('the click asks the browser for fullscreen, once', asks && asks.asked === 1, JSON.stringify(asks || await fullscreen()));
    // A window manager makes a window fullscreen in steps (WebKitGTK's
    // first loses its toolbar, then covers the screen): the canvas follows
    // each, and is looked at once it has settled.
    const settled = () => page.waitForFunction(() => document.querySelector('#elka-canvas').height === 1440, null, 120000)
      .catch(() => {});
    await settled();

    let w = await windowOf(page);
    check('the fullscreen canvas covers the page in device pixels',
          w.kind === 'fullscreen' && w.css.join('x') === '1280x720' && w.pixels.join('x') === '2560x1440',
          JSON.stringify(w));
    if (can().fullscreen)
      check('the click makes the page fullscreen', w.fullscreen, JSON.stringify(w));
    else
      check(`${engineName()} refuses the fullscreen here; the page goes on as the screen`,
            !w.fullscreen && (await fullscreen()).refused === 1 && (await page.evaluate(() => elka.state)) === 'running',
            JSON.stringify(await fullscreen()));
    const shot = await whiteScene(page);
    const lit = bbox(shot, 'white');
    // 960 x 720 of the page's 1280 x 720, centred: device columns 320..2239.
    check('the white intro scene is letterboxed 4:3 in device pixels',
          lit && Math.abs(lit[0] - 320) <= 2 && Math.abs(lit[2] - 2240) <= 2 && lit[1] <= 1 && lit[3] >= shot.height - 1,
          `white box ${lit && lit.join(' ')} of ${shot.width} x ${shot.height}`);
    check('black bars beside it', share(shot, [0, 0, 316, shot.height], 'black') === 1 &&
          share(shot, [2244, 0, shot.width, shot.height], 'black') === 1);

    // A taller page: the canvas follows it, the frame now barred above and below.
    // A window in the browser's fullscreen is not resized: it is left first,
    // as a viewer leaves it.
    await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
    await page.waitForFunction(() => !document.fullscreenElement, null, 120000);
    await page.setViewport(800, 800);
    await page.waitForFunction(() => document.querySelector('#elka-canvas').height === 1600, null, 120000);
    const tall = await whiteScene(page);
    const tallLit = bbox(tall, 'white');
    // 800 x 600 of the page's 800 x 800: device rows 200..1399.
    check('after a resize the frame is letterboxed to the new size',
          tallLit && Math.abs(tallLit[1] - 200) <= 2 && Math.abs(tallLit[3] - 1400) <= 2 && tallLit[0] <= 1 &&
            tallLit[2] >= tall.width - 1,
          `white box ${tallLit && tallLit.join(' ')} of ${tall.width} x ${tall.height}`);
    await page.setViewport(1280, 720);
    await page.waitForFunction(() => document.querySelector('#elka-canvas').height === 1440, null, 120000);
    const before = await fullscreen();

    await press(page, 'F1', () => document.title === 'elite pAxo');
    w = await windowOf(page);
    check('F1 gives a 640 x 480 window of 1280 x 960 device pixels, not fullscreen',
          w.kind === 'windowed' && w.css.join('x') === '640x480' && w.pixels.join('x') === '1280x960' && !w.fullscreen,
          JSON.stringify(w));
    await press(page, 'F1', () => document.querySelector('#elka-canvas.fullscreen') !== null);
    await settled();
    w = await windowOf(page);
    const after = await page.waitForFunction((n) => elkaTestFullscreen.granted + elkaTestFullscreen.refused > n &&
                                               elkaTestFullscreen, before.granted + before.refused, 120000).catch(() => null);
    check('F1 back to fullscreen asks the browser for it again', after && after.asked === before.asked + 1,
          `${JSON.stringify(before)} then ${JSON.stringify(after || await fullscreen())}`);
    if (can().fullscreen)
      check('F1 again gives the fullscreen canvas and the browser\'s fullscreen',
            w.css.join('x') === '1280x720' && w.pixels.join('x') === '2560x1440' &&
              await page.waitForFunction(() => !!document.fullscreenElement, null, 120000).then(() => true, () => false),
            JSON.stringify(w));
    else
      check('F1 again gives the fullscreen canvas', w.css.join('x') === '1280x720' && w.pixels.join('x') === '2560x1440',
            JSON.stringify(w));
    const frames = await page.evaluate(() => elka.frames);
    await page.waitForFunction((n) => elka.frames > n + 10, frames, 120000);
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
    await page.waitForFunction((n) => elka.frames > n + 10, hiddenLater, 120000);
    check('frames again once it is shown', true);

    // A resize and an Escape that reach the page together: the run ends
    // before it draws another frame, and its last frame stays on the
    // canvas, scaled, not the blank canvas of the new size.
    await page.evaluate(() => {
      const c = document.querySelector('#elka-canvas');
      c.style.width = `${c.clientWidth / 2}px`;
      c.style.height = `${c.clientHeight / 2}px`;
      window.dispatchEvent(new Event('resize'));
      window.dispatchEvent(new KeyboardEvent('keydown', { code: 'Escape', key: 'Escape' }));
    });
    await waitForState(page, ['ended'], 120000);
    await page.evaluate(() => window.dispatchEvent(new KeyboardEvent('keyup', { code: 'Escape', key: 'Escape' })));
    check('Escape ends the run with status 0', (await page.evaluate(() => elka.exitStatus)) === 0);
    const last = decodePng(await screenshot(page, { selector: '#stage canvas', hide: overlays }));
    const lastWhite = share(last, [0, 0, last.width, last.height], 'white');
    const lastBlack = share(last, [0, 0, last.width, last.height], 'black');
    check('a resize that came with the Escape leaves the last frame, not a blank canvas',
          lastWhite > 0.2 && lastBlack < 0.99, `white ${lastWhite.toFixed(4)}, black ${lastBlack.toFixed(4)}`);
    check('the page leaves the browser\'s fullscreen at the end',
          await page.waitForFunction(() => !document.fullscreenElement, null, 120000).then(() => true, () => false));
    const errs = await errors();
    check('no console or page error', errs.length === 0, errs.join('; '));
    await browser.close();

    // No WebGL at all: the window code's own boxes, answered OK.
    browser = await launchBrowser({ webgl: false });
    const bare = await openPage(browser);
    onFailure(bare.consoleText);
    await bare.page.goto(`${server.url}index.html`);
    // The boxes one after another, each answered OK, until the run ends.
    const shown = [];
    while (shown.length < 5) {
      await bare.page.waitForFunction(
        // The page's own script comes after its first paint: window.elka may not be there yet.
        (n) => window.elka && ((elka.dialogs.length > n && !!document.querySelector('#elka-dialog[open]')) || elka.state === 'ended'),
        shown.length, 60000);
      if (await bare.page.evaluate(() => elka.state === 'ended'))
        break;
      shown.push(`${await bare.page.innerText('#elka-dialog[open] #elka-dialog-caption')}: ` +
                 `${await bare.page.innerText('#elka-dialog[open] #elka-dialog-text')}`);
      await bare.page.click('#elka-dialog[open] button[data-answer="1"]');
    }
    // As on the desktop when the context cannot be made: the close of the
    // failed window has unregistered the class, the second close says so.
    const expected = ['ERROR: Can\'t Create A GL Rendering Context.', 'SHUTDOWN ERROR: Could Not Unregister Class.',
                      'ERROR: Initialization Failed!'];
    check('without WebGL: the window code\'s boxes, in order', JSON.stringify(shown) === JSON.stringify(expected),
          JSON.stringify(shown));
    await waitForState(bare.page, ['ended'], 120000);
    check('and the run ends with status 0, as the demo returns then',
          (await bare.page.evaluate(() => elka.exitStatus)) === 0);
  } finally {
    await browser.close();
    server.close();
  }
});
