// A browser stalled as a busy or suspended machine stalls it: every process
// of the browser this test started (the browser and all it started:
// renderers, GPU, audio) stopped with SIGSTOP and continued with SIGCONT.
// Only this test's own descendants are looked at.
import { readFileSync, readdirSync, readlinkSync } from 'node:fs';
import { basename } from 'node:path';

function processTable() {
  const table = [];
  for (const name of readdirSync('/proc')) {
    if (!/^[0-9]+$/.test(name))
      continue;
    try {
      // The parent is the 4th field, after the name in parentheses.
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const parent = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      let exe = '';
      try {
        exe = basename(readlinkSync(`/proc/${name}/exe`));
      } catch {
        // a process of another user, or gone
      }
      table.push({ pid: Number(name), parent, exe });
    } catch {
      // gone meanwhile
    }
  }
  return table;
}

function descendants(table, roots) {
  const found = new Set(roots);
  for (let grown = true; grown;) {
    grown = false;
    for (const p of table)
      if (!found.has(p.pid) && found.has(p.parent)) {
        found.add(p.pid);
        grown = true;
      }
  }
  return [...found];
}

// The browser's processes: those of this test's descendants whose program
// matches exe (a RegExp of the file name), and everything below them.
export function browserProcesses(exe) {
  const table = processTable();
  const mine = new Set(descendants(table, [process.pid]));
  const roots = table.filter((p) => mine.has(p.pid) && p.pid !== process.pid && exe.test(p.exe)).map((p) => p.pid);
  return descendants(table, roots);
}

// Stops them for ms milliseconds (a stall's length, not a wait on
// anything); returns what was stopped and when, as wall times (ms since
// the epoch, as performance.timeOrigin + performance.now()).
export async function stallProcesses(pids, ms) {
  const signal = (s) => {
    for (const pid of pids)
      try {
        process.kill(pid, s);
      } catch {
        // gone
      }
  };
  const stoppedAt = performance.timeOrigin + performance.now();
  signal('SIGSTOP');
  try {
    await new Promise((resolve) => setTimeout(resolve, ms));
  } finally {
    signal('SIGCONT');
  }
  return { pids, stoppedAt, continuedAt: performance.timeOrigin + performance.now() };
}
