// A private PulseAudio server with one null sink, for a browser's sound:
// its own runtime folder and socket (nothing of the desktop's sound server
// is used or changed), ended with the test. What plays into the sink can
// be recorded from its monitor.
import { execFile, spawn } from 'node:child_process';
import { chmodSync, mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { endOwned, ownFolder, spawnOwned, waitFor } from './processes.mjs';

export async function startPulse() {
  const folder = ownFolder(mkdtempSync(join(tmpdir(), 'elka-pulse-')));
  chmodSync(folder, 0o700);
  const socket = join(folder, 'native');
  const server = `unix:${socket}`;
  const env = { ...process.env, HOME: folder, XDG_RUNTIME_DIR: folder, XDG_CONFIG_HOME: folder,
                PULSE_RUNTIME_PATH: join(folder, 'pulse'), PULSE_SERVER: server };
  const child = spawnOwned('pulseaudio', ['--daemonize=no', '--exit-idle-time=-1', '-n', '--disallow-exit',
                                          '--use-pid-file=no', '--disable-shm',
                                          '--load=module-null-sink sink_name=elka rate=48000 channels=2',
                                          `--load=module-native-protocol-unix socket=${socket}`],
                           { env, stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  child.stderr.on('data', (d) => (log += d));
  const answers = () => new Promise((resolve) =>
    execFile('pactl', ['--server', server, 'info'], { env }, (error) => resolve(error ? undefined : true)));
  await waitFor('the PulseAudio server answering', async () => {
    if (child.exitCode !== null)
      throw new Error(`pulseaudio ended:\n${log}`);
    return answers();
  }, 120000);

  // The loudest sample (of 32767) the sink's monitor gets in the next ms
  // milliseconds: a count of bytes, not a clock, says when that is.
  function loudest(ms) {
    return new Promise((resolve, reject) => {
      const wanted = Math.round((48000 * ms) / 1000) * 4;
      const rec = spawn('parec', ['--server', server, '-d', 'elka.monitor', '--format=s16le', '--rate=48000',
                                  '--channels=2', '--raw', '--latency-msec=20'], { env, stdio: ['ignore', 'pipe', 'pipe'] });
      const chunks = [];
      let got = 0;
      rec.stdout.on('data', (d) => {
        chunks.push(d);
        got += d.length;
        if (got >= wanted)
          rec.kill();
      });
      rec.on('error', reject);
      rec.on('close', () => {
        const all = Buffer.concat(chunks);
        let peak = 0;
        for (let i = 0; i + 1 < Math.min(all.length, wanted); i += 2)
          peak = Math.max(peak, Math.abs(all.readInt16LE(i)));
        if (got < wanted)
          reject(new Error(`parec ended after ${got} bytes`));
        else
          resolve(peak);
      });
    });
  }
  // A recording of the sink's monitor (mono, 48000 Hz) until stop(), which
  // gives its samples and t0, the wall time (ms since the epoch, as
  // performance.timeOrigin + performance.now()) of its first sample. No part
  // arrives before it is played, so the part that came soonest after its
  // last sample was played bounds t0 best. arrivals: [samples so far, wall
  // time] of each part as it came, which show whether the recording kept
  // pace with the sink (it did, within a few ms, beside a CPU hog).
  function record() {
    const rate = 48000;
    const rec = spawnOwned('parec', ['--server', server, '-d', 'elka.monitor', '--format=s16le', `--rate=${rate}`,
                                     '--channels=1', '--raw', '--latency-msec=10'], { env, stdio: ['ignore', 'pipe', 'pipe'] });
    const chunks = [];
    let bytes = 0;
    let t0 = Infinity;
    const arrivals = [];
    rec.stdout.on('data', (d) => {
      const arrived = performance.timeOrigin + performance.now();
      chunks.push(d);
      bytes += d.length;
      arrivals.push([bytes / 2, arrived]);
      t0 = Math.min(t0, arrived - (bytes / 2 / rate) * 1000);
    });
    return {
      async stop() {
        await endOwned(rec);
        const all = Buffer.concat(chunks);
        const samples = new Int16Array(all.length >> 1);
        for (let i = 0; i < samples.length; i++)
          samples[i] = all.readInt16LE(i * 2);
        return { samples, rate, t0, arrivals };
      },
    };
  }
  // Listens until a sample louder than level comes, at most limitMs
  // milliseconds of the sink's time (a count of bytes again): gives the
  // loudest sample and after how many milliseconds the first loud one came
  // (null if none came). A sound that starts late on a busy machine is
  // still heard; the limit only ends the wait for one that never comes.
  function heard(level, limitMs) {
    return new Promise((resolve, reject) => {
      const limit = Math.round((48000 * limitMs) / 1000) * 4;
      const rec = spawn('parec', ['--server', server, '-d', 'elka.monitor', '--format=s16le', '--rate=48000',
                                  '--channels=2', '--raw', '--latency-msec=20'], { env, stdio: ['ignore', 'pipe', 'pipe'] });
      let got = 0, peak = 0, at = null, odd = null;
      rec.stdout.on('data', (d) => {
        const data = odd ? Buffer.concat([odd, d]) : d;
        const whole = data.length - (data.length % 2);
        for (let i = 0; i < whole && got + i < limit; i += 2) {
          const v = Math.abs(data.readInt16LE(i));
          peak = Math.max(peak, v);
          if (at === null && v > level)
            at = Math.round(((got + i) / 4 / 48000) * 1000);
        }
        odd = whole < data.length ? data.subarray(whole) : null;
        got += whole;
        if (at !== null || got >= limit)
          rec.kill();
      });
      rec.on('error', reject);
      rec.on('close', () => {
        if (at === null && got < limit)
          reject(new Error(`parec ended after ${got} bytes`));
        else
          resolve({ peak, ms: at });
      });
    });
  }
  return { server, env: { PULSE_SERVER: server }, loudest, heard, record, close: () => endOwned(child) };
}
