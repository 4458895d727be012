// The page with a song the sound layer cannot play: missing (404), bytes of
// no sound format, only the MP3's first frame (its Info frame, no audio),
// and empty. Each gives the music player's line the desktop's sound layer
// gives for the same file (src/platform/fsound.cpp; the cases of
// tests/e2e/failure_matrix.sh) after "Loading the song...", in the console
// and on the status line, and ends the run with status 1, as the desktop's
// does.
// usage: node page_song_errors.mjs OUT-WEB-DIR BUILD-DIR
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';

import { launchBrowser, openPage, pageScripts } from './lib/browser.mjs';
import { check, onFailure, runTest } from './lib/check.mjs';
import { elkaState, waitForState } from './lib/elka.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const web = resolve(process.argv[2] || join(repoRoot, 'out/web'));
const song = readFileSync(join(web, 'files/song.mp3'));

const cases = [
  { name: 'missing (404)', expect: 'File not found', answer: { status: 404, body: 'not found' } },
  { name: 'a line of text', expect: 'Unknown file format',
    answer: { status: 200, contentType: 'audio/mpeg', body: 'These are not the media you are looking for.\n' } },
  { name: 'only the Info frame', expect: 'Error loading file',
    answer: { status: 200, contentType: 'audio/mpeg', body: song.subarray(0, 417) } },
  { name: 'empty', expect: 'Unknown file format', answer: { status: 200, contentType: 'audio/mpeg', body: '' } },
];

await runTest('page_song_errors', async () => {
  const browser = await launchBrowser();
  let server = null;
  try {
    for (const c of cases) {
      // Each case on a server of its own, another origin: what a service
      // worker kept of the last case's song is not this one's.
      if (server)
        await server.close();
      server = await startServer(web, { inject: pageScripts() });
      const { page, messages, errors, consoleText, close } = await openPage(browser);
      onFailure(() => `${c.name}: ${consoleText()}`);
      server.answer('/files/song.mp3', c.answer);
      await page.goto(`${server.url}index.html`);
      // The song loads at start-up, before the start picture is offered;
      // should the page load it at the click instead, the click is given.
      await waitForState(page, ['waiting', 'ended'], 60000).catch(() => {});
      if ((await elkaState(page)).state === 'waiting') {
        await page.click('#start');
        await waitForState(page, ['ended'], 120000).catch(() => {});
      }
      const end = await elkaState(page);
      const lines = (await messages()).filter((m) => m.type === 'log').map((m) => m.text.trim()).filter((t) => t);
      const loading = lines.indexOf('Loading the song...');
      check(`song ${c.name}: "Loading the song..." then "${c.expect}" in the console`,
            loading >= 0 && lines[loading + 1] === c.expect, JSON.stringify(lines.slice(-4)));
      check(`song ${c.name}: "${c.expect}" on the status line`, end.status === c.expect &&
            (await page.innerText('#status')).trim() === c.expect, JSON.stringify(end.status));
      check(`song ${c.name}: the run ends with status 1`, end.state === 'ended' && end.exitStatus === 1,
            `${end.state}, ${end.exitStatus}`);
      // The browser itself reports the failed fetch of a missing file.
      const unexpected = (await errors()).filter((e) => !(c.answer.status === 404 && e.includes('404') && e.includes('song.mp3')));
      check(`song ${c.name}: no other console error`, unexpected.length === 0, unexpected.join('\n  '));
      await close();
    }
  } finally {
    await browser.close();
    if (server)
      await server.close();
  }
});
