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
  await waitFor(`Xvfb on ${display} answering`, answers, 10000);
  return { display, close: () => endOwned(child) };
}
