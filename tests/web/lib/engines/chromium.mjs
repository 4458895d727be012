// Debian's Chromium, headless, driven by playwright-core (the DevTools
// protocol), with WebGL 2 on a software renderer.
import { requirePackage } from '../root.mjs';
import { startDesktop } from './desktop.mjs';

const { chromium } = requirePackage('playwright-core');

// ANGLE over SwiftShader's Vulkan is what headless Chromium picks here by
// itself; the flags make that choice explicit. ELKA_WEB_GL=llvmpipe puts
// ANGLE on Mesa's EGL instead (llvmpipe, the native capture's rasterizer).
const renderers = {
  swiftshader: ['--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  llvmpipe: ['--use-gl=angle', '--use-angle=gl-egl'],
};

export function rendererName() { return process.env.ELKA_WEB_GL || 'swiftshader'; }

// What this engine does here, for the tests that adapt to it.
export const can = { fullscreen: true, consoleEvents: true, requestEvents: true };

function launchOptions(extraFlags = []) {
  const flags = renderers[rendererName()];
  if (!flags)
    throw new Error(`ELKA_WEB_GL: one of ${Object.keys(renderers).join(', ')}, not ${rendererName()}`);
  return {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', ...flags, '--ignore-gpu-blocklist', ...extraFlags],
  };
}

// For the tests of what only Chromium has (a phone's emulation, the
// installability check): playwright's own browser and pages, as launched
// here, with each page's console errors collected by watch.
export const launchPlaywright = () => chromium.launch(launchOptions());
// A browser with a profile of its own in the folder, not an incognito
// context: a page is installable only where the browser can keep it.
export const launchPlaywrightProfile = (folder, contextOptions) =>
  chromium.launchPersistentContext(folder, { ...launchOptions(), ...contextOptions });

export function watch(page) {
  const messages = [];
  const errors = [];
  page.on('console', (m) => {
    messages.push({ type: m.type(), text: m.text() });
    if (m.type() === 'error')
      errors.push(`console error: ${m.text()}${m.location().url ? ` (${m.location().url})` : ''}`);
  });
  page.on('pageerror', (e) => errors.push(`page error: ${e.message}`));
  page.on('crash', () => errors.push('the page crashed'));
  const consoleText = (last = 40) =>
    `the page's console (last ${last} lines):\n` + messages.slice(-last).map((m) => `  [${m.type}] ${m.text}`).join('\n');
  return { messages, errors, consoleText };
}

// sound: on a screen of its own (Xvfb) with its own PulseAudio null sink
// instead of headless, whose sound goes nowhere.
export async function launch({ webgl = true, sound = false, screen = [1280, 1024] } = {}) {
  const desktop = sound ? await startDesktop(screen) : null;
  let browser;
  try {
    // playwright mutes a browser's sound unless told not to.
    browser = await chromium.launch({ ...launchOptions(webgl ? [] : ['--disable-webgl']),
                                      ...(desktop ? { headless: false, env: desktop.env, ignoreDefaultArgs: ['--mute-audio'] } : {}) });
  } catch (e) {
    if (desktop)
      await desktop.close();
    throw e;
  }
  return {
    name: 'chromium',
    description: `${desktop ? 'Chromium on Xvfb' : 'headless Chromium'} ${browser.version()} (${rendererName()})`,
    version: browser.version(),
    sound: desktop ? desktop.sound : undefined,
    async newPage({ width, height }, scale) {
      const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor: scale });
      return wrapPage(context, await context.newPage());
    },
    async close() {
      await browser.close().catch(() => {});
      if (desktop)
        await desktop.close();
    },
  };
}

export function wrapPage(context, page) {
  const { messages, errors } = watch(page);
  const requests = [];
  page.on('request', (r) => requests.push(r.url()));
  return {
    goto: (url) => page.goto(url),
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    waitForFunction: (fn, arg, timeout) => page.waitForFunction(fn, arg, { timeout }).then((h) => h.jsonValue()),
    keyDown: (key) => page.keyboard.down(key),
    keyUp: (key) => page.keyboard.up(key),
    click: (selector) => page.click(selector),
    isVisible: (selector) => page.locator(selector).isVisible(),
    innerText: (selector) => page.locator(selector).innerText(),
    getAttribute: (selector, name) => page.getAttribute(selector, name),
    // The whole view, or the last element the selector matches, in device pixels.
    screenshot: (selector) => (selector ? page.locator(selector).last().screenshot({ animations: 'allow' })
                                        : page.screenshot({ animations: 'allow' })),
    setViewport: (width, height) => page.setViewportSize({ width, height }),
    messages: async () => messages.slice(),
    errors: async () => errors.slice(),
    requests: async () => requests.slice(),
    close: () => context.close(),
  };
}
