// The demo's pace in a browser: headless Chromium, or WebKitGTK
// (VORN_BROWSER=webkit) or Firefox ESR (VORN_BROWSER=firefox) through the
// browser checks' kit, the site served by web/serve.mjs in a process of its
// own. How soon the first frame shows after navigation on a first visit (a
// fresh browser context each load, seven loads), beside the floor: a page
// with one 640 x 480 canvas filled on its first animation frame, loaded in
// turn with the demo's from the same server; then on repeat
// visits (the offline copy and the cache in use); then, on a 1920 x 1080
// stage (in Chromium at device pixel ratios 1 and 2), frames presented per
// second over ten seconds and, in Chromium, the share of the page's main
// thread it keeps busy (TaskDuration: every task the main thread ran, the
// demo's frames, the picture's scaling and the page's own). A benchmark: it reports,
// it never fails on a figure. Needs the web build (the site in
// build/web/site).
//
//   node bench/browser_pace.mjs [SECONDS]
import {spawn} from "node:child_process";
import {writeFile} from "node:fs/promises";
import os from "node:os";
import path from "node:path";
import {fileURLToPath} from "node:url";

import {inChromium, inWebKit, openPage, serveCopy, startBrowser, waitForRunning, waitInPage} from "../tests/web/kit.mjs";

const seconds = Number(process.argv[2] || 10);
const LOADS = 7;

// The floor page tells its first frame the way the demo's page does.
const FLOOR_PAGE = `<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>floor</title>
<script src="floor.js" defer></script></head>
<body style="margin:0;background:#000"><canvas id="screen" width="640" height="480"></canvas></body></html>
`;
const FLOOR_SCRIPT = `requestAnimationFrame(() => {
  const context = document.getElementById("screen").getContext("2d", {alpha: false});
  context.fillStyle = "#224";
  context.fillRect(0, 0, 640, 480);
  window.vorn = {firstFrameAt: performance.now()};
});
`;

// A first visit: a fresh browser context (in WebKit a fresh browser, whose
// data is never kept), the cache off. Milliseconds from navigation to the
// first frame shown.
async function coldFirstFrame(started, url) {
  const context = inWebKit ? await started.newSession() : await started.browser.createBrowserContext();
  try {
    const page = await context.newPage();
    if (inChromium) await page.setCacheEnabled(false);
    await page.goto(url);
    return Math.round(await waitInPage(page, "the first frame", () => window.vorn && window.vorn.firstFrameAt));
  } finally {
    await context.close();
  }
}

const median = (times) => [...times].sort((a, b) => a - b)[times.length >> 1];

function report(what, times, target) {
  const sorted = [...times].sort((a, b) => a - b);
  console.log(`  first frame, ${what}`.padEnd(36) + `${median(times)} ms median` +
              ` (${sorted[0]} to ${sorted[sorted.length - 1]})${target ? `; target ${target}` : ""}`);
}

// Floor and demo loaded in turn, which goes first changing every round, so
// that both meet the same load on a shared machine; one load of each first,
// not counted, warms the browser's own files.
async function coldLoads(started, served) {
  await writeFile(path.join(served.folder, "floor.html"), FLOOR_PAGE);
  await writeFile(path.join(served.folder, "floor.js"), FLOOR_SCRIPT);
  const pages = {floor: `${served.url}floor.html`, vorn: served.url};
  const times = {floor: [], vorn: []};
  for (let round = -1; round < LOADS; ++round) {
    const order = round % 2 === 0 ? ["floor", "vorn"] : ["vorn", "floor"];
    for (const name of order) {
      const time = await coldFirstFrame(started, pages[name]);
      if (round >= 0) times[name].push(time);
    }
  }
  report("cold, floor page", times.floor);
  report("cold, Vorn", times.vorn, `<= 2 x floor = ${2 * median(times.floor)}`);
  console.log(`  cold, Vorn / floor`.padEnd(36) + `${(median(times.vorn) / median(times.floor)).toFixed(2)}`);
}

async function repeatLoads(browser, url) {
  const page = await openPage(browser, url);
  await waitInPage(page, "the offline copy", () => navigator.serviceWorker.getRegistration()
    .then((registration) => registration && registration.active !== null));
  const repeat = [];
  for (let load = 0; load < LOADS; ++load) {
    await page.reload();
    repeat.push(Math.round(await waitInPage(page, "the first frame", () => window.vorn.firstFrameAt)));
  }
  await page.close();
  report("repeat visit, Vorn", repeat, "below cold");
}

// How many animation frames each demo frame took (2 at 60 Hz is 30 a
// second; 3 when the 30 ms pause and the frame missed the second one).
function countSpans() {
  window.paceSpans = {};
  let shown = window.vorn.frames;
  let span = 0;
  const count = () => {
    span += 1;
    if (window.vorn.frames !== shown) {
      shown = window.vorn.frames;
      window.paceSpans[span] = (window.paceSpans[span] || 0) + 1;
      span = 0;
    }
    requestAnimationFrame(count);
  };
  requestAnimationFrame(count);
}

// On a 1920 x 1080 stage (the bar below it is added to the viewport) at a
// device pixel ratio, which only Chromium can be given.
async function pace(browser, url, ratio) {
  const page = await openPage(browser, url, {width: 1920, height: 1080});
  const bar = await page.evaluate(() => innerHeight - document.getElementById("stage").clientHeight);
  if (inChromium) await page.setViewport({width: 1920, height: 1080 + bar, deviceScaleFactor: ratio});
  else await page.setViewport({width: 1920, height: 1080 + bar});
  await page.reload();
  await waitForRunning(page, 30);
  const picture = await page.evaluate(() => {
    const shown = document.getElementById("view") || document.getElementById("screen");  // an older build's
    const rect = shown.getBoundingClientRect();
    return [Math.round(rect.width * devicePixelRatio), Math.round(rect.height * devicePixelRatio),
            document.getElementById("stage").clientWidth, document.getElementById("stage").clientHeight];
  });
  await page.evaluate(countSpans);
  const sample = async () => ({metrics: inChromium ? await page.metrics() : {},
                               frames: await page.evaluate(() => window.vorn.frames)});
  const before = await sample();
  const started = process.hrtime.bigint();
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  const after = await sample();
  const wall = Number(process.hrtime.bigint() - started) / 1e9;
  const frames = after.frames - before.frames;
  console.log(`A ${picture[2]} x ${picture[3]} stage at a device pixel ratio of ${inChromium ? ratio : 1}, ` +
              `the picture ${picture[0]} x ${picture[1]}; over ${wall.toFixed(1)} s:`);
  console.log(`  frames presented per second   ${(frames / wall).toFixed(1)}   (target 30 +- 2)`);
  if (inChromium) {
    const busy = after.metrics.TaskDuration - before.metrics.TaskDuration;
    const script = after.metrics.ScriptDuration - before.metrics.ScriptDuration;
    console.log(`  main thread busy               ${(100 * busy / wall).toFixed(1)} %` +
                ` (${(1000 * busy / frames).toFixed(2)} ms a frame)`);
    console.log(`  of which script                ${(100 * script / wall).toFixed(1)} %`);
  }
  const spans = await page.evaluate(() => window.paceSpans);
  console.log(`  animation frames per frame     ${Object.entries(spans).map(([n, count]) => `${n}: ${count}`).join(", ")}`);
  const problems = await page.problems();
  if (problems.length) console.log(`  the page reported: ${problems.join("; ")}`);
  await page.close();
}

// The site's server in a process of its own, as a real one is: in this
// one it would share its turns with the browser's driver.
async function serveApart(folder) {
  const script = path.join(path.dirname(fileURLToPath(import.meta.url)), "../web/serve.mjs");
  const server = spawn(process.execPath, [script, folder, "0"], {stdio: ["ignore", "pipe", "inherit"]});
  const url = await new Promise((resolve, reject) => {
    server.stdout.on("data", (text) => {
      const address = String(text).match(/at (http\S+)/);
      if (address) resolve(address[1]);
    });
    server.once("exit", (code) => reject(new Error(`the site's server ended (exit code ${code})`)));
  });
  return {url, folder, stop: () => server.kill()};
}

const load = () => os.loadavg().map((figure) => figure.toFixed(2)).join(" ");
const copy = await serveCopy();
await copy.stop();
const served = await serveApart(copy.folder);
const started = await startBrowser();
try {
  console.log(`In ${await started.browser.version()}, ${os.cpus().length} cores, load average ${load()}:`);
  await coldLoads(started, served);
  await repeatLoads(started.browser, served.url);
  for (const ratio of inChromium ? [1, 2] : [1]) await pace(started.browser, served.url, ratio);
  console.log(`Load average at the end: ${load()}`);
} finally {
  await started.close();
  served.stop();
  await copy.close();
}
