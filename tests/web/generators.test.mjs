// Runs made with any C library's random numbers play in the page frame for
// frame: one the page recorded (musl, its own), given as a file, and one
// written for the capture tool (glibc, drawn here by vorn's copy of it),
// given as a link; each against the digests of its frames kept beside it
// in tests/runs, which the capture tool's test (tests/capture_test.cpp)
// must reproduce as well.
import assert from "node:assert/strict";
import {readFile} from "node:fs/promises";
import path from "node:path";
import {fileURLToPath} from "node:url";
import {test} from "node:test";

import {onRunningPage, useSiteInBrowser, waitForEnd} from "./kit.mjs";

const site = useSiteInBrowser();
const runs = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../runs");
const lines = async (file) => (await readFile(file, "utf8")).split("\n").filter((line) => line && !line.startsWith("#"));

for (const [name, via] of [["capture_glibc", "link"], ["page_musl", "file"]]) {
  test(`${name} given as a ${via} shows the frames it was recorded with`, () => onRunningPage(site, {}, async (page) => {
    const file = path.join(runs, `${name}.vornrun`);
    const expected = await lines(path.join(runs, `${name}.frames`));
    // Every frame the program puts on the canvas from now on, digested as the fixtures are.
    const played = await page.evaluate(() => {
      const context = document.getElementById("screen").getContext("2d", {alpha: false});
      const put = context.putImageData.bind(context);
      const hex = (digest) => [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, "0")).join("");
      window.shown = [];
      context.putImageData = (image, ...at) => {
        put(image, ...at);
        const run = window.vorn.runs;
        window.shown.push(crypto.subtle.digest("SHA-256", image.data.slice()).then((digest) => [run, hex(digest).slice(0, 16)]));
      };
      return window.vorn.runs + 1;
    });
    if (via === "link") await page.evaluate((hash) => { location.hash = hash; }, `run=${(await lines(file)).join("/").replace(/ /g, ".")}`);
    else await (await page.$("#picture")).uploadFile(file);
    await waitForEnd(page, 20000 + expected.length * 100);
    const shown = await page.evaluate(async (run) => (await Promise.all(window.shown)).filter(([of]) => of === run).map(([, digest]) => digest), played);
    assert.equal(shown.length, expected.length, "the run showed another number of frames");
    const first = shown.findIndex((digest, i) => digest !== expected[i]);
    assert.equal(first, -1, `frame ${first + 1} differs from the recording`);
  }));
}
