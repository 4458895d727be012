// When the page's sound layer asks the browser for its output's latency.
// Firefox answers outputLatency and getOutputTimestamp through its sound
// server while it holds its audio graph's lock, and such an ask hung the
// page for good on a busy machine (seen in the page's tests, never on
// demand); so this runs the layer's song clock over a scripted context that
// counts the asks, as Firefox and as another browser: Firefox is never
// asked and its song is heard at the context's time less its base latency;
// another browser is asked each frame and its output latency made up for.
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

// A running context whose output has 40 ms of latency.
function scriptedContext() {
  const ctx = { state: 'running', currentTime: 0, baseLatency: 0.005, now: 0, latencyAsks: 0, stampAsks: 0 };
  Object.defineProperty(ctx, 'outputLatency', {
    get() {
      ctx.latencyAsks += 1;
      return 0.04;
    },
  });
  ctx.getOutputTimestamp = () => {
    ctx.stampAsks += 1;
    return { contextTime: Math.max(0, ctx.currentTime - 0.04), performanceTime: ctx.now };
  };
  return ctx;
}

// A second's frames at 60 fps of a song started at 0.1 s on the context's
// clock, which keeps pace with performance.now(); the last frame's epoch.
// `from`: the seconds into the song it was started at.
function playSecond(userAgent, from = 0) {
  globalThis.navigator = { userAgent };
  const sound = soundLibrary();
  const ctx = scriptedContext();
  const entry = { channel: 1, buffer: { duration: 60 }, source: {}, startAt: 0.1, from };
  Object.assign(sound, { ctx, song: entry, channels: new Map([[1, entry]]), fixed: false });
  let epoch = null;
  for (let frame = 0; frame < 60; ++frame) {
    ctx.now = 1000 + frame * 1000 / 60;
    ctx.currentTime = (ctx.now - 1000) / 1000;
    epoch = sound.songEpoch(ctx.now) || epoch;
  }
  return { ctx, epoch };
}

await runTest('song_latency', async () => {
  const firefox = playSecond('Mozilla/5.0 (X11; Linux x86_64; rv:153.0) Gecko/20100101 Firefox/153.0');
  check('Firefox is never asked for its latency or its output stamp',
        firefox.ctx.latencyAsks === 0 && firefox.ctx.stampAsks === 0,
        `${firefox.ctx.latencyAsks} latency and ${firefox.ctx.stampAsks} stamp asks`);
  // 0.1 s into the context's clock (at 1000 ms) plus its 5 ms base latency.
  check('Firefox\'s song is heard at the context\'s time less its base latency',
        firefox.epoch && Math.abs(firefox.epoch.epoch - 1105) < 1, JSON.stringify(firefox.epoch));
  const chromium = playSecond('Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/156.0.0.0 Safari/537.36');
  check('another browser is asked each frame', chromium.ctx.latencyAsks >= 60 && chromium.ctx.stampAsks >= 60,
        `${chromium.ctx.latencyAsks} latency and ${chromium.ctx.stampAsks} stamp asks over 60 frames`);
  check('and its output latency made up for: the song heard 40 ms after its start',
        chromium.epoch && Math.abs(chromium.epoch.epoch - 1140) < 1, JSON.stringify(chromium.epoch));
  // The page's clock treats a creep of an output's timestamps as theirs, not the song's.
  check('an epoch from the output\'s timestamp says so; one from the context\'s time does not',
        chromium.epoch.stamped === true && firefox.epoch.stamped === false,
        `another browser's ${chromium.epoch.stamped}, Firefox's ${firefox.epoch.stamped}`);
  // Started 30 s into the song, its first sample counts as heard 30 s earlier.
  const placed = playSecond('Mozilla/5.0 (X11; Linux x86_64; rv:153.0) Gecko/20100101 Firefox/153.0', 30);
  check('a song started from a place counts from its first sample', placed.epoch &&
        Math.abs(placed.epoch.epoch - (1105 - 30000)) < 1, JSON.stringify(placed.epoch));
});
