// A small static web server for the site, on 127.0.0.1 only.
//   node web/serve.mjs [FOLDER] [PORT]    (defaults: build/web/site, 8080;
//                                          port 0 takes any free port)
// Prints the address and serves until stopped. The browser checks start it
// from their kit with serveSite (one server per test file).
import {createReadStream} from "node:fs";
import {readFile, stat} from "node:fs/promises";
import http from "node:http";
import path from "node:path";
import {fileURLToPath} from "node:url";
import {promisify} from "node:util";
import zlib from "node:zlib";

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

// The page carries its own Content-Security-Policy (index.html), so that
// any static server gives it; the server adds what only a header can say:
// no other site may show the page in a frame, and any site the embed.
const PAGE_POLICY = "frame-ancestors 'none'";
const EMBED_POLICY = "frame-ancestors *";

// Text and WebAssembly go compressed to a browser that accepts it, Brotli
// before gzip. Quality 6 is most of what Brotli can do at a small part of
// its time; each file is compressed once for as long as it is unchanged.
const COMPRESSED = new Set([".html", ".js", ".mjs", ".css", ".webmanifest", ".json", ".svg", ".wasm"]);
const ENCODERS = {
  br: (bytes) => promisify(zlib.brotliCompress)(bytes, {params: {
    [zlib.constants.BROTLI_PARAM_QUALITY]: 6, [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length}}),
  gzip: (bytes) => promisify(zlib.gzip)(bytes),
};
const packed = new Map();  // file -> {version, br, gzip}: the compressed bytes of its version

// The encoding to send file in: one the request accepts (q above 0), or null.
function encodingFor(request, file) {
  if (!COMPRESSED.has(path.extname(file).toLowerCase())) return null;
  const accepted = new Map((request.headers["accept-encoding"] || "").split(",").map((part) => {
    const [name, ...options] = part.trim().toLowerCase().split(";");
    const quality = options.map((option) => option.trim().match(/^q=([\d.]+)$/)).find(Boolean);
    return [name, quality ? Number(quality[1]) : 1];
  }));
  return Object.keys(ENCODERS).find((name) => accepted.get(name) > 0) || null;
}

async function compressed(file, info, encoding) {
  const version = `${info.mtimeMs} ${info.size}`;
  let entry = packed.get(file);
  if (!entry || entry.version !== version) packed.set(file, entry = {version});
  entry[encoding] ??= readFile(file).then(ENCODERS[encoding]);
  return entry[encoding];
}

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
  const headers = {
    "Content-Type": TYPES[path.extname(file).toLowerCase()] || "application/octet-stream",
    "Content-Length": info.size,
    "Cache-Control": "no-cache",
    ...(path.extname(file).toLowerCase() === ".html"
      ? {"Content-Security-Policy": path.basename(file) === "embed.html" ? EMBED_POLICY : PAGE_POLICY} : {}),
  };
  if (COMPRESSED.has(path.extname(file).toLowerCase())) headers.Vary = "Accept-Encoding";
  const encoding = encodingFor(request, file);
  const body = encoding ? await compressed(file, info, encoding) : null;
  if (body) Object.assign(headers, {"Content-Encoding": encoding, "Content-Length": body.length});
  response.writeHead(200, headers);
  if (request.method === "HEAD") response.end();
  else if (body) response.end(body);
  else createReadStream(file).on("error", () => response.destroy()).pipe(response);
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
