// A private X server (Xvfb) for a browser that needs a screen: on a display
// number Xvfb picks itself, of the asked size in device pixels, ended with
// the test.
import { execFile } from 'node:child_process';

import { endOwned, spawnOwned, waitFor } from './processes.mjs';

export async function startXvfb(width, height) {
  const child = spawnOwned('Xvfb', ['-displayfd', '3', '-screen', '0', `${width}x${height}x24`, '-nolisten', 'tcp',
                                    '-noreset'], { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
  let log = '';
  child.stderr.on('data', (d) => (log += d));
  // The number comes when the server listens.
  const number = await new Promise((resolve, reject) => {
    let text = '';
    child.stdio[3].on('data', (d) => {
      text += d;
      if (text.includes('\n'))
        resolve(text.trim());
    });
    child.exited.then(() => reject(new Error(`Xvfb ended before it listened:\n${log}`)));
  });
  const display = `:${number}`;
  // A client is let in only once the server answers.
  const answers = () => new Promise((resolve) =>
    execFile('xprop', ['-root', '-display', display], (error) => resolve(error ? undefined : true)));
  await waitFor(`Xvfb on ${display} answering`, answers, 120000);
  // No key repeat: a key held down while a busy machine catches up is one
  // press, as on the desktop tests' servers.
  await new Promise((resolve, reject) => execFile('xset', ['-display', display, 'r', 'off'], (error) =>
    (error ? reject(new Error(`xset could not turn the key repeat off on ${display}: ${error.message}`)) : resolve())));
  return { display, close: () => endOwned(child) };
}

// openbox on the display: a window manager, which a fullscreen window needs
// to be made as large as the screen.
export async function startWindowManager(display, env) {
  const child = spawnOwned('openbox', ['--sm-disable'], { env: { ...env, DISPLAY: display }, stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  child.stderr.on('data', (d) => (log += d));
  // Ready once it has announced itself on the root window.
  const announced = () => new Promise((resolve) =>
    execFile('xprop', ['-display', display, '-root', '_NET_SUPPORTING_WM_CHECK'], (error, out) =>
      resolve(!error && out.includes('window id') ? true : undefined)));
  await waitFor('openbox', async () => {
    if (child.exitCode !== null)
      throw new Error(`openbox ended:\n${log}`);
    return announced();
  }, 120000);
  return { close: () => endOwned(child) };
}
