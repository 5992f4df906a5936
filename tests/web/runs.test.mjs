// How runs end and start again: a quit by Escape, a site without its
// picture, the user's own picture, and hostile ones.
import assert from "node:assert/strict";
import path from "node:path";
import {describe, test} from "node:test";

import {
  STAR_INDICES, classify, fuzzSeeds, nextFrame, openPage, readRockFile, serveCopy, statusText,
  useSiteInBrowser, waitForEnd, waitForRunning, waitInPage, writeSquareRocks,
} from "./kit.mjs";

// Seeds the program refuses, each for its own reason.
const HOSTILE = ["bmp/sixteen_bit.bmp", "bmp/thirty_two_bit.bmp", "bmp/size_zero.bmp", "bmp/top_down.bmp"];

describe("runs of the demo in a browser", () => {
  const site = useSiteInBrowser();

  async function withPage(url, fn) {
    const page = await openPage(site.browser, url);
    try {
      await fn(page);
    } finally {
      await page.close();
    }
  }

  // Picks the file with the page's picker and waits for the run it starts
  // to be running (more than a few frames) or to have ended.
  async function pick(page, file) {
    const runs = await page.evaluate(() => window.vorn.runs);
    const input = await page.$("#picture");
    await input.uploadFile(file);
    await waitInPage(page, `a run with ${path.basename(file)}`, (before) =>
      window.vorn.runs > before && (window.vorn.state === "ended" || window.vorn.frames >= 3), runs);
  }

  test("Escape let go: exit code 0, and no frame after", async () => {
    await withPage(site.url, async (page) => {
      await waitForRunning(page);
      await page.keyboard.down("Escape");
      const held = await page.evaluate(() => window.vorn.frames);
      await waitForRunning(page, held + 5);  // frames go on while the key is held
      assert.equal(await page.evaluate(() => window.vorn.state), "running", "ended while Escape was held");
      await page.keyboard.up("Escape");
      await waitForEnd(page, 3000);
      assert.equal(await statusText(page), "Vorn ended (exit code 0)");
      assert.equal(await page.evaluate(() => window.vorn.exitCode), 0);
      assert.equal(await page.$eval("#again", (button) => button.hidden), false, "no Run again");
      const last = await page.evaluate(() => window.vorn.frames);
      await new Promise((resolve) => setTimeout(resolve, 1000));
      assert.equal(await page.evaluate(() => window.vorn.frames), last, "frames after the end");
      assert.deepEqual(await page.problems(), []);
    });
  });

  test("a site without ROCK8.BMP: the reason and exit code 1, within seconds", async () => {
    const bare = await serveCopy({without: ["ROCK8.BMP"]});
    try {
      await withPage(bare.url, async (page) => {
        await waitForEnd(page, 5000);
        const status = await statusText(page);
        assert.match(status, /^Vorn ended \(exit code 1\): vorn: ROCK8\.BMP: \S/);
        assert.match(status, /HTTP 404/);
        assert.equal(await page.evaluate(() => window.vorn.frames), 0);
        const problems = (await page.problems()).filter((problem) => !/404/.test(problem));
        assert.deepEqual(problems, [], "problems besides the missing file");
      });
    } finally {
      await bare.close();
    }
  });

  test("a picture chosen with the picker becomes the rocks", async () => {
    const file = path.join(site.scratch, "magenta_squares.bmp");
    const magenta = 0xff00ff;
    await writeSquareRocks(file, magenta, STAR_INDICES.map((index) => site.rocks.palette[index]));
    await withPage(site.url, async (page) => {
      await waitForRunning(page);
      await pick(page, file);
      assert.equal(await page.evaluate(() => window.vorn.state), "running", await statusText(page));
      const mine = await readRockFile(file);
      const {pixels} = await nextFrame(page);
      const counts = classify(pixels, mine);
      assert.equal(counts.other, 0, "colours of neither the chosen picture nor black");
      assert.ok(counts.rock >= 20000, `only ${counts.rock} pixels of the chosen rocks`);
      assert.equal(classify(pixels, site.rocks).rock, 0, "the site's rocks are still shown");
      assert.deepEqual(await page.problems(), []);
    });
  });

  test("hostile pictures are refused with the reader's reason; the page stays usable", async () => {
    await withPage(site.url, async (page) => {
      await waitForRunning(page);
      const reasons = new Set();
      for (const seed of HOSTILE) {
        const name = path.basename(seed);
        await pick(page, path.join(fuzzSeeds, seed));
        await waitForEnd(page, 3000);
        const status = await statusText(page);
        const pattern = new RegExp(`^Vorn ended \\(exit code 1\\) with your picture “${name}”: vorn: ROCK8\\.BMP: (.+)$`);
        const reason = status.match(pattern);
        assert.ok(reason, `${name}: ${status}`);
        reasons.add(reason[1]);
      }
      assert.ok(reasons.size >= 3, `the reasons are not the reader's own: ${[...reasons].join("; ")}`);
      const runs = await page.evaluate(() => window.vorn.runs);
      await page.click("#again");
      await waitInPage(page, "the run after Run again", (n) => window.vorn.runs > n, runs);
      await waitForRunning(page);
      const counts = classify((await nextFrame(page)).pixels, site.rocks);
      assert.ok(counts.rock >= 20000 && counts.other === 0, "Run again does not show the site's rocks");
      assert.deepEqual(await page.problems(), []);
    });
  });
});
