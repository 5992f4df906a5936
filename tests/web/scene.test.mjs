// The demo as a visitor sees it: the scene's colours, the picture's scale
// in a large window, the keys' effect on the stars, and a hidden page.
import assert from "node:assert/strict";
import path from "node:path";
import {after, before, describe, test} from "node:test";

import {
  HEIGHT, STAR_INDICES, STAR_SPEEDS, WIDTH, classify, framePair, nextFrame, openPage,
  readRockFile, screenshot, serveCopy, site, starsFoundMoved, startBrowser, streakShare,
  waitForRunning, waitInPage, withKeyHeld,
} from "./kit.mjs";

describe("the scene in a browser", () => {
  let chromium;
  let served;
  let rocks;

  before(async () => {
    rocks = await readRockFile(path.join(site, "ROCK8.BMP"));
    served = await serveCopy();
    chromium = await startBrowser();
  });
  after(async () => {
    await chromium?.close();
    await served?.close();
  });

  // A running page; fn(page) does the checking; the console must stay clean.
  async function onRunningPage(options, fn) {
    const page = await openPage(chromium.browser, served.url, options);
    try {
      await waitForRunning(page);
      await fn(page);
      assert.deepEqual(page.problems(), [], "the page's console reported problems");
    } finally {
      await page.close();
    }
  }

  function assertScene(pixels, what) {
    const counts = classify(pixels, rocks);
    assert.equal(counts.other, 0, `${what}: pixels of no star or rock colour`);
    for (const index of STAR_INDICES)
      assert.ok(counts.stars[index] >= 40, `${what}: only ${counts.stars[index]} stars of colour ${index}`);
    assert.ok(counts.rock >= 20000, `${what}: only ${counts.rock} rock pixels`);
    assert.ok(counts.black >= WIDTH * HEIGHT / 4, `${what}: only ${counts.black} black pixels`);
  }

  // Star pixels of every colour found again after the frames between,
  // moved down by rowsPerFrame(index) rows a frame.
  function assertStarsMoved(pair, rowsPerFrame, minimum, what) {
    for (const index of STAR_INDICES) {
      const rows = rowsPerFrame(index) * pair.apart;
      const share = starsFoundMoved(pair.first.pixels, pair.second.pixels, rocks, index, rows);
      assert.ok(share >= minimum, `${what}: of the stars of colour ${index}, ${share.toFixed(2)} ` +
                `were ${rows} rows lower ${pair.apart} frame(s) later`);
    }
  }

  test("stars in the four star colours, rocks in the rock colours, all else black", async () => {
    await onRunningPage({}, async (page) => {
      assertScene((await nextFrame(page)).pixels, "a frame");
    });
  });

  test("in a 1920 x 1080 window the picture is a whole multiple, 4:3, black around", async () => {
    await onRunningPage({width: 1920, height: 1080}, async (page) => {
      const box = await page.$eval("#screen", (canvas) => {
        const {left, top, width, height} = canvas.getBoundingClientRect();
        return {left, top, width, height};
      });
      assert.deepEqual([box.width, box.height], [1280, 960], "the canvas is not shown at 2 x");
      assert.deepEqual([box.left % 1, box.top % 1], [0, 0], "the canvas is not on whole pixels");
      const shot = await screenshot(page);
      const inside = (x, y) => x >= box.left && x < box.left + box.width &&
                               y >= box.top && y < box.top + box.height;
      let outsideLit = 0;
      let unevenBlocks = 0;
      const seen = new Set();
      for (let y = 0; y < box.top + box.height; ++y)
        for (let x = 0; x < shot.width; ++x) {
          const colour = shot.pixels[y * shot.width + x];
          if (!inside(x, y)) {
            if (colour !== 0) outsideLit += 1;
            continue;
          }
          seen.add(colour);
          const left = (x - box.left) & ~1;
          const top = (y - box.top) & ~1;
          if (colour !== shot.pixels[(top + box.top) * shot.width + left + box.left]) unevenBlocks += 1;
        }
      assert.equal(outsideLit, 0, "pixels around the picture are not black");
      assert.equal(unevenBlocks, 0, "2 x 2 blocks of the picture are not one colour (not nearest-neighbour)");
      const stray = [...seen].filter((colour) => colour !== 0 && !rocks.rockColours.has(colour) &&
                                                 !STAR_INDICES.some((i) => rocks.palette[i] === colour));
      assert.deepEqual(stray, [], "the scaled picture has colours of its own (smoothed)");
    });
  });

  test("no key: every star falls by its own speed", async () => {
    await onRunningPage({}, async (page) => {
      const pair = await framePair(page);
      assertStarsMoved(pair, (index) => STAR_SPEEDS[index], 0.6, "no key");
      for (const index of STAR_INDICES) {
        const stayed = starsFoundMoved(pair.first.pixels, pair.second.pixels, rocks, index, 0);
        assert.ok(stayed < 0.3, `no key: ${stayed.toFixed(2)} of the stars of colour ${index} stayed`);
      }
      assert.ok(streakShare(pair.second.pixels, rocks) < 0.2, "no key: the stars streak");
    });
  });

  test("Up held: no star moves", async () => {
    await onRunningPage({}, async (page) => {
      await withKeyHeld(page, "ArrowUp", async () => {
        await nextFrame(page);
        assertStarsMoved(await framePair(page), () => 0, 0.8, "Up held");
      });
    });
  });

  test("Down held: the stars streak and hurry", async () => {
    await onRunningPage({}, async (page) => {
      await withKeyHeld(page, "ArrowDown", async () => {
        await nextFrame(page);
        const pair = await framePair(page);
        const share = streakShare(pair.second.pixels, rocks);
        assert.ok(share >= 0.6, `Down held: only ${share.toFixed(2)} of the star pixels are streaks`);
        assertStarsMoved(pair, (index) => 2 * STAR_SPEEDS[index] + 3, 0.5, "Down held");
      });
      await nextFrame(page);
      assert.ok(streakShare((await nextFrame(page)).pixels, rocks) < 0.2, "Down let go: still streaks");
    });
  });

  test("hidden: nothing drawn, no time taken; shown again: the scene comes back and moves", async () => {
    await onRunningPage({}, async (page) => {
      const other = await chromium.browser.newPage();
      try {
        await other.bringToFront();
        await waitInPage(page, "the page to be hidden", () => document.visibilityState === "hidden");
        const framesHidden = await page.evaluate(() => window.vorn.frames);
        const busyBefore = (await page.metrics()).TaskDuration;
        await new Promise((resolve) => setTimeout(resolve, 1500));
        const busy = (await page.metrics()).TaskDuration - busyBefore;
        assert.equal(await page.evaluate(() => window.vorn.frames), framesHidden,
                     "frames were drawn while the page was hidden");
        assert.ok(busy < 0.05, `the hidden page kept the main thread busy for ${busy.toFixed(3)} s`);
        await page.bringToFront();
      } finally {
        await other.close();
      }
      await waitForRunning(page, (await page.evaluate(() => window.vorn.frames)) + 3);
      const pair = await framePair(page);
      assertScene(pair.second.pixels, "shown again");
      assertStarsMoved(pair, (index) => STAR_SPEEDS[index], 0.6, "shown again");
    });
  });
});
