// The page as Lighthouse's phone profile sees it (a mid-range phone's CPU, a
// slow mobile network, both simulated), served two ways: by Python's
// http.server as it is, and by a server that gzips text and WebAssembly as
// a real host would. Prints each category's score and the paint and
// blocking figures, the median of RUNS runs (3 unless given); the reports
// are kept in build/artefacts/lighthouse/.
// usage: node tests/web/lighthouse_bench.mjs LIGHTHOUSE-CLI [OUT-WEB-DIR] [RUNS]
// (bench/lighthouse.sh installs Lighthouse and runs this)
import { mkdirSync, readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { createInterface } from 'node:readline';

import { endOwned, spawnOwned } from './lib/processes.mjs';
import { repoRoot } from './lib/root.mjs';
import { startServer } from './lib/server.mjs';

const [cli, webArg, runsArg] = process.argv.slice(2);
if (!cli) {
  console.error('usage: node tests/web/lighthouse_bench.mjs LIGHTHOUSE-CLI [OUT-WEB-DIR] [RUNS]');
  process.exit(2);
}
const web = resolve(webArg || join(repoRoot, 'out/web'));
const runs = Number(runsArg || 3);
const reports = join(repoRoot, 'build/artefacts/lighthouse');
mkdirSync(reports, { recursive: true });

// Python's server says its port on its first line.
async function pythonServer() {
  const child = spawnOwned('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', web],
                           { stdio: ['ignore', 'pipe', 'ignore'] });
  for await (const line of createInterface({ input: child.stdout })) {
    const port = /port (\d+)/.exec(line);
    if (port) {
      child.stdout.resume(); // its request log, not read
      return { url: `http://127.0.0.1:${port[1]}/`, close: () => endOwned(child) };
    }
  }
  throw new Error('http.server ended before it served');
}

function lighthouse(url, name) {
  const output = join(reports, `${name}.json`);
  const child = spawnOwned(cli, [url, '--quiet', '--output=json', `--output-path=${output}`,
                                 '--only-categories=performance,accessibility,best-practices,seo',
                                 '--chrome-flags=--headless=new --no-sandbox'],
                           { stdio: ['ignore', 'inherit', 'inherit'],
                             env: { ...process.env, CHROME_PATH: process.env.CHROME_PATH || '/usr/bin/chromium' } });
  return child.exited.then(({ code }) => {
    if (code !== 0) throw new Error(`lighthouse ended with ${code} on ${url}`);
    return JSON.parse(readFileSync(output, 'utf8'));
  });
}

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const rows = [];
for (const [label, start] of [['python3 -m http.server', pythonServer],
                              ['compressing server', () => startServer(web, { compress: true })]]) {
  const server = await start();
  const results = [];
  try {
    for (let run = 0; run < runs; run++)
      results.push(await lighthouse(`${server.url}index.html`, `${label.split(' ')[0]}-${run + 1}`));
  } finally {
    await server.close();
  }
  const score = (category) => median(results.map((r) => r.categories[category].score)).toFixed(2);
  const ms = (audit) => `${median(results.map((r) => r.audits[audit].numericValue)).toFixed(0)} ms`;
  rows.push([label, score('performance'), ms('first-contentful-paint'), ms('largest-contentful-paint'),
             ms('total-blocking-time'), ms('speed-index'), score('accessibility'), score('best-practices'),
             score('seo')]);
}
console.log(`Lighthouse, phone profile, median of ${runs} runs:`);
console.log('| server | Performance | FCP | LCP | TBT | Speed Index | Accessibility | Best practices | SEO |');
console.log('|---|---|---|---|---|---|---|---|---|');
for (const row of rows) console.log(`| ${row.join(' | ')} |`);
