// The page's side: loading it, waiting on window.elka, reading its canvas.
import { can, screenshot } from './browser.mjs';
import { decodePng } from './png.mjs';

// Waits until window.elka.state is one of the states, or the demo ended
// when that was not among them (an error then, with the status line).
export async function waitForState(page, states, timeout) {
  let reached = null;
  try {
    reached = await page.waitForFunction((wanted) => {
      const e = window.elka;
      return e && (wanted.includes(e.state) || e.state === 'ended') && e.state;
    }, states, timeout);
  } catch (e) {
    reached = null;
  }
  if (reached && states.includes(reached))
    return;
  const now = await page.evaluate(() => window.elka && { state: window.elka.state, exitStatus: window.elka.exitStatus,
                                                         status: window.elka.status });
  throw new Error(`state ${states.join(' or ')} not reached${reached ? '' : ` in ${timeout} ms`}: ${JSON.stringify(now)}`);
}

// Loads the page, starts it with a click and waits for the frame loop's
// first read of its clock.
export async function startRunning(page, url) {
  await page.goto(url);
  await waitForState(page, ['waiting'], 60000);
  await page.click('#start');
  await waitForState(page, ['running'], 60000);
  await page.waitForFunction(() => window.elka.clock.reads.length > 0, null, 60000);
}

export async function elkaState(page) {
  return page.evaluate(() => {
    const e = window.elka;
    return e && { state: e.state, exitStatus: e.exitStatus, fixedRate: e.fixedRate, status: e.status,
                  sound: e.sound && { ...e.sound }, dialogs: e.dialogs && e.dialogs.map((d) => ({ ...d })) };
  });
}

// The demo's canvas (the last one the page made: after the end it keeps the
// last frame) as a picture, taken from the screen as a viewer sees it;
// elements named in hide are hidden for the shot.
export async function canvasShot(page, { hide = [] } = {}) {
  return decodePng(await screenshot(page, { selector: '#stage canvas', hide }));
}

// Takes canvas shots until test(picture) holds; returns that picture.
export async function waitForPicture(page, test, timeout, options = {}) {
  const until = Date.now() + timeout;
  let last = null;
  while (Date.now() < until) {
    last = await canvasShot(page, options);
    if (test(last))
      return last;
  }
  const error = new Error(`the canvas did not show it within ${timeout} ms`);
  error.picture = last;
  throw error;
}

// Holds a key down until the page has seen it take effect (done, a function
// of the page, holds): the frame loop reads keys between frames, as on the
// desktop, so a press and release sent together could come and go unseen.
export async function press(page, key, done, timeout = 120000) {
  await page.keyDown(key);
  try {
    await page.waitForFunction(done, null, timeout);
  } finally {
    await page.keyUp(key);
  }
}

// Escape until the run has ended: in the browser's fullscreen the browser
// may take the first Escape to leave it (Firefox and WebKitGTK do, headless
// Chromium gives it to the page); the next one is the page's. Each press
// is held until it has done one or the other (Firefox's own is let go at
// once: it leaves its fullscreen on the release). A press that did neither
// is tried once more: Firefox on a loaded machine now and then takes an
// Escape in its fullscreen and stays there (what each press found is
// said). Gives what each press did.
export async function escapeToEnd(page) {
  const presses = [];
  const lost = () => presses.filter((p) => p.startsWith('did nothing')).length;
  while (presses.length < 3) {
    const full = await page.evaluate(() => !!document.fullscreenElement);
    await page.keyDown('Escape');
    // Firefox acts on the release: held, it would do nothing until the wait's limit.
    const held = !(full && can().leavesFullscreenOnEscapeUp);
    if (!held)
      await page.keyUp('Escape');
    try {
      await page.waitForFunction((wasFull) => elka.state === 'ended' || (wasFull && !document.fullscreenElement), full, 60000);
    } catch {
      // said by what the press did: nothing
    } finally {
      if (held)
        await page.keyUp('Escape');
    }
    const now = await page.evaluate(() => ({ ended: elka.state === 'ended', full: !!document.fullscreenElement }));
    presses.push(now.ended ? 'ended the run' : full && !now.full ? 'left the fullscreen'
                 : `did nothing (fullscreen ${full ? 'before' : 'not before'}, ${now.full ? 'after' : 'not after'})`);
    if (now.ended || lost() > 1)
      break;
  }
  return presses;
}

// Whether the presses ended the run as a viewer sees it: at once, or after
// one that left the browser's fullscreen, with at most one press lost.
export const escapeEnded = (presses) => {
  const kept = presses.filter((p) => !p.startsWith('did nothing'));
  return presses.length - kept.length <= 1 &&
    (kept.join(', ') === 'ended the run' || kept.join(', ') === 'left the fullscreen, ended the run');
};

