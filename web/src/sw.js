// The service worker: keeps the site's files in a cache named after the build and answers the
// site's requests from it, so that a page once opened over http(s) opens and computes without the
// network. build.mjs defines SITE_HASH (a hash of the files) and SITE_FILES (their names); a new
// release has a new name, so its worker fills a new cache and deletes the old ones.
/* global SITE_HASH, SITE_FILES */

const PREFIX = 'kavrin-';
const SITE_CACHE = PREFIX + SITE_HASH;
const scope = new URL(self.registration.scope);

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches.open(SITE_CACHE)
      // From the server, not from the HTTP cache, which may still hold the previous release.
      .then((cache) => cache.addAll(SITE_FILES.map((f) => new Request(f, { cache: 'reload' }))))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      // Only Kavrin's own: other sites of the same origin may keep caches too.
      .then((names) => names.filter((name) => name.startsWith(PREFIX) && name !== SITE_CACHE))
      .then((old) => Promise.all(old.map((name) => caches.delete(name))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== scope.origin) return;
  // The site's folder is its page.
  if (url.pathname === scope.pathname) url.pathname += 'index.html';
  url.search = '';
  url.hash = '';
  event.respondWith(
    caches.open(SITE_CACHE)
      .then((cache) => cache.match(url.href))
      .then((cached) => cached || fetch(event.request)),
  );
});
