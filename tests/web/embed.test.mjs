// The embed (embed.html) on another origin, framed by the code Share gives:
// asked to (?autoplay=1) it plays there, otherwise it waits for Play; the
// main page refuses to be framed.
import assert from "node:assert/strict";
import http from "node:http";
import {test} from "node:test";

import {classify, openPage, screenshot, useSiteInBrowser, waitForRunning} from "./kit.mjs";

const site = useSiteInBrowser();

test("framed from another origin the embed plays; the main page refuses to be framed", async () => {
  const main = await openPage(site.browser, site.url);
  await waitForRunning(main, 10);
  await main.click("#share");
  await main.click("#copy-embed");
  const code = await main.$eval("#embed-code", (field) => field.value);
  await main.close();
  assert.match(code, /^<iframe src="http:\/\/127\.0\.0\.1:\d+\/embed\.html#run=vorn-run\.1\/[^"]+" width="640" height="480" title="Vorn: a run of \d+ frames" allow="fullscreen; screen-wake-lock"/);
  const framed = (top, address) => `<iframe src="${address}" width="640" height="480" style="position: absolute; top: ${top}px"></iframe>`;
  const other = http.createServer((request, response) => response.end(`<!doctype html><body style="margin: 0">
    ${code.replace("embed.html#", "embed.html?autoplay=1&odd=%ZZ#")}${framed(500, site.url)}${framed(1000, `${site.url}embed.html`)}`));
  await new Promise((resolve) => other.listen(0, "127.0.0.1", resolve));
  const page = await openPage(site.browser, `http://127.0.0.1:${other.address().port}/`, {width: 700, height: 1500});
  const rocksIn = (shot, top) => classify(shot.pixels.filter((_, i) => i % shot.width < 640 &&
    Math.abs(Math.floor(i / shot.width) - top - 240) < 240), site.rocks).rock;
  let shot = await screenshot(page);
  for (const deadline = Date.now() + 15000; rocksIn(shot, 0) < 10000 && Date.now() < deadline;) shot = await screenshot(page);
  await page.close();
  other.close();
  assert.ok(rocksIn(shot, 0) >= 10000, "the framed embed shows no rocks");
  assert.equal(rocksIn(shot, 500), 0, "the framed main page shows rocks");
  assert.equal(rocksIn(shot, 1000), 0, "the embed not asked to play plays");
});
