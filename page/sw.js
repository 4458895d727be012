// The service worker that keeps the page for playing offline: the page's
// own files at its install, the media as the page fetches them. Each kind
// has its cache named after what it holds (scripts/build-web.sh writes the
// stamps): a new build replaces the page's files together and never mixes
// them with an old build's, and keeps the media it has when they are the
// same.
'use strict';

const pageCache = 'elka-page-@PAGE@';
const mediaCache = 'elka-media-@MEDIA@';
const pageFiles = ['./', 'index.html', 'page.js', 'elka.js', 'elka.wasm', 'opentype.min.js', 'libtess.min.js',
                   'elka.webmanifest', 'icons/elka-32.png', 'icons/elka-128.png', 'icons/elka-256.png'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(pageCache).then((cache) => cache.addAll(pageFiles)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  const current = [pageCache, mediaCache];
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('elka-') && !current.includes(n))
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// What is kept is answered from its cache (index.html?fixed=10 is
// index.html); the rest from the server, kept when it came whole.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  const inScope = url.pathname.startsWith(new URL('./', self.location).pathname);
  if (!inScope) return;
  const name = new URL('files/', self.location).pathname;
  const cacheName = url.pathname.startsWith(name) ? mediaCache : pageCache;
  event.respondWith(caches.open(cacheName).then(async (cache) => {
    const kept = await cache.match(request, { ignoreSearch: true });
    if (kept) return kept;
    const response = await fetch(request);
    if (response.status === 200 && response.type === 'basic')
      event.waitUntil(cache.put(request, response.clone()));
    return response;
  }));
});
