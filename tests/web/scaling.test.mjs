// The picture in the page: the largest 4:3 box of the stage in device
// pixels, and whole multiples once "Integer scaling" is chosen, also after
// a reload. (The desktop's check compares the pixels with a reference.)
import assert from "node:assert/strict";
import {describe, test} from "node:test";

import {openPage, useSiteInBrowser, waitForRunning, waitInPage} from "./kit.mjs";

// The picture is the size the stage gives, centred, in device pixels.
async function assertPicture(page, integer) {
  const seen = await page.evaluate(() => {
    const [view, stage] = [document.getElementById("view"), document.getElementById("stage")];
    return {place: [view.width, view.height, view.offsetLeft, view.offsetTop], room: [stage.clientWidth, stage.clientHeight]};
  });
  const [across, down] = seen.room;
  const whole = Math.min(Math.floor(across / 640), Math.floor(down / 480));
  const [width, height] = integer ? [640 * whole, 480 * whole]
    : across * 3 <= down * 4 ? [across, Math.floor(across * 3 / 4)] : [Math.floor(down * 4 / 3), down];
  assert.deepEqual(seen.place, [width, height, (across - width) >> 1, (down - height) >> 1], `in a ${across}x${down} stage`);
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
      await waitInPage(page, "the picture placed anew", () => document.getElementById("view").width === 1280 &&
        document.getElementById("view").offsetTop === (document.getElementById("stage").clientHeight - 960) >> 1);
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
