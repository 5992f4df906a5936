// The picture in the page: the largest 4:3 box of the stage in device
// pixels, and whole multiples once "Integer scaling" is chosen, also after
// a reload. (The desktop's check compares the pixels with a reference.)
import assert from "node:assert/strict";
import {describe, test} from "node:test";

import {openPage, useSiteInBrowser, waitForRunning, waitInPage} from "./kit.mjs";

// The picture takes the size the stage gives, centred, in device pixels
// (its canvas may be a worker's, which takes a new size once painted).
async function assertPicture(page, integer) {
  const [across, down] = await page.evaluate(() => [document.getElementById("stage").clientWidth,
                                                    document.getElementById("stage").clientHeight]);
  const whole = Math.min(Math.floor(across / 640), Math.floor(down / 480));
  const [width, height] = integer ? [640 * whole, 480 * whole]
    : across * 3 <= down * 4 ? [across, Math.floor(across * 3 / 4)] : [Math.floor(down * 4 / 3), down];
  const place = [width, height, (across - width) >> 1, (down - height) >> 1].join(" ");
  await waitInPage(page, `the picture at ${place} (width, height, left, top) in a ${across}x${down} stage`, (place) => {
    const view = document.getElementById("view");
    return [view.width, view.height, view.offsetLeft, view.offsetTop].join(" ") === place;
  }, place);
}

describe("the picture's size", () => {
  const site = useSiteInBrowser();

  test("fills the stage's 4:3 box at two sizes; integer scaling is kept", async () => {
    const page = await openPage(site.browser, site.url, {width: 1366, height: 768});
    try {
      await waitForRunning(page);
      await assertPicture(page, false);
      const bar = await page.evaluate(() => innerHeight - document.getElementById("stage").clientHeight);
      await page.setViewport({width: 1280, height: 1000 + bar});  // a stage holding twice the frame
      await assertPicture(page, false);
      await page.setViewport({width: 1366, height: 768});
      await page.click("#integer-scaling");
      await page.reload();
      await waitForRunning(page);
      assert.ok(await page.evaluate(() => document.getElementById("integer-scaling").checked));
      await assertPicture(page, true);
      assert.deepEqual(await page.problems(), [], "the page's console reported problems");
    } finally {
      await page.close();
    }
  });
});
