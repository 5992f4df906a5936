// Runs made with any C library's random numbers play in the page frame for
// frame: one the page recorded (musl, its own) and one written for the
// capture tool (glibc, drawn here by vorn's copy of it), each against the
// digests of its frames kept beside it in tests/runs, which the capture
// tool's test (tests/capture_test.cpp) must reproduce as well.
import assert from "node:assert/strict";
import {readFile} from "node:fs/promises";
import path from "node:path";
import {fileURLToPath} from "node:url";
import {describe, test} from "node:test";

import {onRunningPage, useSiteInBrowser, waitForEnd, waitInPage} from "./kit.mjs";

const runs = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../runs");
const lines = (text) => text.split("\n").filter((line) => line !== "" && !line.startsWith("#"));

// From now on every frame the program puts on the canvas is digested as
// the fixtures are, tagged with the page's run count at the time.
function digestFrames(page) {
  return page.evaluate(() => {
    const context = document.getElementById("screen").getContext("2d", {alpha: false});
    const put = context.putImageData.bind(context);
    const hex = (digest) => [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, "0")).join("");
    window.shown = [];
    context.putImageData = (image, ...at) => {
      put(image, ...at);
      const run = window.vorn.runs;
      window.shown.push(crypto.subtle.digest("SHA-256", image.data.slice()).then((digest) => ({run, digest: hex(digest).slice(0, 16)})));
    };
  });
}

describe("runs of every generator in the page", () => {
  const site = useSiteInBrowser();

  for (const {name, via} of [{name: "capture_glibc", via: "link"}, {name: "page_musl", via: "file"}]) {
    test(`${name} (by ${via}) shows the frames it was recorded with`, async () => {
      const file = path.join(runs, `${name}.vornrun`);
      const text = lines(await readFile(file, "utf8")).join("\n");
      const expected = lines(await readFile(path.join(runs, `${name}.frames`), "utf8"));
      await onRunningPage(site, {}, async (page) => {
        await digestFrames(page);
        const before = await page.evaluate(() => window.vorn.runs);
        if (via === "link") await page.evaluate((hash) => { location.hash = hash; }, `run=${text.replace(/\n/g, "/").replace(/ /g, ".")}`);
        else await (await page.$("#picture")).uploadFile(file);
        await waitInPage(page, `the run of ${name}`, (before) => window.vorn.runs > before, before);
        await waitForEnd(page, 20000 + expected.length * 100);
        const shown = await page.evaluate(async (run) =>
          (await Promise.all(window.shown)).filter((frame) => frame.run === run).map((frame) => frame.digest), before + 1);
        assert.equal(shown.length, expected.length, "the run showed another number of frames");
        const first = shown.findIndex((digest, i) => digest !== expected[i]);
        assert.equal(first, -1, `frame ${first + 1} differs from the recording`);
      });
    });
  }
});
