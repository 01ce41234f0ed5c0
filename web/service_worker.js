// The page's service worker: it keeps the site the build made, so that the
// page opens and paints without a network from the first visit on. The build
// writes two constants above these lines: kBuild, a digest of the site's
// files, and kFiles, their paths. Any change to the site changes this script,
// and the browser installs it as an update.
const kCache = `site-${kBuild}`;

addEventListener('install', (event) => {
    // Past the browser's own cache, so that a new build never keeps a file of
    // an old one; then in charge at once, so that a reload shows the new build.
    const requests = kFiles.map((file) => new Request(file, { cache: 'reload' }));
    event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(requests)).then(() => skipWaiting()));
});

addEventListener('activate', (event) => {
    const stale = (names) => names.filter((name) => name !== kCache).map((name) => caches.delete(name));
    event.waitUntil(caches.keys().then((names) => Promise.all(stale(names))).then(() => clients.claim()));
});

addEventListener('fetch', (event) => {
    const { request } = event;
    if (request.method !== 'GET' || new URL(request.url).origin !== location.origin)
        return;
    // The page's address may carry options; the page is the same page.
    const kept = caches.open(kCache).then((cache) => cache.match(request, { ignoreSearch: request.mode === 'navigate' }));
    event.respondWith(kept.then((response) => response ?? fetch(request)));
});
