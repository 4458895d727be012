// Debian's Chromium, headless, driven by playwright-core, with WebGL 2 on
// a software renderer; and a page whose console errors are collected.
import { requirePackage } from './root.mjs';

const { chromium } = requirePackage('playwright-core');

// ANGLE over SwiftShader's Vulkan is what headless Chromium picks here by
// itself; the flags make that choice explicit. ELKA_WEB_GL=llvmpipe puts
// ANGLE on Mesa's EGL instead (llvmpipe, the native capture's rasterizer).
const renderers = {
  swiftshader: ['--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  llvmpipe: ['--use-gl=angle', '--use-angle=gl-egl'],
};

export function rendererName() { return process.env.ELKA_WEB_GL || 'swiftshader'; }

export async function launchBrowser(extraFlags = []) {
  return chromium.launch(launchOptions(extraFlags));
}

function launchOptions(extraFlags) {
  const flags = renderers[rendererName()];
  if (!flags)
    throw new Error(`ELKA_WEB_GL: one of ${Object.keys(renderers).join(', ')}, not ${rendererName()}`);
  return {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', ...flags, '--ignore-gpu-blocklist', ...extraFlags],
  };
}

// A new page that records every console message and every uncaught error;
// more is the context's other options (a phone's touch, say).
export async function openPage(browser, viewport = { width: 1024, height: 768 }, deviceScaleFactor = 1, more = {}) {
  const context = await browser.newContext({ viewport, deviceScaleFactor, ...more });
  return watchPage(context, await context.newPage());
}

// The page of a browser with a profile of its own in the folder (not an
// incognito context, as openPage's are), watched as openPage's.
export async function openPersistentPage(folder, viewport = { width: 1024, height: 768 }) {
  const context = await chromium.launchPersistentContext(folder, { ...launchOptions([]), viewport });
  return watchPage(context, context.pages()[0] || await context.newPage());
}

function watchPage(context, page) {
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
  return { context, page, messages, errors, consoleText };
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
