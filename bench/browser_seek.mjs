// How long the player's seek takes in a browser (headless Chromium, or
// VORN_BROWSER=firefox or webkit through the browser checks' kit): a
// ten-minute run (18,000 frames) from a run link, paused; End computes
// every frame from the one shown to the last unseen, "," (a frame back)
// starts the program again and computes all but the last, 5 goes to the
// middle. Each is timed in the page, from the key to the canvas showing
// the frame landed on. A benchmark: it reports, it never fails on a
// figure. Needs the web build (the site in build/web/site).
//
//   node bench/browser_seek.mjs [ROUNDS]
import {createHash} from "node:crypto";
import {readFile} from "node:fs/promises";
import os from "node:os";
import path from "node:path";

import {openPage, serveCopy, site, startBrowser, waitInPage} from "../tests/web/kit.mjs";

const rounds = Number(process.argv[2] || 5);
const FRAMES = 18000;
const SEEKS = [{key: "End", code: "End"}, {key: ",", code: "Comma"}, {key: "5", code: "Digit5"}];

const median = (times) => [...times].sort((a, b) => a - b)[times.length >> 1];

// Milliseconds from the key to the landing, timed in the page.
const timeSeek = (page, {key, code}) => page.evaluate(async (key, code) => {
  const start = performance.now();
  window.dispatchEvent(new KeyboardEvent("keydown", {key, code}));
  while (!window.vorn.player || window.vorn.player.busy) await new Promise((resolve) => setTimeout(resolve, 1));
  return performance.now() - start;
}, key, code);

const picture = createHash("sha256").update(await readFile(path.join(site, "ROCK8.BMP"))).digest("hex");
const text = `vorn-run 1\ngenerator musl\npicture ${picture}\nseed 1800000000\nframes ${FRAMES}\n` +
             "keys down@20-600,left@700-1200,up@4000-4100,right@5000-9000\n";
const served = await serveCopy();
const started = await startBrowser();
try {
  const page = await openPage(started.browser, `${served.url}#run=${text.replace(/\n/g, "/").replace(/ /g, ".")}`);
  await waitInPage(page, "the replay", () => window.vorn.player && window.vorn.player.frame > 1);
  await page.keyboard.press("p");
  await waitInPage(page, "the pause", () => window.vorn.paused);
  const times = SEEKS.map(() => []);
  for (let round = 0; round < rounds; ++round) {
    await timeSeek(page, {key: "Home", code: "Home"});
    for (const [i, seek] of SEEKS.entries()) times[i].push(await timeSeek(page, seek));
  }
  const load = os.loadavg().map((figure) => figure.toFixed(2)).join(" ");
  console.log(`In ${await started.browser.version()}, ${os.cpus().length} cores, load average ${load}, ${rounds} rounds:`);
  const what = ["End, from frame 1 (18,000 frames)", "a frame back from the last (17,999)", "5, from there (9,000)"];
  for (const [i, name] of what.entries())
    console.log(`  ${name}`.padEnd(44) + `${Math.round(median(times[i]))} ms median, ` +
                `${Math.round(Math.min(...times[i]))} to ${Math.round(Math.max(...times[i]))}   (target < 2000)`);
  await page.close();
} finally {
  await started.close();
  await served.close();
}
