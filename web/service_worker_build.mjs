// Writes the site's service worker (site/service_worker.js with its BUILD
// filled in): every file of the built site but ROCK8.BMP, which may be
// replaced on the server, with its SHA-256 digest, and the build's id, made
// from them. Run by the build once the site is together.
//   node web/service_worker_build.mjs SITE_FOLDER
import {createHash} from "node:crypto";
import {readdir, readFile, writeFile} from "node:fs/promises";
import path from "node:path";
import {fileURLToPath} from "node:url";

const WORKER = "service_worker.js";
const UNLISTED = new Set([WORKER, "ROCK8.BMP"]);
const template = path.join(path.dirname(fileURLToPath(import.meta.url)), "site", WORKER);

const sha256 = (bytes) => createHash("sha256").update(bytes).digest("hex");

export async function writeServiceWorker(folder) {
  const names = (await readdir(folder, {withFileTypes: true}))
    .filter((entry) => entry.isFile() && !UNLISTED.has(entry.name))
    .map((entry) => entry.name)
    .sort();
  const files = {};
  for (const name of names) files[name] = sha256(await readFile(path.join(folder, name)));
  const id = sha256(names.map((name) => `${name} ${files[name]}\n`).join("")).slice(0, 16);
  const source = await readFile(template, "utf8");
  const marker = /\/\* BUILD \*\/ \{[^\n]*\};/;
  if (!marker.test(source)) throw new Error(`${template} has no BUILD line to fill in`);
  await writeFile(path.join(folder, WORKER), source.replace(marker, `${JSON.stringify({id, files})};`));
  return id;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  if (process.argv.length !== 3) {
    console.error("usage: node web/service_worker_build.mjs SITE_FOLDER");
    process.exit(2);
  }
  try {
    await writeServiceWorker(process.argv[2]);
  } catch (error) {
    console.error(`vorn: cannot write the service worker: ${error.message}`);
    process.exit(1);
  }
}
