// The page on a phone (a touch screen of 412 x 915 CSS pixels at device
// scale 2.625, as Chromium emulates one): the status line tells the media's
// download in bytes, then "Ready."; the button says "tap to start" and a
// hint asks to turn the phone while it is held upright (turned, the waiting
// picture is drawn at its new size); the tap starts the
// demo, whose 4:3 picture stands in the middle of the upright screen; the
// on-screen controls come with a tap, fade while watching, and do what F1
// and Escape do (a tap on them faded only brings them back); a tap on the
// picture shows them, the next one pauses.
// usage: node page_phone.mjs OUT-WEB-DIR BUILD-DIR
import { statSync } from 'node:fs';
import { join, resolve } from 'node:path';

import { launchPlaywright, watch, wrapPage } from './lib/engines/chromium.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { elkaState, waitForState } from './lib/elka.mjs';
import { bbox, share } from './lib/pictures.mjs';
import { decodePng } from './lib/png.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const media = ['load.bmp', 'tunnel.bmp', 'star.bmp', 'font.ttf', 'song.mp3'];
const mediaBytes = media.reduce((sum, name) => sum + statSync(join(web, 'files', name)).size, 0);
const phone = { viewport: { width: 412, height: 915 }, scale: 2.625 };
const overlays = '#start, #end, #status, #controls, #player { visibility: hidden !important; }';

const visible = (page, selector) => page.locator(selector).isVisible();
const controlsShown = (page) => page.evaluate(() => document.getElementById('controls').classList.contains('shown'));

// Screenshots until the intro's white scene fills the middle of the screen.
async function whiteScene(page) {
  const until = Date.now() + 120000;
  for (;;) {
    const shot = decodePng(await page.screenshot({ style: overlays }));
    const middle = [shot.width / 2 - 8, shot.height / 2 - 8, shot.width / 2 + 8, shot.height / 2 + 8];
    if (share(shot, middle, 'white') === 1 || Date.now() > until)
      return shot;
  }
}

await runTest('page_phone', async () => {
  const server = await startServer(web);
  const browser = await launchPlaywright();
  try {
    const context = await browser.newContext({ viewport: phone.viewport, deviceScaleFactor: phone.scale,
                                               isMobile: true, hasTouch: true });
    const page = await context.newPage();
    const { errors, consoleText } = watch(page);
    const driven = wrapPage(context, page); // as the engine layer drives it, for waitForState
    onFailure(consoleText);
    // Every text the status line shows, from the first.
    await page.addInitScript(() => {
      window.statusTexts = [];
      new MutationObserver(() => {
        const line = document.getElementById('status');
        if (line && window.statusTexts[window.statusTexts.length - 1] !== line.textContent)
          window.statusTexts.push(line.textContent);
      }).observe(document, { subtree: true, childList: true, characterData: true });
    });
    await page.goto(`${server.url}index.html`);
    await waitForState(driven, ['waiting'], 60000);

    const texts = await page.evaluate(() => window.statusTexts);
    const loading = texts.map((t) => /^Loading: ([0-9.]+) of ([0-9.]+) MB$/.exec(t)).filter((m) => m);
    const total = (mediaBytes / 1e6).toFixed(1);
    check('the download is told in bytes of the media\'s whole size',
          loading.length >= 2 && loading.every((m) => m[2] === total) && loading[loading.length - 1][1] === total,
          `${loading.length} progress lines of ${total} MB: ${JSON.stringify(texts.slice(0, 6))}...`);
    const amounts = loading.map((m) => Number(m[1]));
    check('the bytes only grow, from less than the whole',
          amounts.every((a, i) => i === 0 || a >= amounts[i - 1]) && amounts[0] < Number(total), JSON.stringify(amounts));
    const state = await elkaState(page);
    check('while it waits for the tap the status line says so', state.status === 'Ready.' &&
          (await page.locator('#status').innerText()).trim() === 'Ready.', JSON.stringify(state.status));
    check('the button says "tap to start"', (await page.locator('#start button').innerText()) === 'tap to start');
    check('upright, the page hints to turn the phone', await visible(page, '#turn'));
    await page.setViewportSize({ width: phone.viewport.height, height: phone.viewport.width });
    check('sideways, no hint', !(await visible(page, '#turn')));
    // The picture waiting for the tap is drawn again only for such a change:
    // the canvas takes its new size with the next frame.
    const sideways = Math.round(phone.viewport.height * phone.scale);
    const turned = await page.waitForFunction((width) => document.querySelector('#elka-canvas').width === width,
                                              sideways, { timeout: 60000 }).then(() => true, () => false);
    check('turned while it waits, the start picture is drawn at the new size', turned,
          `the canvas is ${await page.evaluate(() => document.querySelector('#elka-canvas').width)} wide, not ${sideways}`);
    await page.setViewportSize(phone.viewport);

    await page.tap('#start button');
    await waitForState(driven, ['running'], 120000);
    // The controls: shown by the tap, faded a while after it.
    check('the tap shows the controls, with "window" and "stop"', await controlsShown(page) &&
          await visible(page, '#fullscreen') && (await page.locator('#fullscreen').innerText()) === 'window' &&
          await visible(page, '#stop'));
    const canvas = await page.evaluate(() => {
      const c = document.querySelector('#elka-canvas');
      return [c.width, c.height];
    });
    check('the canvas has the phone\'s device pixels', canvas.join('x') === '1082x2402', canvas.join(' x '));
    const shot = await whiteScene(page);
    const lit = bbox(shot, 'white');
    // 1082 x 811.5 of the screen's 1082 x 2402: device rows 795..1607.
    check('the white intro scene stands 4:3 in the middle of the upright screen',
          lit && Math.abs(lit[1] - 795) <= 3 && Math.abs(lit[3] - 1607) <= 3 && lit[0] <= 1 && lit[2] >= shot.width - 1,
          `white box ${lit && lit.join(' ')} of ${shot.width} x ${shot.height}`);
    check('black above and below it', share(shot, [0, 0, shot.width, 790], 'black') === 1 &&
          share(shot, [0, 1612, shot.width, shot.height], 'black') === 1);

    await page.waitForFunction(() => !document.getElementById('controls').classList.contains('shown'), null,
                               { timeout: 120000 });
    check('the controls fade while the demo is watched', true);
    await page.tap('#stop');
    check('a tap on the faded "stop" only shows the controls again',
          await controlsShown(page) && (await elkaState(page)).state === 'running');

    await page.tap('#fullscreen');
    await page.waitForFunction(() => document.title === 'elite pAxo', null, { timeout: 120000 });
    let w = await page.evaluate(() => ({ kind: document.querySelector('#elka-canvas').className,
                                         fullscreen: !!document.fullscreenElement }));
    check('"window" does what F1 does: the 640 x 480 window, out of fullscreen',
          w.kind === 'windowed' && !w.fullscreen, JSON.stringify(w));
    check('and the control now offers "fullscreen"', (await page.locator('#fullscreen').innerText()) === 'fullscreen');
    await page.tap('#fullscreen');
    await page.waitForFunction(() => document.querySelector('#elka-canvas.fullscreen') !== null, null, { timeout: 120000 });
    w = await page.evaluate(() => ({ fullscreen: !!document.fullscreenElement, title: document.title }));
    check('"fullscreen" does what F1 does again', w.fullscreen, JSON.stringify(w));
    const frames = await page.evaluate(() => elka.frames);
    await page.waitForFunction((n) => elka.frames > n + 10, frames, { timeout: 120000 });
    check('the sequence goes on after the toggles', true);

    // A tap on the picture, as on a video: with the controls faded it only
    // shows them, the next one pauses; the play button plays on.
    await page.waitForFunction(() => !document.getElementById('controls').classList.contains('shown'), null,
                               { timeout: 120000 });
    const placed = await page.evaluate(() => [elka.player.placed, elka.frames]);
    await page.tap('#elka-canvas');
    await page.waitForFunction((n) => elka.frames > n + 3, placed[1], { timeout: 120000 });
    check('a tap on the picture with the controls faded only shows them', await controlsShown(page) &&
          (await page.evaluate(() => [elka.player.placed, elka.player.paused]))[0] === placed[0]);
    await page.tap('#elka-canvas');
    await page.waitForFunction(() => elka.player.paused, null, { timeout: 120000 });
    check('the next tap pauses', true);
    await page.tap('#play');
    await page.waitForFunction(() => !elka.player.paused, null, { timeout: 120000 });
    check('the play button plays on', true);
    await page.tap('#stop');
    await waitForState(driven, ['ended'], 120000);
    check('"stop" ends the run as Escape does, with status 0', (await elkaState(page)).exitStatus === 0);
    check('"play again" is offered and the controls for the run are gone',
          await visible(page, '#again') && !(await visible(page, '#stop')) && !(await visible(page, '#fullscreen')));
    check('no console or page error', errors.length === 0, errors.join('; '));
  } finally {
    await browser.close();
    await server.close();
  }
});
