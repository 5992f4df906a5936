// The picture in the page: the largest 4:3 box of the stage in device
// pixels, exactly the frame's pixels at a whole multiple, and whole
// multiples once "Integer scaling" is chosen, also after a reload.
import assert from "node:assert/strict";
import {describe, test} from "node:test";

import {screenshot, openPage, useSiteInBrowser, waitForRunning, waitInPage} from "./kit.mjs";

// Paused (a frame on its way when the pause came is still shown): the
// picture is the size the stage gives and centred; at a whole multiple a
// screenshot holds each frame pixel multiple x multiple times.
async function assertPicture(page, integer) {
  await page.evaluate(() => window.vorn.paused || window.dispatchEvent(new KeyboardEvent("keydown", {key: "p"})));
  await waitInPage(page, "the pause", () => window.vorn.paused);
  const seen = await page.evaluate(() => new Promise((shown) => requestAnimationFrame(() => requestAnimationFrame(shown)))
    .then(() => {
      const [view, stage] = [document.getElementById("view"), document.getElementById("stage")];
      const bytes = document.getElementById("screen").getContext("2d").getImageData(0, 0, 640, 480).data;
      return {frame: Array.from({length: 640 * 480}, (_, i) => (bytes[4 * i] << 16) | (bytes[4 * i + 1] << 8) | bytes[4 * i + 2]),
              place: [view.width, view.height, view.offsetLeft, view.offsetTop], room: [stage.clientWidth, stage.clientHeight]};
    }));
  const [across, down] = seen.room;
  const whole = Math.min(Math.floor(across / 640), Math.floor(down / 480));
  const [width, height] = integer ? [640 * whole, 480 * whole]
    : across * 3 <= down * 4 ? [across, Math.floor(across * 3 / 4)] : [Math.floor(down * 4 / 3), down];
  const [left, top] = [(across - width) >> 1, (down - height) >> 1];
  assert.deepEqual(seen.place, [width, height, left, top], `the picture in a ${across}x${down} stage`);
  if (width !== 640 * whole) return;
  let wrong = -1;
  for (let attempt = 0; attempt < 5 && wrong !== 0; ++attempt) {  // a screenshot may lag the screen
    const shot = await screenshot(page);
    wrong = 0;
    for (let y = 0; y < height; ++y)
      for (let x = 0; x < width; ++x)
        if (shot.pixels[(top + y) * shot.width + left + x] !== seen.frame[Math.floor(y / whole) * 640 + Math.floor(x / whole)]) wrong += 1;
  }
  assert.equal(wrong, 0, `at ${whole} times in a ${across}x${down} stage: pixels not the frame's`);
}

describe("the picture's size", () => {
  const site = useSiteInBrowser();

  test("fills the stage's 4:3 box, exact at a whole multiple; integer scaling is kept", async () => {
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
