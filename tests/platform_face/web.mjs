// The window system's rules on the page's backend, in the browser (the
// engine ELKA_ENGINE names, Chromium unless set), against the desktop's:
// face_probe's lines, the same line for line. The page (face.html) stands in
// for page.js with as little as the probe needs.
// usage: node web.mjs WEB-PROBE-DIR LINUX-BUILD
import { execFileSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

import { launchBrowser, openPage, pageScripts } from '../web/lib/browser.mjs';
import { check, onFailure, runTest } from '../web/lib/check.mjs';
import { startServer } from '../web/lib/server.mjs';

const [probeDir, linuxBuild] = process.argv.slice(2).map((p) => resolve(p));
const here = dirname(fileURLToPath(import.meta.url));
const limit = 120000; // a hang's limit

await runTest('platform_face.web', async () => {
  const desktopProbe = join(linuxBuild, 'tests/platform_face/face_probe');
  for (const needed of [desktopProbe, join(probeDir, 'face_probe.js'), join(probeDir, 'face_probe.wasm')])
    if (!existsSync(needed))
      throw new Error(`no ${needed}: build the default and web presets`);
  const desktop = execFileSync(desktopProbe, {
    env: { ...process.env, SDL_VIDEODRIVER: 'offscreen', SDL_AUDIODRIVER: 'dummy' }, encoding: 'utf8', timeout: limit,
  }).split('\n').filter((line) => line !== '');
  check('the desktop probe reaches its end', /^probe: end \d+$/.test(desktop.at(-1) || ''), desktop.at(-1));

  const served = mkdtempSync(join(tmpdir(), 'elka-face-'));
  copyFileSync(join(here, 'face.html'), join(served, 'face.html'));
  for (const name of ['face_probe.js', 'face_probe.wasm'])
    copyFileSync(join(probeDir, name), join(served, name));
  const server = await startServer(served, { inject: pageScripts() });
  const browser = await launchBrowser();
  try {
    const { page, errors, consoleText, close } = await openPage(browser);
    onFailure(consoleText);
    await page.goto(`${server.url}face.html`);
    await page.waitForFunction(() => globalThis.probeLines.some((line) => line.startsWith('probe: end ')), undefined, limit);
    const lines = await page.evaluate(() => globalThis.probeLines);
    const differing = [];
    for (let i = 0; i < Math.max(desktop.length, lines.length); ++i)
      if (desktop[i] !== lines[i])
        differing.push(`line ${i + 1}: desktop '${desktop[i] ?? ''}', page '${lines[i] ?? ''}'`);
    check(`the window rules on the page as on the desktop (${lines.length} lines)`, differing.length === 0,
          '\n  ' + differing.slice(0, 12).join('\n  '));
    const pageErrors = await errors();
    check('no errors on the page', pageErrors.length === 0, pageErrors.join('; '));
    await close();
  } finally {
    await browser.close();
    await server.close();
    rmSync(served, { recursive: true, force: true });
  }
});
