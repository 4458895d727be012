// The page's sound layer and message boxes in Chromium, against the desktop
// layer: every scenario that does not wait for the page prints, line for
// line, what the native probe prints for the same file; the song plays only
// after the click, whole, from its beginning, and stops when told; the
// boxes answer what was clicked or pressed.
// usage: node sound_test.js PROBE_BUILD_DIR NATIVE_PROBE NATIVE_SONG_FRAMES
'use strict';
const {chromium} = require('playwright-core'); // from the checkout's own node_modules
const assert = require('assert/strict');
const {execFileSync} = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const [buildDir, nativeProbe, nativeFramesText] = process.argv.slice(2);
const nativeFrames = Number(nativeFramesText);
const here = __dirname;
const root = path.resolve(here, '../../..');

// The served folder: the page, both programs, and the media cases.
const served = fs.mkdtempSync(path.join(os.tmpdir(), 'elka-sound-web-'));
const media = path.join(served, 'media');
fs.mkdirSync(media);
fs.copyFileSync(path.join(here, 'probe.html'), path.join(served, 'probe.html'));
for (const name of ['sound_probe.js', 'sound_probe.wasm', 'dialog_probe.js', 'dialog_probe.wasm'])
  fs.copyFileSync(path.join(buildDir, name), path.join(served, name));
const song = fs.readFileSync(path.join(root, 'files/song.mp3'));
fs.writeFileSync(path.join(media, 'song.mp3'), song);
fs.writeFileSync(path.join(media, 'head.mp3'), song.subarray(0, 417)); // the Info frame only
fs.writeFileSync(path.join(media, 'empty.mp3'), Buffer.alloc(0));
fs.writeFileSync(path.join(media, 'note.txt'), 'not a song\n');
fs.copyFileSync(path.join(root, 'files/star.bmp'), path.join(media, 'star.bmp'));
fs.writeFileSync(path.join(media, 'id3junk.mp3'),
                 Buffer.concat([Buffer.from('ID3\x03\0\0\0\0\0\0', 'latin1'), Buffer.alloc(5000, 'x')]));

// The native probe's lines, run where files/ holds the same media.
const nativeRun = path.join(served, 'native');
fs.mkdirSync(path.join(nativeRun, 'files', 'folder'), {recursive: true});
for (const name of fs.readdirSync(media))
  fs.copyFileSync(path.join(media, name), path.join(nativeRun, 'files', name));
function nativeLines(args) {
  let out;
  try {
    out = execFileSync(nativeProbe, args, {cwd: nativeRun, env: {...process.env, SDL_AUDIODRIVER: 'dummy'},
                                           stdio: ['ignore', 'pipe', 'ignore']});
  } catch (error) {
    out = error.stdout; // a failed load ends with status 1, as the demo does
  }
  return out.toString().replace(/\n$/, '').split('\n');
}

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};
const server = http.createServer((request, response) => {
  const name = path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^\/+/, '');
  const file = path.join(served, name);
  if (!file.startsWith(served) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404);
    response.end();
    return;
  }
  response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
  fs.createReadStream(file).pipe(response);
});

// Records every AudioContext made and every source started, so a test can
// tell that nothing was made or played before the click.
function watchAudio() {
  globalThis.audioWatch = {contexts: [], starts: []};
  const Context = globalThis.AudioContext;
  globalThis.AudioContext = function(options) {
    const ctx = new Context(options);
    globalThis.audioWatch.contexts.push(ctx);
    return ctx;
  };
  globalThis.AudioContext.prototype = Context.prototype;
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function(when, offset) {
    const online = globalThis.audioWatch.contexts.includes(this.context);
    globalThis.audioWatch.starts.push({online, offset: offset || 0, duration: this.buffer.duration,
                                       rate: this.buffer.sampleRate, when: when || 0});
    return start.apply(this, arguments);
  };
}

let baseUrl;
const checked = [];
function ok(what) {
  checked.push(what);
  console.log('ok: ' + what);
}

async function openProbe(browser, params) {
  const context = await browser.newContext();
  const page = await context.newPage();
  const errors = [];
  const consoleErrors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error')
      consoleErrors.push(message.text());
  });
  await page.addInitScript(watchAudio);
  const query = new URLSearchParams();
  for (const [key, value] of Object.entries(params))
    query.set(key, typeof value === 'string' ? value : JSON.stringify(value));
  await page.goto(baseUrl + '/probe.html?' + query.toString());
  return {page, errors, consoleErrors, close: () => context.close()};
}

const waitLine = (page, line) => page.waitForFunction((wanted) => globalThis.probeLines.includes(wanted), line);
// The answer C++ got for box `number`, once it has one.
async function answerOf(page, number) {
  const prefix = `probe: box ${number} answer `;
  const handle = await page.waitForFunction((p) => globalThis.probeLines.find((l) => l.startsWith(p)), prefix);
  return Number((await handle.jsonValue()).slice(prefix.length));
}
const lines = (page) => page.evaluate(() => globalThis.probeLines.slice());
const sound = (page) => page.evaluate(() => globalThis.elka.sound);

// A scenario that runs to its end without the page: the same lines as the
// native probe, and the same last error in elka.sound.
async function sameAsNative(browser, label, args, files, extra = {}) {
  const expected = nativeLines(args);
  const code = (l) => Number(/error (\d+)$/.exec(l)[1]);
  const probe = await openProbe(browser, {program: 'sound_probe', args, files: files.join(','), ...extra});
  const page = probe.page;
  const failed = expected.find((l) => l.startsWith('probe: init 0'));
  if (failed) {
    // The failure as the page reports it while the player has it.
    await page.waitForFunction(() => globalThis.probe && globalThis.probe.waiting === 'failed');
    assert.equal((await sound(page)).error, code(failed), label + ': elka.sound.error at the failure');
    await page.evaluate(() => globalThis.probe.go('failed'));
  }
  await page.waitForFunction(() => globalThis.probeLines.some((l) => l.startsWith('probe: end')));
  assert.deepEqual(await lines(page), expected, label);
  assert.equal((await sound(page)).error, code(expected[expected.length - 1]), label + ': elka.sound.error at the end');
  assert.deepEqual(probe.errors, [], label + ': page errors');
  await probe.close();
  const texts = expected.filter((l) => l && !l.startsWith('probe:'));
  ok(`${label}: ${expected.length} lines as on the desktop` + (texts.length ? ': ' + JSON.stringify(texts) : ''));
}

async function errorCases(browser, extra, tag) {
  const cases = [
    ['a missing song', 'missing.mp3', []],
    ['an empty song', 'empty.mp3', ['empty.mp3']],
    ['the song\'s first frame only', 'head.mp3', ['head.mp3']],
    ['a text file as the song', 'note.txt', ['note.txt']],
    ['a picture as the song', 'star.bmp', ['star.bmp']],
    ['an MP3 header over garbage', 'id3junk.mp3', ['id3junk.mp3']],
    ['a folder as the song', 'folder', []],
  ];
  for (const [label, name, files] of cases)
    await sameAsNative(browser, tag + label, ['play', 'files/' + name], files,
                       name === 'folder' ? {dirs: 'folder', ...extra} : extra);
}

// The song as the demo starts it: nothing before the click, then the whole
// song from its beginning; stopped and closed when told.
async function playsAfterClick(browser, label) {
  const expected = nativeLines(['play', 'files/song.mp3']);
  const probe = await openProbe(browser, {program: 'sound_probe', args: ['play', 'files/song.mp3'], files: 'song.mp3'});
  const page = probe.page;
  await page.waitForFunction(() => globalThis.probe && globalThis.probe.waiting === 'stop');
  assert.deepEqual(await lines(page), expected.slice(0, 4), label + ': lines up to the play');
  assert.deepEqual(await sound(page), {context: 'none', playing: false, error: 0}, label + ': before the click');
  assert.deepEqual(await page.evaluate(() => [audioWatch.contexts.length, audioWatch.starts.filter((s) => s.online)]),
                   [0, []], label + ': no context and no source before the click');

  await page.click('#start');
  await page.waitForFunction(() => elka.sound.context === 'running' && elka.sound.playing === true);
  const starts = await page.evaluate(() => audioWatch.starts.filter((s) => s.online));
  assert.equal(starts.length, 1, label + ': one source started');
  assert.equal(starts[0].offset, 0, label + ': from the beginning');
  assert.equal(starts[0].rate, 44100, label + ': decoded at the mixing rate');
  // The desktop decoder and the browser's may trim the encoder's padding
  // differently: a few milliseconds, never a frame's worth of song.
  const seconds = starts[0].duration;
  assert.ok(Math.abs(seconds - nativeFrames / 44100) < 0.06,
            `${label}: ${seconds} s decoded, the desktop decodes ${nativeFrames / 44100} s`);
  await page.waitForFunction(() => audioWatch.contexts[0].currentTime > 0.25);

  await page.evaluate(() => globalThis.probe.go('stop'));
  await waitLine(page, expected[expected.length - 1]);
  assert.deepEqual(await lines(page), expected, label + ': all lines');
  await page.waitForFunction(() => elka.sound.context === 'closed' && elka.sound.playing === false);
  assert.deepEqual(probe.errors, [], label + ': page errors');
  await probe.close();
  ok(`${label}: nothing before the click; after it the context runs and the song plays (${seconds.toFixed(3)} s, ` +
     `desktop ${(nativeFrames / 44100).toFixed(3)} s); stop and close end it`);
}

// The page's fixed-rate mode: the same checks and lines, no sound at all.
async function silentAtFixedRate(browser) {
  const expected = nativeLines(['play', 'files/song.mp3']);
  const probe = await openProbe(browser,
                                {program: 'sound_probe', args: ['play', 'files/song.mp3'], files: 'song.mp3', fixedRate: '30'});
  const page = probe.page;
  await page.waitForFunction(() => globalThis.probe && globalThis.probe.waiting === 'stop');
  await page.click('#start');
  await page.waitForFunction(() => globalThis.probeStarted);
  assert.deepEqual(await sound(page), {context: 'none', playing: false, error: 0}, 'fixed rate: after the click');
  assert.deepEqual(await page.evaluate(() => [audioWatch.contexts.length, audioWatch.starts.length]), [0, 0],
                   'fixed rate: no context made, no source started');
  await page.evaluate(() => globalThis.probe.go('stop'));
  await waitLine(page, expected[expected.length - 1]);
  assert.deepEqual(await lines(page), expected, 'fixed rate: lines');
  await probe.close();
  ok('fixed rate: the song loads and "plays" with the desktop lines, and no context is made nor source started');
}

async function dialogs(browser) {
  const probe = await openProbe(browser, {program: 'dialog_probe'});
  const page = probe.page;
  await page.evaluate(() => {
    globalThis.pageKeys = [];
    window.addEventListener('keydown', (event) => globalThis.pageKeys.push(event.key));
  });
  const question = 'The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?';
  const open = (caption) =>
      page.waitForFunction((c) => {
        const box = document.querySelector('#elka-dialog');
        return box && box.open && box.matches(':modal') &&
               document.querySelector('#elka-dialog-caption').textContent === c;
      }, caption);
  const shown = () => page.evaluate(() => ({
                                      text: document.querySelector('#elka-dialog-text').innerText,
                                      buttons: [...document.querySelectorAll('#elka-dialog button')].map(
                                          (b) => [b.textContent, b.getAttribute('data-answer')]),
                                    }));

  await open('Dova GL');
  assert.deepEqual(await shown(), {text: question, buttons: [['Yes', '6'], ['No', '7']]}, 'the question');
  const lineCount = await page.evaluate(() => {
    const text = document.querySelector('#elka-dialog-text');
    const range = document.createRange();
    range.selectNodeContents(text);
    return new Set([...range.getClientRects()].map((r) => Math.round(r.top))).size;
  });
  assert.ok(lineCount >= 2, 'the line break is drawn: ' + lineCount + ' lines');
  await page.click('#elka-dialog button[data-answer="7"]');
  assert.equal(await answerOf(page, 1), 7, 'box 1');
  ok('MB_YESNO answered No by a click: IDNO (7); its text keeps its line break');

  await open('ERROR');
  assert.deepEqual(await shown(), {text: 'Program Will Now Close.', buttons: [['OK', '1']]}, 'the notice');
  await page.click('#elka-dialog button[data-answer="1"]');
  assert.equal(await answerOf(page, 2), 1, 'box 2');
  ok('MB_OK answered by a click: IDOK (1)');

  await open('KEYS');
  await page.keyboard.press('Escape');
  assert.equal(await answerOf(page, 3), 7, 'box 3');
  await page.waitForFunction(() => document.querySelector('#elka-dialog-text') &&
                                   document.querySelector('#elka-dialog-text').textContent === 'Enter?');
  await page.focus('#elka-dialog button[data-answer="7"]');
  await page.keyboard.press('Enter');
  assert.equal(await answerOf(page, 4), 6, 'box 4');
  await page.waitForFunction(() => document.querySelector('#elka-dialog-text') &&
                                   document.querySelector('#elka-dialog-text').textContent === 'Escape on OK?');
  await page.keyboard.press('Escape');
  assert.equal(await answerOf(page, 5), 1, 'box 5');
  await waitLine(page, 'probe: end 0');
  assert.equal(await page.evaluate(() => document.querySelectorAll('#elka-dialog').length), 0, 'no box left');
  assert.deepEqual(await page.evaluate(() => globalThis.pageKeys), [], 'no key reached the page');
  ok('Escape answers No on a question and OK on a notice; Enter answers Yes with No focused; the keys stay in the box');

  assert.deepEqual(await page.evaluate(() => globalThis.elka.dialogs), [
    {caption: 'Dova GL', text: question, style: 0x34, answer: 7},
    {caption: 'ERROR', text: 'Program Will Now Close.', style: 0x10, answer: 1},
    {caption: 'KEYS', text: 'Escape?', style: 0x34, answer: 7},
    {caption: 'KEYS', text: 'Enter?', style: 0x34, answer: 6},
    {caption: 'KEYS', text: 'Escape on OK?', style: 0x40, answer: 1},
  ]);
  assert.deepEqual(probe.consoleErrors.slice(0, 2), ['Dova GL: ' + question, 'ERROR: Program Will Now Close.']);
  assert.deepEqual(probe.errors, [], 'dialog page errors');
  await probe.close();
  ok('elka.dialogs holds every box with its answer; each box is a "CAPTION: TEXT" console error');
}

async function main() {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  baseUrl = 'http://127.0.0.1:' + server.address().port;
  const launch = (args) => chromium.launch({executablePath: '/usr/bin/chromium', args: ['--no-sandbox', ...args]});
  const browser = await launch([]);
  // Autoplay allowed: the layer itself must still wait for the click.
  const permissive = await launch(['--autoplay-policy=no-user-gesture-required']);
  try {
    await playsAfterClick(browser, 'song');
    await playsAfterClick(permissive, 'song, autoplay allowed');
    await silentAtFixedRate(browser);
    await errorCases(browser, {}, '');
    await errorCases(browser, {fixedRate: '30'}, 'fixed rate: ');
    await sameAsNative(browser, 'Init twice', ['init-twice'], ['song.mp3']);
    await sameAsNative(browser, 'load before Init', ['load-before-init'], ['song.mp3']);
    await sameAsNative(browser, 'channel checks', ['channels'], ['song.mp3']);
    await dialogs(browser);
  } finally {
    await browser.close();
    await permissive.close();
    server.close();
    fs.rmSync(served, {recursive: true, force: true});
  }
  console.log(`sound_test: ${checked.length} checks passed`);
}

main().catch((error) => {
  console.error('FAIL: ' + (error && error.stack || error));
  process.exit(1);
});
