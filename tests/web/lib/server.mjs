// A static file server on a free port of the loopback interface, for the
// page and its files. Every request is logged, so a test can see what the
// page fetched. options.inject: scripts (sources) put in front of the first
// script of every HTML page served, to run before the page's own;
// server.answer(path, answer) answers that path with { status,
// contentType, body } instead of a file, answer(path, null) with the file
// again. options.compress: text and WebAssembly gzipped for a client that
// accepts it, as a real host serves them (the media as they are).
import { createReadStream } from 'node:fs';
import { readFile, stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, sep } from 'node:path';
import { createGzip } from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm', // the type streaming compilation insists on
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.bmp': 'image/bmp',
  '.png': 'image/png',
  '.ttf': 'font/ttf',
  '.mp3': 'audio/mpeg',
};

const compressible = new Set(['.html', '.js', '.mjs', '.wasm', '.css', '.json', '.webmanifest']);

export async function startServer(folder, { inject = [], compress = false } = {}) {
  const root = normalize(folder);
  const requests = [];
  const answers = new Map();
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    requests.push(path);
    const answer = answers.get(path);
    if (answer) {
      const body = typeof answer.body === 'string' ? Buffer.from(answer.body) : answer.body;
      response.writeHead(answer.status, { 'Content-Type': answer.contentType || 'text/plain',
                                          'Content-Length': body.length, 'Cache-Control': 'no-store' });
      response.end(body);
      return;
    }
    const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
    if (file !== root && !file.startsWith(root + sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const info = await stat(file);
      if (!info.isFile())
        throw new Error('not a file');
      const type = types[extname(file)] || 'application/octet-stream';
      if (inject.length && extname(file) === '.html') {
        const page = await readFile(file, 'utf8');
        const at = page.indexOf('<script');
        const scripts = inject.map((source) => `<script>${source}</script>\n`).join('');
        const body = Buffer.from(at < 0 ? scripts + page : page.slice(0, at) + scripts + page.slice(at));
        response.writeHead(200, { 'Content-Type': type, 'Content-Length': body.length, 'Cache-Control': 'no-store' });
        response.end(body);
        return;
      }
      if (compress && compressible.has(extname(file)) && /\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
        response.writeHead(200, { 'Content-Type': type, 'Content-Encoding': 'gzip', 'Vary': 'Accept-Encoding',
                                  'Cache-Control': 'no-store' });
        createReadStream(file).pipe(createGzip()).pipe(response);
        return;
      }
      response.writeHead(200, { 'Content-Type': type, 'Content-Length': info.size, 'Cache-Control': 'no-store' });
      createReadStream(file).pipe(response);
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
    }
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', resolve);
  });
  const url = `http://127.0.0.1:${server.address().port}/`;
  const close = () => new Promise((resolve) => {
    server.closeAllConnections();
    server.close(resolve);
  });
  const answer = (path, how) => (how ? answers.set(path, how) : answers.delete(path));
  return { url, requests, answer, close };
}
