// The keys from the page's keyboard: what they do to the stars, that they
// do nothing else on the page, and that none sticks when the page loses
// the focus.
import assert from "node:assert/strict";
import {describe, test} from "node:test";

import {
  STAR_INDICES, STAR_SPEEDS, assertStarsMoved, framePair, nextFrame, onRunningPage,
  starsFoundMoved, streakShare, useSiteInBrowser, withKeyHeld,
} from "./kit.mjs";

describe("the keys in a browser", () => {
  const site = useSiteInBrowser();

  test("no key: every star falls by its own speed", async () => {
    await onRunningPage(site, {}, async (page) => {
      const pair = await framePair(page);
      assertStarsMoved(pair, site.rocks, (index) => STAR_SPEEDS[index], 0.6, "no key");
      for (const index of STAR_INDICES) {
        const stayed = starsFoundMoved(pair.first.pixels, pair.second.pixels, site.rocks, index, 0);
        assert.ok(stayed < 0.3, `no key: ${stayed.toFixed(2)} of the stars of colour ${index} stayed`);
      }
      assert.ok(streakShare(pair.second.pixels, site.rocks) < 0.2, "no key: the stars streak");
    });
  });

  test("Up held: no star moves", async () => {
    await onRunningPage(site, {}, async (page) => {
      await withKeyHeld(page, "ArrowUp", async () => {
        await nextFrame(page);
        assertStarsMoved(await framePair(page), site.rocks, () => 0, 0.8, "Up held");
      });
    });
  });

  test("Down held: the stars streak and hurry; let go: they stop streaking", async () => {
    await onRunningPage(site, {}, async (page) => {
      await withKeyHeld(page, "ArrowDown", async () => {
        await nextFrame(page);
        const pair = await framePair(page);
        const share = streakShare(pair.second.pixels, site.rocks);
        assert.ok(share >= 0.6, `Down held: only ${share.toFixed(2)} of the star pixels are streaks`);
        assertStarsMoved(pair, site.rocks, (index) => 2 * STAR_SPEEDS[index] + 3, 0.5, "Down held");
      });
      await nextFrame(page);
      assert.ok(streakShare((await nextFrame(page)).pixels, site.rocks) < 0.2, "Down let go: still streaks");
    });
  });

  test("the page losing the focus lets go of a held key", async () => {
    await onRunningPage(site, {}, async (page) => {
      await page.keyboard.down("ArrowDown");
      await nextFrame(page);
      assert.ok(streakShare((await nextFrame(page)).pixels, site.rocks) >= 0.6, "Down held: no streaks");
      await page.evaluate(() => window.dispatchEvent(new FocusEvent("blur")));
      await nextFrame(page);
      const share = streakShare((await nextFrame(page)).pixels, site.rocks);
      await page.keyboard.up("ArrowDown");
      assert.ok(share < 0.2, "Down still counts as held after the page lost the focus");
    });
  });

  test("arrows and Space do nothing else on the page (no scrolling, no button pressed)", async () => {
    await onRunningPage(site, {}, async (page) => {
      await page.evaluate(() => {
        window.keysLeftToPage = [];
        for (const type of ["keydown", "keyup"])
          window.addEventListener(type, (event) => {
            if (!event.defaultPrevented) window.keysLeftToPage.push(`${type} ${event.code}`);
          });
      });
      // Space (" ") last: it also ends the run, once let go.
      for (const key of ["ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", " "])
        await page.keyboard.press(key);
      assert.deepEqual(await page.evaluate(() => window.keysLeftToPage), []);
    });
  });
});
