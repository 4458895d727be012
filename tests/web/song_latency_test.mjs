// How often the page's sound layer asks the browser for its output's
// latency. Firefox answers outputLatency and getOutputTimestamp through its
// sound server until it has a first latency, and such an ask can hang the
// page for good on a busy machine (seen in the page's tests, never on
// demand); so this runs the layer's song clock over a scripted context that
// counts the asks: none before the context's clock reaches the song's
// start, at most one each 250 ms while the latency is not known, no stamp
// asked before it is, and both each frame once it is.
// usage: node tests/web/song_latency_test.mjs
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

import { check, runTest } from './lib/check.mjs';
import { repoRoot } from './lib/root.mjs';

// The library file as Emscripten reads it: one object handed to mergeInto.
function soundLibrary() {
  let library = null;
  const text = readFileSync(join(repoRoot, 'src/platform/web/sound_library.js'), 'utf8');
  new Function('mergeInto', 'LibraryManager', text)((_, object) => (library = object), { library: {} });
  const sound = library.$elkaSound;
  globalThis.elkaSound = sound; // the layer's functions name their object so
  return sound;
}

// A running context whose output tells its latency only from knownAtMs on.
function scriptedContext(knownAtMs) {
  const ctx = { state: 'running', currentTime: 0, baseLatency: 0.005, now: 0, latencyAsks: [], stampAsks: [] };
  Object.defineProperty(ctx, 'outputLatency', {
    get() {
      ctx.latencyAsks.push(ctx.now);
      return ctx.now >= knownAtMs ? 0.04 : 0;
    },
  });
  ctx.getOutputTimestamp = () => {
    ctx.stampAsks.push(ctx.now);
    return { contextTime: Math.max(0, ctx.currentTime - 0.04), performanceTime: ctx.now };
  };
  return ctx;
}

await runTest('song_latency', async () => {
  const sound = soundLibrary();
  const ctx = scriptedContext(1000);
  const entry = { channel: 1, buffer: { duration: 60 }, source: {}, startAt: 0.1 };
  Object.assign(sound, { ctx, song: entry, channels: new Map([[1, entry]]), fixed: false });
  const frameMs = 1000 / 60;
  const epochs = [];
  for (let frame = 0; frame < 120; ++frame) {
    ctx.now = frame * frameMs;
    ctx.currentTime = ctx.now / 1000; // the output's clock keeps pace
    epochs.push(sound.songEpoch(ctx.now));
  }
  const before = (ms) => (t) => t < ms;
  check('no latency asked before the context\'s clock reaches the song\'s start',
        ctx.latencyAsks.length > 0 && ctx.latencyAsks[0] >= 100, JSON.stringify(ctx.latencyAsks.slice(0, 3)));
  const unknown = ctx.latencyAsks.filter(before(1000));
  const gaps = unknown.slice(1).map((t, i) => t - unknown[i]);
  check('while it is not known, at most one ask each 250 ms', unknown.length >= 2 && gaps.every((g) => g >= 250),
        `asked at ${unknown.map((t) => t.toFixed(0)).join(', ')} ms`);
  check('no output stamp asked before the latency is known', ctx.stampAsks.filter(before(1000)).length === 0,
        `first stamp at ${ctx.stampAsks[0]} ms`);
  const known = ctx.latencyAsks.filter((t) => t >= 1000);
  const framesAfter = 120 - Math.ceil(1000 / frameMs);
  check('once known, the latency and the stamp each frame',
        known.length >= framesAfter - 15 && ctx.stampAsks.length >= framesAfter - 15,
        `${known.length} latency and ${ctx.stampAsks.length} stamp asks over the last ${framesAfter} frames`);
  // The song's start as heard, once the latency is known: 0.1 s into the
  // context's clock plus the output's 40 ms.
  const last = epochs[epochs.length - 1];
  check('the song is heard 40 ms after its start on the context\'s clock', last && Math.abs(last.epoch - 140) < 1,
        JSON.stringify(last));

  // A new context (the viewer's next gesture after a failed one) is asked
  // afresh.
  const next = scriptedContext(0);
  Object.assign(sound, { ctx: next });
  next.now = 5000;
  next.currentTime = 1;
  sound.songEpoch(next.now);
  check('a new context is asked afresh', next.latencyAsks.length === 1, JSON.stringify(next.latencyAsks));
});
