// The native elka-capture, run from the repository's root (it reads files/
// there), offscreen.
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

import { parseChapters } from './chapters.mjs';
import { repoRoot } from './root.mjs';

export function runCapture(buildDir, args) {
  const tool = join(buildDir, 'elka-capture');
  return new Promise((resolve, reject) => {
    const child = spawn(tool, ['--quiet', ...args], {
      cwd: repoRoot,
      env: { ...process.env, SDL_VIDEODRIVER: 'offscreen' },
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let output = '';
    child.stdout.on('data', (d) => (output += d));
    child.stderr.on('data', (d) => (output += d));
    child.on('error', reject);
    child.on('close', (status) => {
      if (status === 0)
        resolve(output);
      else
        reject(new Error(`${tool} ${args.join(' ')}: status ${status}\n${output}`));
    });
  });
}

// The scenes' first frames at the given frame rate.
export async function captureChapters(buildDir, fps, file) {
  await runCapture(buildDir, ['--fps', String(fps), '--size', '160x120', '--chapters', file]);
  return parseChapters(readFileSync(file, 'utf8'));
}
