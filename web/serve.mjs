// A small static web server for the site, on 127.0.0.1 only.
//   node web/serve.mjs [FOLDER] [PORT]    (defaults: build/web/site, 8080;
//                                          port 0 takes any free port)
// Prints the address and serves until stopped. The browser checks start it
// from their kit with serveSite (one server per test file).
import {createReadStream} from "node:fs";
import {stat} from "node:fs/promises";
import http from "node:http";
import path from "node:path";
import {fileURLToPath} from "node:url";

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".wasm": "application/wasm",
  ".bmp": "image/bmp",
  ".ico": "image/x-icon",
  ".png": "image/png",
  ".webmanifest": "application/manifest+json",
  ".css": "text/css; charset=utf-8",
};

// The file a request path names inside root, or null when it would leave it.
function fileFor(root, requestUrl) {
  let name;
  try {
    name = decodeURIComponent(new URL(requestUrl, "http://localhost").pathname);
  } catch {
    return null;
  }
  if (name.endsWith("/")) name += "index.html";
  const file = path.resolve(root, `.${name}`);
  return file === root || file.startsWith(root + path.sep) ? file : null;
}

async function answer(root, request, response) {
  if (request.method !== "GET" && request.method !== "HEAD") {
    response.writeHead(405, {Allow: "GET, HEAD"}).end();
    return;
  }
  const file = fileFor(root, request.url);
  const info = file ? await stat(file).catch(() => null) : null;
  if (!info || !info.isFile()) {
    response.writeHead(404, {"Content-Type": "text/plain; charset=utf-8"}).end("Not found\n");
    return;
  }
  response.writeHead(200, {
    "Content-Type": TYPES[path.extname(file).toLowerCase()] || "application/octet-stream",
    "Content-Length": info.size,
    "Cache-Control": "no-cache",
  });
  if (request.method === "HEAD") {
    response.end();
    return;
  }
  createReadStream(file).on("error", () => response.destroy()).pipe(response);
}

// Serves folder on 127.0.0.1:port; resolves with {server, url} once listening.
// before(request), when given, is awaited before each answer (the browser
// checks hold requests back with it).
export function serveSite(folder, port = 0, {before = async () => {}} = {}) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    before(request).then(() => answer(root, request, response)).catch(() => response.destroy());
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(port, "127.0.0.1", () => {
      resolve({server, url: `http://127.0.0.1:${server.address().port}/`});
    });
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const folder = process.argv[2] || "build/web/site";
  const port = Number(process.argv[3] || 8080);
  const index = await stat(path.join(folder, "index.html")).catch(() => null);
  if (!index) {
    console.error(`vorn: ${folder} has no index.html: build the site first (cmake --build --preset web)`);
    process.exit(1);
  }
  try {
    const {url} = await serveSite(folder, port);
    console.log(`Serving ${folder} at ${url} (Ctrl+C stops)`);
  } catch (error) {
    console.error(`vorn: cannot serve on 127.0.0.1:${port}: ${error.message}`);
    process.exit(1);
  }
}
