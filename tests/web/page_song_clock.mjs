// The page's picture on its song as heard, idle and after a stall: the song
// is a click track (every half second a 10 ms burst, its pitch one of
// sixteen in turn so that a click lost in the output is not mistaken for
// the next;
// a WAV file, which the sound layer takes as it takes the song), played
// into the browser's own null sink and recorded from its monitor; the
// picture's clock is what the frame loop read (window.elka.clock.reads),
// less the lead by which it draws a frame for when the browser shows it
// (page_shown_lead holds that; the sync rig holds the picture as shown).
// Each click is heard when the picture's clock is at the click's time in
// the song, within EBU R37 (sound at most 40 ms early, 60 ms late), widened
// by the longest gap between the clock's reads around it (a picture is
// shown only on a frame): while the page runs, from one second after every
// process of the browser was stopped for 2 s (SIGSTOP) and continued, and
// from one second after the page's own thread was busy for 2 s (its sound
// plays on, and the first frame after gets the whole time, as designed).
// usage: node page_song_clock.mjs OUT-WEB-DIR BUILD-DIR
import { mkdirSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';

import { engineName, launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { waitForState } from './lib/elka.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';
import { browserProcesses, stallProcesses } from './lib/stall.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const build = resolve(process.argv[3] || join(repoRoot, 'build'));
const artefacts = join(build, 'artefacts/web', engineName());
const browserPrograms = { chromium: /^chrom/, firefox: /^firefox/, webkit: /^(MiniBrowser|WebKit)/ };

const songRate = 44100;
const clickEveryMs = 500;
const songSeconds = 40;
const earlyMs = 40;
const lateMs = 60;
const stallMs = 2000;

// The pitch of click k: one of sixteen in turn, far enough apart to tell
// in a burst.
const pitches = 16;
const burstMs = 10;
const pitchOf = (k) => 800 + 300 * (k % pitches);

// Mono 16-bit PCM in a RIFF WAVE file: a burst at every click's time.
function clickTrack() {
  const frames = songRate * songSeconds;
  const data = Buffer.alloc(frames * 2);
  const burst = Math.round((songRate * burstMs) / 1000);
  for (let k = 0, start = 0; start + burst < frames; k++, start = Math.round((k * songRate * clickEveryMs) / 1000))
    for (let i = 0; i < burst; i++)
      data.writeInt16LE(Math.round(26000 * Math.sin((2 * Math.PI * pitchOf(k) * i) / songRate)), (start + i) * 2);
  const head = Buffer.alloc(44);
  head.write('RIFF', 0);
  head.writeUInt32LE(36 + data.length, 4);
  head.write('WAVEfmt ', 8);
  head.writeUInt32LE(16, 16);
  head.writeUInt16LE(1, 20); // PCM
  head.writeUInt16LE(1, 22); // mono
  head.writeUInt32LE(songRate, 24);
  head.writeUInt32LE(songRate * 2, 28);
  head.writeUInt16LE(2, 32);
  head.writeUInt16LE(16, 34);
  head.write('data', 36);
  head.writeUInt32LE(data.length, 40);
  return Buffer.concat([head, data]);
}

// Where each burst begins in the recording, as wall times (ms since the
// epoch), and which of the sixteen pitches it has (the strongest of them
// in the burst); a burst's tail is stepped over.
function onsets({ samples, rate, t0 }) {
  const found = [];
  const length = Math.round((rate * burstMs) / 1000);
  const strength = (from, hz) => {
    let re = 0, im = 0;
    for (let j = from; j < Math.min(samples.length, from + length); j++) {
      re += samples[j] * Math.cos((2 * Math.PI * hz * j) / rate);
      im += samples[j] * Math.sin((2 * Math.PI * hz * j) / rate);
    }
    return re * re + im * im;
  };
  for (let i = 0; i < samples.length; i++) {
    if (Math.abs(samples[i]) < 8000)
      continue;
    let code = 0;
    for (let c = 1; c < pitches; c++)
      if (strength(i, pitchOf(c)) > strength(i, pitchOf(code)))
        code = c;
    found.push({ wall: t0 + (i / rate) * 1000, code });
    i += Math.round(rate * 0.2);
  }
  return found;
}

// Which click each one is: the next one of the pitch heard. An output
// that is late plays the song later, and one that runs short loses a few
// clicks at most (fewer than sixteen, as long as eight seconds), so the
// wall clock says nothing of it (Chromium's here has stood for 12 s on a
// busy machine). A click of the last one's pitch again is that click
// repeated by an output that ran short (Firefox's does), which says nothing
// of the picture: it is marked, and left out. So is a click whose pitch
// was misheard (a burst bent by a glitch: Firefox's on a busy machine once
// came as the pitch of the click ten before it): one that is not the next
// pitch, followed by the pitch after the next.
const following = (code, k) => (((code - (k + 1)) % pitches) + pitches) % pitches;
function number(heard) {
  let k = -1;
  heard.forEach((click, i) => {
    click.repeated = k >= 0 && click.code === k % pitches;
    if (click.repeated) {
      click.k = k;
      return;
    }
    const next = heard[i + 1];
    click.misheard = k >= 0 && following(click.code, k) !== 0 && !!next && following(next.code, k + 1) === 0;
    k += 1 + (click.misheard ? 0 : following(click.code, k));
    click.k = k;
  });
}

// The picture's clock (ms) at a time, between the reads before and after
// it, and the longer of the gaps between reads next to it; null outside.
function clockAt(reads, time) {
  let after = reads.findIndex(([at]) => at >= time);
  if (after <= 0)
    return null;
  const [a, av] = reads[after - 1];
  const [b, bv] = reads[after];
  const gaps = [reads[after - 2], reads[after - 1], reads[after], reads[after + 1]].filter(Boolean);
  let gap = 0;
  for (let i = 1; i < gaps.length; i++)
    gap = Math.max(gap, gaps[i][0] - gaps[i - 1][0]);
  return { ms: b === a ? bv : av + ((bv - av) * (time - a)) / (b - a), gap };
}

await runTest('page_song_clock', async () => {
  mkdirSync(artefacts, { recursive: true });
  const server = await startServer(web, { inject: pageScripts() });
  server.answer('/files/song.mp3', { status: 200, contentType: 'audio/wav', body: clickTrack() });
  const browser = await launchBrowser({ screen: [800, 600], sound: true });
  let recording = null;
  try {
    check(`${browser.description} plays into a null sink of the test's own`, !!browser.sound);
    if (!browser.sound)
      return;
    const { page, consoleText } = await openPage(browser, { width: 800, height: 600 });
    onFailure(consoleText);
    await page.goto(`${server.url}index.html`);
    await waitForState(page, ['waiting'], 60000);

    // The page's reads of its clock, gathered as it goes (it keeps the last few hundred).
    const reads = new Map();
    const pageReads = new Map();
    let origin = 0;
    let onSong = null; // the page's time when its clock first ran with the song
    const gather = async () => {
      const got = await page.evaluate(() => ({ origin: performance.timeOrigin, reads: window.elka.clock.reads.slice(),
                                               follows: window.elka.clock.follows }));
      origin = got.origin;
      for (const read of got.reads) {
        const [at, ms, waits, song, , , , lead] = read;
        reads.set(at, ms - lead); // the song's place: the clock less its lead for the frame to be shown
        pageReads.set(at, read); // with the song's age and epoch, for the artefact
        // The song's start was heard and the clock, which ran on until then, is there too.
        if (onSong === null && song && !waits && ms > 0)
          onSong = at;
      }
      return got;
    };
    const gatherUntil = async (what, done, timeoutMs) => {
      const until = Date.now() + timeoutMs;
      for (;;) {
        const got = await gather();
        if (done(got))
          return got;
        if (Date.now() > until)
          throw new Error(`${what}: not within ${timeoutMs} ms`);
        await new Promise((r) => setTimeout(r, 300));
      }
    };
    const lastMs = (got) => (got.reads.length ? got.reads[got.reads.length - 1][1] : 0);

    recording = browser.sound.record();
    await page.click('#start');
    await gatherUntil('the picture\'s clock running with the song', () => onSong !== null, 30000);
    const before = await gatherUntil('8 s of the song', (got) => lastMs(got) >= 8000, 60000);

    const pids = browserProcesses(browserPrograms[engineName()] || /^$/);
    check('the browser\'s processes are found to stop', pids.length >= 2, `${pids.length}`);
    const stall = await stallProcesses(pids, stallMs);
    const stalledAtMs = lastMs(before);
    const afterStall = await gatherUntil('8 s of the song after the stall', (got) => lastMs(got) >= stalledAtMs + 8000, 90000);

    // The page busy for 2 s, its sound playing on: the first frame after
    // gets the whole time.
    const busy = { from: performance.timeOrigin + performance.now() };
    await page.evaluate((ms) => {
      const end = performance.now() + ms;
      while (performance.now() < end);
    }, stallMs);
    busy.to = performance.timeOrigin + performance.now();
    const busyAtMs = lastMs(afterStall);
    await gatherUntil('8 s of the song after the busy page', (got) => lastMs(got) >= busyAtMs + stallMs + 8000, 90000);
    const recorded = await recording.stop();
    const heard = onsets(recorded);
    recording = null;
    number(heard);

    const clockReads = [...reads.entries()].sort((x, y) => x[0] - y[0]);
    const rows = [];
    const repeated = heard.filter((click) => click.repeated).length;
    const misheard = heard.filter((click) => click.misheard).length;
    for (const { wall, k, code } of heard.filter((click) => !click.repeated && !click.misheard)) {
      const clock = clockAt(clockReads, wall - origin); // the page's performance.now()
      if (clock)
        rows.push({ k, code, wall, songMs: k * clickEveryMs, clockMs: clock.ms, offset: clock.ms - k * clickEveryMs, gap: clock.gap });
    }
    writeFileSync(join(artefacts, 'song-clock.json'), JSON.stringify({ stall, busy, origin, onSong, heard, rows, t0: recorded.t0, arrivals: recorded.arrivals, reads: [...pageReads.values()] }));

    // The stall was one: no frame and no sound for most of it.
    const stallFrom = stall.stoppedAt - origin, stallTo = stall.continuedAt - origin;
    const readGap = clockReads.reduce((g, [at], i) => (i && at > stallFrom - 500 && clockReads[i - 1][0] < stallTo + 500
      ? Math.max(g, at - clockReads[i - 1][0]) : g), 0);
    const soundGap = heard.reduce((g, { wall }, i) => (i && wall > stall.stoppedAt && heard[i - 1].wall < stall.continuedAt + 1000
      ? Math.max(g, wall - heard[i - 1].wall) : g), 0);
    check('the stall stopped the picture', readGap >= stallMs * 0.75, `longest gap between the clock's reads ${readGap.toFixed(0)} ms`);
    check('the stall stopped the song', soundGap >= clickEveryMs + stallMs * 0.75,
          `longest gap between clicks ${soundGap.toFixed(0)} ms`);

    // The busy page drew no frame for most of its time while its song
    // played on (where it faltered meanwhile, as it may on a machine of two
    // cores where the busy thread takes one, the clock follows that too).
    const busyFrom = busy.from - origin, busyTo = busy.to - origin;
    const busyGap = clockReads.reduce((g, [at], i) => (i && at > busyFrom && clockReads[i - 1][0] < busyTo
      ? Math.max(g, at - clockReads[i - 1][0]) : g), 0);
    const busyClicks = heard.filter(({ wall }) => wall > busy.from && wall < busy.to).length;
    check('the busy page drew no frame for most of its time', busyGap >= stallMs * 0.75,
          `longest gap between the clock's reads ${busyGap.toFixed(0)} ms`);
    check('the song played on while the page was busy', busyClicks >= 1, `${busyClicks} clicks heard meanwhile`);
    check('the clicks are told apart', heard.length - repeated - misheard >= 20,
          `${heard.length} heard, ${repeated} of them a click repeated, ${misheard} misheard`);

    const judge = (name, list) => {
      const late = list.filter((r) => r.offset > lateMs + r.gap || r.offset < -earlyMs - r.gap);
      const span = list.length ? `${Math.min(...list.map((r) => r.offset)).toFixed(1)}...${Math.max(...list.map((r) => r.offset)).toFixed(1)} ms` : 'none';
      check(`${name}: ${list.length} clicks heard, each within ${earlyMs} ms early and ${lateMs} ms late of the picture's clock (+ the frame gap)`,
            list.length >= 8 && late.length === 0,
            `offsets ${span} (positive: the sound late)` +
            late.slice(0, 5).map((r) => `; click ${r.k} (${r.songMs} ms in the song) at ${r.clockMs.toFixed(1)} ms of the clock, gap ${r.gap.toFixed(1)} ms`).join(''));
    };
    judge('idle', rows.filter((r) => r.wall - origin > onSong + 1000 && r.wall < stall.stoppedAt));
    judge('from 1 s after the stall', rows.filter((r) => r.wall > stall.continuedAt + 1000 && r.wall < busy.from));
    judge('from 1 s after the busy page', rows.filter((r) => r.wall > busy.to + 1000));
  } finally {
    if (recording)
      await recording.stop().catch(() => {});
    await browser.close();
    await server.close();
  }
});
