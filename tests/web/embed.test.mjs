// The embed (embed.html): alone, it waits for Play whatever odd address it
// is given, plays the run of its fragment and keeps nothing; the code Share
// gives frames it on another origin, where it plays, while the main page
// refuses to be framed.
import assert from "node:assert/strict";
import http from "node:http";
import {test} from "node:test";

import {classify, openPage, screenshot, useSiteInBrowser, waitForEnd, waitForRunning, waitInPage} from "./kit.mjs";

const site = useSiteInBrowser();
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// First, while the browser is fresh: whatever it keeps, the embed kept.
test("alone it waits for Play, plays its fragment's run and keeps nothing", async () => {
  const run = `vorn-run.1/generator.glibc/picture.${"0".repeat(64)}/seed.3/frames.40/keys.down@5-30/`;
  const page = await openPage(site.browser, `${site.url}embed.html?autoplay=yes&x=%ZZ&autoplay#run=${run}`);
  await pause(1000);
  assert.equal(await page.evaluate(() => window.vorn.state), "loading", "it started without Play");
  // (WebKit's window under its driver never has the focus that shows the bar.)
  if (await page.evaluate(() => document.getElementById("share").focus() ?? document.hasFocus()))
    await waitInPage(page, "the bar shown on focus", () => getComputedStyle(document.getElementById("bar")).opacity === "1");
  await page.click("#start");
  await waitForEnd(page);
  assert.deepEqual(await page.evaluate(async () => {
    localStorage.setItem("kept", "1");  // as any of the page's scripts might
    const own = document.body.appendChild(document.createElement("iframe")).contentWindow;  // the page's real storage
    return [window.vorn.frames, own.localStorage.length, own.sessionStorage.length, document.cookie,
            (await navigator.serviceWorker.getRegistrations()).length, (await caches.keys()).length];
  }), [40, 0, 0, "", 0, 0], "not the run's 40 frames, or something kept");
  assert.deepEqual(await page.problems(), []);
  await page.close();
});

test("framed from another origin the embed plays; the main page refuses to be framed", async () => {
  const main = await openPage(site.browser, site.url);
  await waitForRunning(main, 10);
  await main.click("#share");
  await main.click("#copy-embed");
  const code = await main.$eval("#embed-code", (field) => field.value);
  await main.close();
  assert.match(code, /^<iframe src="http:\/\/127\.0\.0\.1:\d+\/embed\.html#run=vorn-run\.1\/[^"]+" width="640" height="480" title="Vorn: a run of \d+ frames" allow="fullscreen; screen-wake-lock"/);
  const other = http.createServer((request, response) => response.end(`<!doctype html><body style="margin: 0">
    ${code.replace("embed.html#", "embed.html?autoplay=1#")}<iframe src="${site.url}" width="640" height="480" style="position: absolute; top: 500px"></iframe>`));
  await new Promise((resolve) => other.listen(0, "127.0.0.1", resolve));
  const page = await openPage(site.browser, `http://127.0.0.1:${other.address().port}/`, {width: 700, height: 1000});
  const rocksIn = (shot, top) => classify(shot.pixels.filter((_, i) => i % shot.width < 640 &&
    Math.abs(Math.floor(i / shot.width) - top - 240) < 240), site.rocks).rock;
  let shot = await screenshot(page);
  for (const deadline = Date.now() + 15000; rocksIn(shot, 0) < 10000 && Date.now() < deadline;) shot = await screenshot(page);
  await page.close();
  other.close();
  assert.ok(rocksIn(shot, 0) >= 10000, "the framed embed shows no rocks");
  assert.equal(rocksIn(shot, 500), 0, "the framed main page shows rocks");
});
