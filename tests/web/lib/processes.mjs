// The processes a test starts (display servers, sound servers, browser
// drivers): each in its own process group, so that ending it ends what it
// started too, and all of them ended when the test's process exits, however
// it exits.
import { spawn } from 'node:child_process';
import { rmSync } from 'node:fs';

const owned = new Set();
const folders = new Set();

process.on('exit', () => {
  for (const child of owned)
    try {
      process.kill(-child.pid, 'SIGKILL');
    } catch {
      // already gone
    }
  for (const folder of folders)
    rmSync(folder, { recursive: true, force: true });
});

// A folder removed when the test's process exits.
export function ownFolder(folder) {
  folders.add(folder);
  return folder;
}

export function spawnOwned(command, args, options = {}) {
  const child = spawn(command, args, { ...options, detached: true });
  owned.add(child);
  child.exited = new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
  child.once('error', () => {}); // seen as its exit
  child.exited.then(() => owned.delete(child));
  return child;
}

// Ends the child's group: SIGTERM, then SIGKILL if it is still there after
// the grace time.
export async function endOwned(child, graceMs = 3000) {
  if (!owned.has(child))
    return;
  const signal = (s) => {
    try {
      process.kill(-child.pid, s);
    } catch {
      // already gone
    }
  };
  signal('SIGTERM');
  let timer;
  const late = new Promise((resolve) => (timer = setTimeout(resolve, graceMs, 'late')));
  if ((await Promise.race([child.exited, late])) === 'late') {
    signal('SIGKILL');
    await child.exited;
  }
  clearTimeout(timer);
  signal('SIGKILL'); // what the leader left behind in its group
}

// Calls probe() until it gives something other than undefined or the time
// is up (then the error says what was waited for).
export async function waitFor(what, probe, timeoutMs) {
  const until = Date.now() + timeoutMs;
  for (;;) {
    const value = await probe();
    if (value !== undefined)
      return value;
    if (Date.now() > until)
      throw new Error(`${what}: not within ${timeoutMs} ms`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}
