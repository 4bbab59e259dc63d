// Keeps the site's files for a visit without the network (scripts/web.sh writes the
// build's version and the site's file list in here). A new build is a new worker: it
// fetches every file afresh into a cache of its own and drops the older caches.
'use strict';
const version = '@VERSION@';
const files = [/* @FILES@ */];
const cacheName = `kessivar-${version}`;

self.addEventListener('install', (event) => {
  // Asked again of the server, not taken from the HTTP cache, which may hold older files.
  const fresh = ['./', ...files].map((name) => new Request(name, {cache: 'no-cache'}));
  event.waitUntil(caches.open(cacheName)
    .then((cache) => cache.addAll(fresh))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names
      .filter((name) => name.startsWith('kessivar-') && name !== cacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The site's own files from the cache (a still's query or hash aside), the rest from
// the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(event.request, {ignoreSearch: true}))
    .then((kept) => kept || fetch(event.request)));
});
