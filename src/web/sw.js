// Keeps every file of the program, so that after one visit it starts with
// no network. The cache is named after the files' contents: a new build
// installs a new cache, filled from the server itself, never from the
// browser's HTTP cache, which may hold the old files for days. A page is
// served from one cache only, so that it never mixes two versions.
const CACHE = 'lumivar-@VERSION@';
const FILES = [@FILES@];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(CACHE)
                        .then((cache) => Promise.all(FILES.map((file) => fetch(file, {cache: 'reload'}).then((answer) => {
                            if (!answer.ok) {
                                throw new Error(`${file}: ${answer.status}`);
                            }
                            return cache.put(file, answer);
                        }))))
                        // The first worker takes the page at once; a new
                        // version waits until the page lets it.
                        .then(() => (self.registration.active ? undefined : self.skipWaiting())));
});

self.addEventListener('message', (event) => {
    if (event.data === 'take-over') {
        self.skipWaiting();
    }
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
