// Keeps every file of the program, so that after one visit it starts with
// no network. The cache is named after the files' contents: a new build
// installs a new cache and the old one goes.
const CACHE = 'lumivar-@VERSION@';
const FILES = [@FILES@];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
                        .then((names) => Promise.all(names.filter((name) => name !== CACHE)
                                                         .map((name) => caches.delete(name))))
                        .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
    if (event.request.method !== 'GET') {
        return;
    }
    event.respondWith(caches.open(CACHE).then((cache) => cache.match(event.request, {ignoreSearch: true})
                                                            .then((kept) => kept || fetch(event.request))));
});
