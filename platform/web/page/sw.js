// The page's service worker: it keeps this version's files in a cache of
// their own, so the page starts without the network, and drops the caches
// of other versions once it takes over. A new build is a new version (the
// name below changes with every file), which the browser fetches as an
// update, installs beside the old one and then puts in its place.
'use strict';
const kVersion = '@VERSION@';
const kCache = 'avelune-' + kVersion;
const kFiles = @FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kFiles)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('avelune-') && n !== kCache).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// This version's files from its cache (the address's query and hash do not
// matter); anything else from the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const url = new URL(event.request.url);
  if (url.origin !== location.origin) return;
  event.respondWith(caches.open(kCache)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(event.request)));
});
