// The site's offline copy. The build writes the list of its files and their
// SHA-256 digests into BUILD (web/service_worker_build.mjs); the copy is
// kept in a cache named from them, so a new build is a new cache. It is
// made whole and checked against the digests before this worker takes
// over.
// A page is served from the build of its document alone, whichever worker
// answers: the worker that serves a page its document notes the page's
// build, and a newer worker that takes over while the page still loads
// goes on serving it from that build's copy, which stays until no open page
// needs it. A page loaded from the network is never taken over, and goes on
// loading from there.
// ROCK8.BMP may be replaced on the server: it comes from the network while
// there is one; one that answers too slowly gives way to the kept copy.
"use strict";

const BUILD = /* BUILD */ {id: "unbuilt", files: {}};
const PREFIX = "vorn-";
const CACHE = `${PREFIX}${BUILD.id}`;
// Notes: which build each page was served, and when each build was put in
// place (so that no worker tidies away a newer build's copy).
const NOTES = `${PREFIX}notes`;
const PICTURE = "ROCK8.BMP";
// How long the network gets to answer for ROCK8.BMP while a copy is kept.
const PICTURE_WAIT_MS = 3000;
// A page's note goes once the page has been seen open and is no more; one
// never seen open goes after this long (its document may still be on its
// way).
const UNSEEN_PAGE_MS = 10000;

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const noteKey = (kind, id) => new URL(`${NOTES}/${kind}/${encodeURIComponent(id)}`, self.registration.scope).href;
const idOf = (key) => decodeURIComponent(key.slice(key.lastIndexOf("/") + 1));

async function writeNote(kind, id, fields) {
  await (await caches.open(NOTES)).put(noteKey(kind, id), new Response(JSON.stringify(fields)));
}

async function readNote(kind, id) {
  const note = await caches.match(noteKey(kind, id), {cacheName: NOTES});
  return note ? note.json() : null;
}

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
  await writeNote("build", BUILD.id, {at: Date.now()});
  const cache = await caches.open(CACHE);
  try {
    await Promise.all(Object.entries(BUILD.files).map(([name, digest]) => keepFile(cache, name, digest)));
    const picture = await fetch(PICTURE, {cache: "no-store"}).catch(() => null);
    if (picture && picture.ok) await cache.put(PICTURE, picture);
    if (!(await caches.has(CACHE))) throw new Error("the copy was tidied away meanwhile");
  } catch (error) {
    await caches.delete(CACHE);
    await (await caches.open(NOTES)).delete(noteKey("build", BUILD.id));
    throw error;
  }
}

// The build the page was served. A page whose document left no note (the
// browser names no page for the document it asks for) is this build's
// from its first request on.
async function buildOfPage(pageId) {
  const note = await readNote("page", pageId);
  if (note) return note.build;
  if (pageId) await writeNote("page", pageId, {build: BUILD.id, at: Date.now()});
  return BUILD.id;
}

// The builds the pages' notes still need; notes of closed pages go.
async function buildsOfOpenPages(notes) {
  const open = new Set((await self.clients.matchAll({includeUncontrolled: true})).map((client) => client.id));
  const needed = new Set();
  for (const key of await notes.keys()) {
    if (!key.url.startsWith(noteKey("page", ""))) continue;
    const note = await (await notes.match(key)).json();
    const pageId = idOf(key.url);
    if (open.has(pageId) && !note.seen) await notes.put(key, new Response(JSON.stringify({...note, seen: true})));
    if (open.has(pageId) || (!note.seen && Date.now() - note.at < UNSEEN_PAGE_MS)) needed.add(note.build);
    else await notes.delete(key);
  }
  return needed;
}

// Older builds' copies that no open page needs go. The copies are listed
// before the notes are read: a copy is begun only after its build's note
// is written, so a newer build's copy is always known as newer.
async function tidyCopies() {
  const copies = (await caches.keys()).filter((name) => name.startsWith(PREFIX) && name !== NOTES);
  const notes = await caches.open(NOTES);
  const needed = await buildsOfOpenPages(notes);
  const mine = await readNote("build", BUILD.id);
  for (const copy of copies) {
    const build = copy.slice(PREFIX.length);
    const made = await readNote("build", build);
    const newer = made && (!mine || made.at >= mine.at);
    if (build === BUILD.id || needed.has(build) || newer) continue;
    await caches.delete(copy);
    await notes.delete(noteKey("build", build));
  }
}

self.addEventListener("install", (event) => {
  event.waitUntil(keepSite().then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(tidyCopies());
});

// A page's document, from this build's copy; the page is this build's from
// now on.
async function servePage(event, name) {
  const kept = await caches.match(name, {cacheName: CACHE});
  if (!kept) return fetch(event.request);
  if (event.resultingClientId) await writeNote("page", event.resultingClientId, {build: BUILD.id, at: Date.now()});
  return kept;
}

// A file for a page, from the copy of the page's build; from the network
// when that build has no such file.
async function serveFile(event, name) {
  const build = await buildOfPage(event.clientId);
  return (await caches.match(name, {cacheName: `${PREFIX}${build}`})) || fetch(event.request);
}

// Network first; a kept copy once the network fails, or once it has not
// answered in PICTURE_WAIT_MS; without a kept copy, the network however
// long it takes. What the network sends is kept for next time; the worker
// waits for that no longer than PICTURE_WAIT_MS either: a request that never
// ends must not keep a newer worker from taking over.
function servePicture(event) {
  const fromNetwork = fetch(event.request);
  const keeping = fromNetwork.then(async (response) => {
    if (response.ok) await (await caches.open(CACHE)).put(PICTURE, response.clone());
  }).catch(() => {});
  const kept = () => caches.match(PICTURE, {cacheName: CACHE});
  const failed = fromNetwork.catch(async () => (await kept()) || Response.error());
  const late = delay(PICTURE_WAIT_MS).then(async () => (await kept()) || fromNetwork);
  event.waitUntil(Promise.race([keeping, delay(PICTURE_WAIT_MS)]).then(tidyCopies));
  return Promise.race([failed, late]);
}

self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url);
  const scope = new URL(self.registration.scope);
  if (event.request.method !== "GET" || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname))
    return;
  let name = url.pathname.slice(scope.pathname.length);
  if (event.request.mode === "navigate") {
    if (name === "") name = "index.html";
    if (Object.hasOwn(BUILD.files, name)) event.respondWith(servePage(event, name));
  } else if (name === PICTURE) {
    event.respondWith(servePicture(event));
  } else {
    event.respondWith(serveFile(event, name));
  }
});
