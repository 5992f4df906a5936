// Runs made with any C library's random numbers play in the page frame for
// frame: one the page recorded (musl, its own), given as a file, and one
// written for the capture tool (glibc, drawn here by vorn's copy of it),
// given as a link; each against the digests of its frames kept beside it
// in tests/runs, which the capture tool must reproduce too
// (tests/e2e/runs_check.sh).
import assert from "node:assert/strict";
import {readFile} from "node:fs/promises";
import {test} from "node:test";

import {onRunningPage, useSiteInBrowser, waitForEnd} from "./kit.mjs";

const site = useSiteInBrowser();
const fixture = (name) => new URL(`../runs/${name}`, import.meta.url).pathname;
const lines = async (file) => (await readFile(file, "utf8")).split("\n").filter((line) => line && !line.startsWith("#"));

for (const [name, via] of [["capture_glibc", "link"], ["page_musl", "file"]]) {
  test(`${name} given as a ${via} shows the frames it was recorded with`, () => onRunningPage(site, {}, async (page) => {
    // From now on every frame the program puts on the canvas is kept, to be digested as the fixtures are.
    await page.evaluate(() => {
      const context = document.getElementById("screen").getContext("2d", {alpha: false});
      const put = context.putImageData.bind(context), run = window.vorn.runs + 1;
      window.shown = [];
      context.putImageData = (image, ...at) => {
        put(image, ...at);
        if (window.vorn.runs === run) window.shown.push(image.data.slice());
      };
    });
    if (via === "link") await page.evaluate((hash) => { location.hash = hash; }, `run=${(await lines(fixture(`${name}.vornrun`))).join("/").replace(/ /g, ".")}`);
    else await (await page.$("#picture")).uploadFile(fixture(`${name}.vornrun`));
    await waitForEnd(page);
    const digests = await page.evaluate(() => Promise.all(window.shown.map(async (rgba) => {
      const rgb = new Uint8Array(rgba.length / 4 * 3);
      for (let i = 0, j = 0; i < rgba.length; i += 4) rgb[j++] = rgba[i], rgb[j++] = rgba[i + 1], rgb[j++] = rgba[i + 2];
      return [...new Uint8Array(await crypto.subtle.digest("SHA-256", rgb), 0, 8)].map((byte) => byte.toString(16).padStart(2, "0")).join("");
    })));
    assert.deepEqual(digests, await lines(fixture(`${name}.frames`)), "the frames differ from the recording");
  }));
}
