// Debian's WebKitGTK: its MiniBrowser driven by WebKitWebDriver (classic
// W3C WebDriver over HTTP), on a screen of its own (Xvfb), its sound to the
// test's own PulseAudio null sink. The display's scale is WebKitGTK's
// device scale (GDK_SCALE), so it is the browser's, not a page's.
import { decodePng, PNG } from '../png.mjs';
import { elementId, keyValues, startDriver } from './webdriver.mjs';
import { startDesktop } from './desktop.mjs';

const miniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// Classic WebDriver has no console, no page errors and no network log: the
// test's server puts pageScript in front of the page's own scripts, and it
// keeps the console's lines and the uncaught errors in the page, where the
// test reads them.
export const can = { fullscreen: true, consoleEvents: false, requestEvents: false };

export const pageScript = `(() => {
  const record = (globalThis.elkaTestConsole = { messages: [], errors: [] });
  const text = (args) => args.map((a) => (a instanceof Error ? a.message : String(a))).join(' ');
  for (const [method, type] of [['log', 'log'], ['info', 'info'], ['warn', 'warning'], ['error', 'error'], ['debug', 'debug']]) {
    const original = console[method].bind(console);
    console[method] = (...args) => {
      record.messages.push({ type, text: text(args) });
      if (type === 'error')
        record.errors.push('console error: ' + text(args));
      original(...args);
    };
  }
  addEventListener('error', (e) => record.errors.push('page error: ' + (e.error ? e.error.message : e.message)));
  addEventListener('unhandledrejection', (e) => record.errors.push('page error: ' + (e.reason && e.reason.message || e.reason)));
})();`;

export async function launch({ webgl = true, scale = 1, screen = [1280, 1024] } = {}) {
  // Without a window manager WebKitGTK's fullscreen is its window without
  // MiniBrowser's toolbar, not the screen.
  const desktop = await startDesktop([screen[0] * scale, screen[1] * scale], { windowManager: true });
  let driver, session;
  try {
    driver = await startDriver('WebKitWebDriver', { ...desktop.env, GDK_SCALE: String(scale) });
    session = await driver.newSession({
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation', ...(webgl ? [] : ['--enable-webgl=false'])] },
    });
  } catch (e) {
    if (driver)
      await driver.close();
    await desktop.close();
    throw e;
  }
  // The demo's frames may take long to come on the software rasteriser.
  await session('POST', '/timeouts', { script: 600000, pageLoad: 120000 });
  const version = `WebKitGTK ${session.capabilities.browserVersion}`;
  let open = false;
  return {
    name: 'webkit',
    description: `${version}'s MiniBrowser on Xvfb (WebKitWebDriver)`,
    version,
    sound: desktop.sound,
    async newPage({ width, height }, pageScale) {
      if (pageScale !== scale)
        throw new Error(`WebKitGTK's device scale is the display's: launch the browser with scale ${pageScale}`);
      if (open)
        throw new Error('one page at a time: close the last one first');
      open = true;
      const page = wrapPage(session, () => (open = false));
      await page.goto('about:blank');
      await page.setViewport(width, height);
      return page;
    },
    async close() {
      await session.end().catch(() => {});
      await driver.close();
      await desktop.close();
    },
  };
}

// fn(arg) in the page, its promise awaited there; the value as JSON.
async function run(session, fn, arg) {
  const script = `const done = arguments[1];
    Promise.resolve().then(() => (${fn})(arguments[0])).then(
      (value) => done({ value: value === undefined ? null : value }),
      (error) => done({ error: String((error && error.stack) || error) }));`;
  const answer = await session('POST', '/execute/async', { script, args: [arg === undefined ? null : arg] });
  if (answer.error)
    throw new Error(`in the page: ${answer.error}`);
  return answer.value;
}

function wrapPage(session, closed) {
  const find = async (selector) => {
    const all = await session('POST', '/elements', { using: 'css selector', value: selector });
    if (!all.length)
      throw new Error(`no element ${selector}`);
    return elementId(all[all.length - 1]);
  };
  const keys = (type, key) => {
    const value = keyValues[key] || key;
    return session('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions: [{ type, value }] }] });
  };
  const page = {
    goto: (url) => session('POST', '/url', { url }),
    evaluate: (fn, arg) => run(session, fn, arg),
    // Polled in the page every 16 ms (a timer, not an animation frame: a
    // hidden page gets none).
    async waitForFunction(fn, arg, timeout) {
      const script = `const [arg, timeout, done] = arguments;
        const test = (${fn});
        const until = Date.now() + timeout;
        const look = () => {
          let value;
          try { value = test(arg); } catch (e) { return done({ error: String(e) }); }
          if (value) return done({ value });
          if (Date.now() > until) return done({ timeout: true });
          setTimeout(look, 16);
        };
        look();`;
      const answer = await session('POST', '/execute/async', { script, args: [arg === undefined ? null : arg, timeout] });
      if (answer.error)
        throw new Error(`in the page: ${answer.error}`);
      if (answer.timeout)
        throw new Error(`waitForFunction: not within ${timeout} ms: ${fn}`);
      return answer.value;
    },
    keyDown: (key) => keys('keyDown', key),
    keyUp: (key) => keys('keyUp', key),
    click: async (selector) => session('POST', `/element/${await find(selector)}/click`, {}),
    isVisible: async (selector) => session('GET', `/element/${await find(selector)}/displayed`),
    innerText: (selector) => run(session, (s) => document.querySelector(s).innerText, selector),
    getAttribute: (selector, name) => run(session, ([s, n]) => document.querySelector(s).getAttribute(n), [selector, name]),
    // An element's shot is the view's, cut to the element: WebKitGTK's own
    // element shot leaves a WebGL canvas black.
    // The shot is of the last picture the browser drew: taken once it has
    // drawn the page as it is now.
    async screenshot(selector) {
      await run(session, () => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
      const view = Buffer.from(await session('GET', '/screenshot'), 'base64');
      if (!selector)
        return view;
      const box = await run(session, (s) => {
        const all = document.querySelectorAll(s);
        if (!all.length)
          return null;
        const r = all[all.length - 1].getBoundingClientRect();
        return [r.left, r.top, r.right, r.bottom].map((v) => Math.round(v * devicePixelRatio));
      }, selector);
      if (!box)
        throw new Error(`no element ${selector}`);
      const picture = decodePng(view);
      const [x0, y0] = [Math.max(0, box[0]), Math.max(0, box[1])];
      const [x1, y1] = [Math.min(picture.width, box[2]), Math.min(picture.height, box[3])];
      const cut = new PNG({ width: x1 - x0, height: y1 - y0 });
      for (let y = y0; y < y1; ++y)
        picture.data.copy(cut.data, (y - y0) * cut.width * 4, (y * picture.width + x0) * 4, (y * picture.width + x1) * 4);
      return PNG.sync.write(cut);
    },
    // The window's size less what MiniBrowser's own frame takes of it.
    async setViewport(width, height) {
      for (let attempt = 0; attempt < 3; ++attempt) {
        const [inner, outer] = await run(session, () => [[innerWidth, innerHeight], [outerWidth, outerHeight]]);
        if (inner[0] === width && inner[1] === height)
          return;
        await session('POST', '/window/rect', { width: width + outer[0] - inner[0], height: height + outer[1] - inner[1] });
      }
      const inner = await run(session, () => [innerWidth, innerHeight]);
      if (inner[0] !== width || inner[1] !== height)
        throw new Error(`MiniBrowser's view is ${inner.join(' x ')}, not ${width} x ${height}`);
    },
    messages: () => run(session, () => (globalThis.elkaTestConsole ? globalThis.elkaTestConsole.messages : [])),
    errors: () => run(session, () => (globalThis.elkaTestConsole ? globalThis.elkaTestConsole.errors : ['no console record in the page'])),
    // What the page fetched, as its resource timing lists it.
    requests: () => run(session, () => performance.getEntriesByType('resource').map((e) => e.name)),
    async close() {
      await session('DELETE', '/actions').catch(() => {});
      await page.goto('about:blank');
      closed();
    },
  };
  return page;
}
