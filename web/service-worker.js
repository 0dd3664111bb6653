// Keeps the site for use offline: every file of one version in one cache, named after a
// hash of their contents (scripts/web fills in the names and the hash). A new version is
// fetched whole when this file changes, replaces the old cache and takes over at once.
'use strict';

const CACHE = 'veltrane-@CACHE_VERSION@';
const FILES = ['@SITE_FILES@'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The files of this version from the cache (the page's address with its query left aside),
// anything else from the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((cached) => cached || fetch(event.request)));
});
