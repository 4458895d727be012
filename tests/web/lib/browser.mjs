// The browser engine the page's tests run in, chosen by ELKA_ENGINE:
// chromium (headless, the default), firefox or webkit (each on a screen
// and a sound server of its own). Every engine offers the same browser and
// page (engines/chromium.mjs says what a page can do), so a test is
// written once for all three.
import * as chromium from './engines/chromium.mjs';
import * as firefox from './engines/firefox.mjs';
import * as webkit from './engines/webkit.mjs';

const engines = { chromium, firefox, webkit };

export function engineName() { return process.env.ELKA_ENGINE || 'chromium'; }

function engine() {
  const chosen = engines[engineName()];
  if (!chosen)
    throw new Error(`ELKA_ENGINE: one of ${Object.keys(engines).join(', ')}, not ${engineName()}`);
  return chosen;
}

// What the engine can do here (fullscreen, console and request events).
export const can = () => engine().can;

export const rendererName = chromium.rendererName;

// The scripts the test's server puts in front of the page's own for this
// engine (a console record where the driver has no console).
export const pageScripts = () => (engine().pageScript ? [engine().pageScript] : []);

// options: webgl (false: none at all), scale (the device scale a page will
// have: the display's for WebKitGTK), screen ([width, height] in CSS pixels:
// what the browser's fullscreen covers, where the browser has a screen).
export async function launchBrowser(options = {}) {
  const browser = await engine().launch(options);
  const close = browser.close;
  browser.openPages = new Set();
  // The console of each page still open is read before it goes, for the
  // report of a failure.
  browser.close = async () => {
    for (const page of browser.openPages)
      await page.messages().catch(() => {});
    await close();
  };
  return browser;
}

// A new page of the browser: its console's lines and errors kept (read
// with messages() and errors()), and consoleText for a failure's report.
export async function openPage(browser, viewport = { width: 1024, height: 768 }, deviceScaleFactor = 1) {
  const page = await browser.newPage(viewport, deviceScaleFactor);
  let seen = [];
  const consoleText = (last = 40) =>
    `the page's console (last ${last} lines):\n` + seen.slice(-last).map((m) => `  [${m.type}] ${m.text}`).join('\n');
  // Read while the page is still there, for the report after it.
  const messages = async () => (seen = await page.messages());
  const opened = { messages };
  browser.openPages.add(opened);
  const close = async () => {
    await messages().catch(() => {});
    browser.openPages.delete(opened);
    await page.close();
  };
  return { page, messages, errors: () => page.errors(), consoleText, close };
}

// The WebGL 2 context the browser gives a fresh canvas: version and renderer.
export async function webgl2Info(page) {
  return page.evaluate(() => {
    const gl = document.createElement('canvas').getContext('webgl2');
    if (!gl)
      return null;
    const debug = gl.getExtension('WEBGL_debug_renderer_info');
    return {
      version: gl.getParameter(gl.VERSION),
      renderer: debug ? gl.getParameter(debug.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER),
    };
  });
}

// A picture of the view, or of the last element the selector matches, with
// the elements of hide (selectors) hidden for the shot; a PNG buffer.
export async function screenshot(page, { selector, hide = [] } = {}) {
  if (!hide.length)
    return page.screenshot(selector);
  const css = hide.map((s) => `${s} { visibility: hidden !important; }`).join('\n');
  await page.evaluate((text) => {
    const style = document.createElement('style');
    style.id = 'elka-test-hide';
    style.textContent = text;
    document.head.appendChild(style);
    // Shown once the browser has drawn the page again (WebKitGTK's shot is
    // of the last picture it drew).
    return new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
  }, css);
  try {
    return await page.screenshot(selector);
  } finally {
    await page.evaluate(() => {
      document.getElementById('elka-test-hide').remove();
      return new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
    });
  }
}
