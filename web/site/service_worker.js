// The site's offline copy. The build writes the list of its files and their
// SHA-256 digests into BUILD (web/service_worker_build.mjs); the copy is
// kept in a cache named from them, so a new build is a new cache. It is
// made whole and checked against the digests before this worker takes
// over, and a worker serves only from its own cache: a visit never mixes
// files of two builds. ROCK8.BMP may be replaced on the server: it comes
// from the network while there is one, from the copy otherwise.
"use strict";

const BUILD = /* BUILD */ {id: "unbuilt", files: {}};
const CACHE = `vorn-${BUILD.id}`;
const PICTURE = "ROCK8.BMP";

async function sha256(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", bytes));
  return [...digest].map((byte) => byte.toString(16).padStart(2, "0")).join("");
}

async function keepFile(cache, name, digest) {
  const response = await fetch(name, {cache: "no-store"});
  if (!response.ok) throw new Error(`${name}: HTTP ${response.status}`);
  if (await sha256(await response.clone().arrayBuffer()) !== digest)
    throw new Error(`${name} is not the file of build ${BUILD.id}`);
  await cache.put(name, response);
}

// The whole build or nothing: a site changing meanwhile fails the install,
// and the next visit tries again.
async function keepSite() {
  const cache = await caches.open(CACHE);
  try {
    await Promise.all(Object.entries(BUILD.files).map(([name, digest]) => keepFile(cache, name, digest)));
    const picture = await fetch(PICTURE, {cache: "no-store"}).catch(() => null);
    if (picture && picture.ok) await cache.put(PICTURE, picture);
  } catch (error) {
    await caches.delete(CACHE);
    throw error;
  }
}

self.addEventListener("install", (event) => {
  event.waitUntil(keepSite().then(() => self.skipWaiting()));
});

// Older builds' copies go; pages open now keep what they loaded, as they
// fetch no code again.
self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys())
      if (name.startsWith("vorn-") && name !== CACHE) await caches.delete(name);
    await self.clients.claim();
  })());
});

async function fromCopy(name, request) {
  const kept = await (await caches.open(CACHE)).match(name);
  return kept || fetch(request);
}

async function networkFirst(event) {
  const cache = await caches.open(CACHE);
  try {
    const response = await fetch(event.request);
    if (response.ok) event.waitUntil(cache.put(PICTURE, response.clone()));
    return response;
  } catch (error) {
    return (await cache.match(PICTURE)) || Response.error();
  }
}

self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url);
  const scope = new URL(self.registration.scope);
  if (event.request.method !== "GET" || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname))
    return;
  let name = url.pathname.slice(scope.pathname.length);
  if (event.request.mode === "navigate" && name === "") name = "index.html";
  if (name === PICTURE) event.respondWith(networkFirst(event));
  else if (Object.hasOwn(BUILD.files, name)) event.respondWith(fromCopy(name, event.request));
});
