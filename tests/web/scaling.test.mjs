// The picture in the page: the largest 4:3 box of the stage, the frame
// enlarged by a whole multiple and filtered down (exactly the frame's pixels
// at a whole multiple), and whole multiples once "Integer scaling" is
// chosen, also after a reload.
import assert from "node:assert/strict";
import {describe, test} from "node:test";

import {openPage, screenshot, useSiteInBrowser, waitForRunning, waitInPage} from "./kit.mjs";

// The frame enlarged multiple times and sampled at the centres of a
// width x height picture, bilinear: the reference, as 0xRRGGBB words.
function sharpPicture(frame, width, height, multiple) {
  const axis = (n, size, frameSize) => {
    const centre = (n + 0.5) * multiple * frameSize / size - 0.5;
    const first = Math.floor(centre);
    const pixel = (at) => Math.min(frameSize - 1, Math.max(0, Math.floor((at + 0.5) / multiple)));
    return [pixel(first), pixel(first + 1), centre - first];
  };
  const picture = new Uint32Array(width * height);
  for (let y = 0; y < height; ++y) {
    const [top, bottom, down] = axis(y, height, 480);
    for (let x = 0; x < width; ++x) {
      const [left, right, across] = axis(x, width, 640);
      const [a, b, c, d] = [[top, left], [top, right], [bottom, left], [bottom, right]].map(([v, u]) => frame[v * 640 + u]);
      for (const shift of [0, 8, 16]) {
        const at = (word) => (word >> shift) & 255;
        const upper = at(a) + (at(b) - at(a)) * across;
        const lower = at(c) + (at(d) - at(c)) * across;
        picture[y * width + x] |= Math.round(upper + (lower - upper) * down) << shift;
      }
    }
  }
  return picture;
}

// Paused, the picture is where and what the stage's size says, in a
// screenshot within tolerance levels of the reference. Without WebGL the
// browser's own filter draws it down, which may blend mipmaps: looser.
async function assertPicture(page, integer, tolerance) {
  await page.evaluate(() => window.vorn.paused || window.dispatchEvent(new KeyboardEvent("keydown", {key: "p"})));
  await waitInPage(page, "the pause", () => window.vorn.paused);
  // A frame on its way when the pause came is still shown.
  const seen = await page.evaluate(() => new Promise((shown) => requestAnimationFrame(() => requestAnimationFrame(shown)))
    .then(() => {
    const picture = document.getElementById("view");
    const bytes = document.getElementById("screen").getContext("2d").getImageData(0, 0, 640, 480).data;
    const frame = Array.from({length: 640 * 480}, (_, i) => (bytes[4 * i] << 16) | (bytes[4 * i + 1] << 8) | bytes[4 * i + 2]);
    const {x, y} = picture.getBoundingClientRect();
    const stage = document.getElementById("stage");
    return {frame, x, y, width: picture.width, height: picture.height, room: [stage.clientWidth, stage.clientHeight],
            webGl: Boolean(picture.getContext("webgl"))};
  }));
  const [roomWidth, roomHeight] = seen.room;
  const whole = Math.min(Math.floor(roomWidth / 640), Math.floor(roomHeight / 480));
  let [width, height] = roomWidth * 3 <= roomHeight * 4 ? [roomWidth, Math.floor(roomWidth * 3 / 4)]
                                                        : [Math.floor(roomHeight * 4 / 3), roomHeight];
  if (integer) [width, height] = [640 * whole, 480 * whole];
  const what = `${integer ? "integer scaling" : "the default"} in a ${roomWidth}x${roomHeight} stage`;
  assert.deepEqual([seen.width, seen.height, seen.x, seen.y],
                   [width, height, Math.floor((roomWidth - width) / 2), Math.floor((roomHeight - height) / 2)], what);
  const expected = sharpPicture(seen.frame, width, height, Math.max(Math.ceil(width / 640), Math.ceil(height / 480)));
  // A screenshot may come from before the last frame reached the screen.
  let worst = 0;
  for (let attempt = 0; attempt < 5; ++attempt) {
    const shot = await screenshot(page);
    worst = 0;
    for (let y = 0; y < height; ++y)
      for (let x = 0; x < width; ++x) {
        const [a, b] = [expected[y * width + x], shot.pixels[(seen.y + y) * shot.width + seen.x + x]];
        for (const shift of [0, 8, 16]) worst = Math.max(worst, Math.abs(((a >> shift) & 255) - ((b >> shift) & 255)));
      }
    if (worst <= (seen.webGl ? tolerance : 4 * tolerance)) return;
  }
  assert.fail(`${what}: a sample ${worst} levels from the frame filtered so`);
}

describe("the picture's size and sharpness", () => {
  const site = useSiteInBrowser();

  test("fills the stage's 4:3 box, sharp, exact at a whole multiple; integer scaling kept", async () => {
    const page = await openPage(site.browser, site.url, {width: 1366, height: 768});
    try {
      await waitForRunning(page);
      await assertPicture(page, false, 8);
      // A stage of 1280 x 1000: the box is twice the frame.
      const bar = await page.evaluate(() => innerHeight - document.getElementById("stage").clientHeight);
      await page.setViewport({width: 1280, height: 1000 + bar});
      await waitInPage(page, "the picture placed anew", () => document.getElementById("view").width === 1280 &&
        document.getElementById("view").offsetTop === (document.getElementById("stage").clientHeight - 960) >> 1);
      await assertPicture(page, false, 0);
      await page.setViewport({width: 1366, height: 768});
      await page.click("#integer-scaling");
      await page.reload();
      await waitForRunning(page);
      assert.ok(await page.evaluate(() => document.getElementById("integer-scaling").checked));
      await assertPicture(page, true, 0);
      assert.deepEqual(await page.problems(), [], "the page's console reported problems");
    } finally {
      await page.close();
    }
  });
});
