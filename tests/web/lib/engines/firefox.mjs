// Debian's Firefox ESR driven by puppeteer-core over WebDriver BiDi, on a
// screen of its own (Xvfb): headless Firefox gets no WebGL 2 here, on Xvfb
// it draws WebGL 2 on Mesa's llvmpipe. Its sound goes to the test's own
// PulseAudio null sink.
import { execFileSync } from 'node:child_process';

import { requirePackage } from '../root.mjs';
import { startDesktop } from './desktop.mjs';

const puppeteer = requirePackage('puppeteer-core');

// Its fullscreen takes Escape for itself and leaves only when the key is
// let go: the page sees neither the press nor the release.
export const can = { fullscreen: true, consoleEvents: true, requestEvents: true, leavesFullscreenOnEscapeUp: true };

// The page's device scale is emulated (WebDriver BiDi's viewport); the
// screen is of CSS pixels at scale 1.
export async function launch({ webgl = true, screen = [1280, 1024] } = {}) {
  // Without a window manager the browser's fullscreen is its window without
  // the toolbars, not the screen.
  const desktop = await startDesktop(screen, { windowManager: true });
  let browser;
  try {
    browser = await puppeteer.launch({
      browser: 'firefox',
      executablePath: '/usr/bin/firefox-esr',
      headless: false,
      env: desktop.env,
      handleSIGINT: false,
      extraPrefsFirefox: {
        'webgl.disabled': !webgl,
        'full-screen-api.transition-duration.enter': '0 0',
        'full-screen-api.transition-duration.leave': '0 0',
        'full-screen-api.warning.timeout': 0,
      },
    });
  } catch (e) {
    await desktop.close();
    throw e;
  }
  const version = execFileSync('/usr/bin/firefox-esr', ['--version'], { encoding: 'utf8' }).trim();
  const first = (await browser.pages())[0];
  return {
    name: 'firefox',
    description: `${version} on Xvfb (WebDriver BiDi)`,
    version,
    sound: desktop.sound,
    async newPage({ width, height }, scale) {
      const page = await browser.newPage();
      await page.setViewport({ width, height, deviceScaleFactor: scale });
      // The page in front has the focus, which the Fullscreen API asks for.
      await page.bringToFront();
      return wrapPage(page);
    },
    async close() {
      await first.close().catch(() => {});
      await browser.close().catch(() => {});
      await desktop.close();
    },
  };
}

const types = { warn: 'warning' };

function wrapPage(page) {
  const messages = [];
  const errors = [];
  const requests = [];
  page.on('console', (m) => {
    const type = types[m.type()] || m.type();
    messages.push({ type, text: m.text() });
    if (type === 'error')
      errors.push(`console error: ${m.text()}`);
  });
  page.on('pageerror', (e) => errors.push(`page error: ${e.message || e}`));
  page.on('error', (e) => errors.push(`the page crashed: ${e.message || e}`));
  page.on('request', (r) => requests.push(r.url()));
  const last = async (selector) => {
    const all = await page.$$(selector);
    if (!all.length)
      throw new Error(`no element ${selector}`);
    return all[all.length - 1];
  };
  // Keys WebDriver BiDi names by what they type.
  const bidiKeys = { Space: ' ', KeyK: 'k', KeyJ: 'j', KeyL: 'l', Digit0: '0' };
  return {
    goto: (url) => page.goto(url),
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    waitForFunction: (fn, arg, timeout) =>
      page.waitForFunction(fn, { timeout, polling: 'raf' }, arg).then((h) => h.jsonValue()),
    keyDown: (key) => page.keyboard.down(bidiKeys[key] || key),
    keyUp: (key) => page.keyboard.up(bidiKeys[key] || key),
    click: (selector) => page.click(selector),
    isVisible: async (selector) => (await last(selector)).isVisible(),
    innerText: (selector) => page.$eval(selector, (e) => e.innerText),
    getAttribute: (selector, name) => page.$eval(selector, (e, n) => e.getAttribute(n), name),
    screenshot: async (selector) => Buffer.from(await (selector ? (await last(selector)).screenshot() : page.screenshot())),
    setViewport: async (width, height) => page.setViewport({ width, height, deviceScaleFactor: page.viewport().deviceScaleFactor }),
    messages: async () => messages.slice(),
    errors: async () => errors.slice(),
    requests: async () => requests.slice(),
    close: () => page.close(),
  };
}
