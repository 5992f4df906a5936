// The demo as a visitor first sees it: the scene's colours, the picture's
// scale in a large window and in full screen, and a page put in the
// background and brought back.
import assert from "node:assert/strict";
import {describe, test} from "node:test";

import {
  STAR_INDICES, STAR_SPEEDS, assertScene, assertStarsMoved, framePair, inChromium, nextFrame, onRunningPage,
  screenshot, useSiteInBrowser, waitForRunning, waitInPage, whilePageHidden,
} from "./kit.mjs";

describe("the scene in a browser", () => {
  const site = useSiteInBrowser();

  test("stars in the four star colours, rocks in the rock colours, all else black", async () => {
    await onRunningPage(site, {}, async (page) => {
      assertScene((await nextFrame(page)).pixels, site.rocks, "a frame");
    });
  });

  test("with integer scaling, in a 1920 x 1080 window the picture is a whole multiple, 4:3, black around", async () => {
    await onRunningPage(site, {width: 1920, height: 1080}, async (page) => {
      await page.click("#integer-scaling");
      await waitInPage(page, "integer scaling", () => document.getElementById("view").width === 1280);
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
      const stray = [...seen].filter((colour) => colour !== 0 && !site.rocks.rockColours.has(colour) &&
                                                 !STAR_INDICES.some((i) => site.rocks.palette[i] === colour));
      assert.deepEqual(stray, [], "the scaled picture has colours of its own (smoothed)");
      await page.click("#integer-scaling");  // the next visit fills the window again
    });
  });

  test("the full-screen button gives the screen to the picture alone", async () => {
    await onRunningPage(site, {width: 1000, height: 700}, async (page) => {
      await page.click("#fullscreen");
      await waitInPage(page, "full screen, and the page told of it", () =>
        document.fullscreenElement !== null &&
        document.getElementById("fullscreen").textContent === "Leave full screen");
      const shown = await page.evaluate(() => {
        const stage = document.getElementById("stage").getBoundingClientRect();
        return {
          element: document.fullscreenElement.id,
          stage: [stage.width, stage.height],
          window: [innerWidth, innerHeight],
        };
      });
      assert.equal(shown.element, "stage");
      assert.deepEqual(shown.stage, shown.window, "the picture's stage does not fill the screen");
      assertScene((await nextFrame(page)).pixels, site.rocks, "in full screen");
    });
  });

  test("hidden: nothing drawn, no time taken; shown again: the scene comes back and moves", async () => {
    await onRunningPage(site, {}, async (page) => {
      await whilePageHidden(site.browser, page, async () => {
        await waitInPage(page, "the page to be hidden", () => document.visibilityState === "hidden");
        await new Promise((resolve) => setTimeout(resolve, 300));  // the change settles
        const framesHidden = await page.evaluate(() => window.vorn.frames);
        // The quieter of two seconds: a stray task (a collection, the other
        // tab) can fill one, a demo still running fills both (it keeps the
        // main thread about 6 % busy when shown).
        // Only Chromium has such a count: elsewhere the frames tell.
        const busy = [];
        for (let second = 0; second < 2; ++second) {
          const before = inChromium ? (await page.metrics()).TaskDuration : 0;
          await new Promise((resolve) => setTimeout(resolve, 1000));
          busy.push(inChromium ? (await page.metrics()).TaskDuration - before : 0);
        }
        assert.equal(await page.evaluate(() => window.vorn.frames), framesHidden,
                     "frames were drawn while the page was hidden");
        assert.ok(Math.min(...busy) < 0.03,
                  `the hidden page kept the main thread busy for ${busy.map((s) => s.toFixed(3)).join(" s, ")} s`);
      });
      await waitForRunning(page, (await page.evaluate(() => window.vorn.frames)) + 3);
      const pair = await framePair(page);
      assertScene(pair.second.pixels, site.rocks, "shown again");
      assertStarsMoved(pair, site.rocks, (index) => STAR_SPEEDS[index], 0.6, "shown again");
    });
  });
});
