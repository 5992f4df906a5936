// How much of its stage the page's picture fills on the screens people
// have, and how close it is to the sampling it is meant to have: for each
// viewport (CSS pixels and device pixel ratio, which only Chromium can be
// given; phones and the tablet with touch, so their controls show), the
// picture's size in device pixels, whether its canvas has one pixel per
// device pixel, its share of the largest 4:3 box of the stage (of that
// box's area), and, paused, the largest difference (levels of 255) between
// the screenshot's picture and the frame enlarged by the multiple and
// filtered down bilinearly at pixel centres, computed here from #screen
// ("-" where an emulated ratio puts the picture off whole CSS pixels, or
// where the touch controls lie over it); by
// default, with integer scaling, and full screen. A report, never a
// failure. Needs the web build (the site in build/web/site).
//
//   node bench/picture_fill.mjs
import os from "node:os";

import {inChromium, openPage, screenshot, serveCopy, startBrowser, waitForRunning, waitInPage} from "../tests/web/kit.mjs";

const SCREENS = [
  ["laptop", 1366, 768, 1], ["laptop at 125 %", 1920, 1080, 1.25], ["laptop at 150 %", 1920, 1080, 1.5],
  ["desktop", 1920, 1080, 1], ["desktop", 2560, 1440, 1], ["handheld", 1280, 800, 1],
  ["laptop", 1440, 900, 2], ["phone, portrait", 390, 844, 3, true], ["phone, landscape", 844, 390, 3, true],
  ["phone", 412, 915, 2.625, true], ["tablet", 1024, 768, 2, true],
];

// In the page: the picture's size and place, its share of the stage's
// largest 4:3 box (device pixels), whether its CSS box is its own pixels,
// and whether the touch controls lie over it.
function measure() {
  const ratio = devicePixelRatio;
  const picture = document.getElementById("view");
  const stage = document.getElementById("stage");
  const room = [Math.floor(stage.clientWidth * ratio), Math.floor(stage.clientHeight * ratio)];
  const box = room[0] * 3 <= room[1] * 4 ? [room[0], Math.floor(room[0] * 3 / 4)] : [Math.floor(room[1] * 4 / 3), room[1]];
  const rect = picture.getBoundingClientRect();
  const controls = [...document.querySelectorAll("[data-key]")].map((c) => c.getBoundingClientRect());
  const over = !document.getElementById("controls").hidden && controls.some((c) =>
    c.right > rect.left && c.left < rect.right && c.bottom > rect.top && c.top < rect.bottom);
  return {width: picture.width, height: picture.height, share: picture.width * picture.height / (box[0] * box[1]),
          exact: Math.abs(rect.width * ratio - picture.width) < 0.51 && Math.abs(rect.height * ratio - picture.height) < 0.51,
          left: Math.round(rect.left * ratio), top: Math.round(rect.top * ratio), ratio, over,
          whole: ratio === 1 || [rect.left, rect.top, rect.width, rect.height].every((v) => Math.abs(v - Math.round(v)) < 0.01),
          painter: picture.dataset.painter || "?"};
}

// The frame canvas's pixels, [r, g, b] bytes.
async function framePixels(page) {
  const text = await page.evaluate(() => {
    const canvas = document.getElementById("screen");
    const bytes = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let rgb = "";
    for (let i = 0; i < bytes.length; i += 4) rgb += String.fromCharCode(bytes[i], bytes[i + 1], bytes[i + 2]);
    return btoa(rgb);
  });
  return Buffer.from(text, "base64");
}

// The reference sampling at one axis: for each picture pixel, the two frame
// pixels and the weight of the second.
function axis(size, frameSize, multiple) {
  return Array.from({length: size}, (_, i) => {
    const centre = (i + 0.5) * multiple * frameSize / size - 0.5;
    const first = Math.floor(centre);
    const clamp = (v) => Math.min(Math.max(v, 0), frameSize - 1);
    return [clamp(Math.floor((first + 0.5) / multiple)), clamp(Math.floor((first + 1.5) / multiple)), centre - first];
  });
}

// The largest difference between the shown picture and the reference.
async function levelsOff(page, m) {
  const frame = await framePixels(page);
  const shot = await screenshot(page);
  if (m.left + m.width > shot.width || m.top + m.height > shot.height) return NaN;
  const multiple = Math.max(Math.ceil(m.width / 640), Math.ceil(m.height / 480), 1);
  const [across, down] = [axis(m.width, 640, multiple), axis(m.height, 480, multiple)];
  let worst = 0;
  for (let y = 0; y < m.height; ++y) {
    const [top, bottom, wy] = down[y];
    for (let x = 0; x < m.width; ++x) {
      const [left, right, wx] = across[x];
      const seen = shot.pixels[(m.top + y) * shot.width + m.left + x];
      for (let c = 0; c < 3; ++c) {
        const at = (fx, fy) => frame[3 * (fy * 640 + fx) + c];
        const value = (1 - wy) * ((1 - wx) * at(left, top) + wx * at(right, top)) +
                      wy * ((1 - wx) * at(left, bottom) + wx * at(right, bottom));
        worst = Math.max(worst, Math.abs(((seen >> (16 - 8 * c)) & 255) - value));
      }
    }
  }
  return worst;
}

// Once the stage holds still (a full-screen change can take a while) and
// the picture's canvas has the size of its box (a worker's canvas takes
// its new size when the worker has painted it); 3 s at most each.
async function measured(page) {
  const stageSize = () => page.evaluate(() => `${stage.clientWidth} ${stage.clientHeight}`);
  for (let last = "", tries = 0; tries < 10; ++tries) {
    const now = await stageSize();
    if (now === last) break;
    last = now;
    await new Promise((resolve) => setTimeout(resolve, 300));
  }
  await waitInPage(page, "the picture's new size", () => {
    const picture = document.getElementById("view");
    const rect = picture.getBoundingClientRect();
    return Math.abs(rect.width * devicePixelRatio - picture.width) < 0.51 &&
           Math.abs(rect.height * devicePixelRatio - picture.height) < 0.51;
  }, undefined, 3000).catch(() => {});
  const m = await page.evaluate(measure);
  // Chromium's emulated ratios lay a canvas on whole CSS pixels: one that
  // is not is resampled in the screenshot, whatever it holds.
  return {...m, off: m.whole && !m.over ? await levelsOff(page, m) : NaN};
}

const show = (m) => `${m.width} x ${m.height}, ${m.share.toFixed(3)}${m.exact ? "" : " (not 1:1)"}` +
                    `${m.over ? " (controls over it)" : ""}, ${Number.isNaN(m.off) ? "-" : m.off.toFixed(1)} off`;

const served = await serveCopy();
const started = await startBrowser();
try {
  console.log(`In ${await started.browser.version()}, load average ${os.loadavg().map((f) => f.toFixed(1)).join(" ")}: ` +
              "screen | painter | picture in device pixels, share of the stage's 4:3 box, levels off the reference " +
              "| integer scaling | full screen");
  for (const [name, width, height, ratio, touch = false] of SCREENS) {
    const page = await openPage(started.browser, served.url, {width, height, touch});
    if (inChromium) await page.setViewport({width, height, deviceScaleFactor: ratio, hasTouch: touch, isMobile: touch});
    await page.reload();
    await waitForRunning(page);
    await page.click("#pause");
    await waitInPage(page, "the pause", () => window.vorn.paused);
    await new Promise((resolve) => setTimeout(resolve, 500));  // the last frame painted
    const fill = await measured(page);
    await page.evaluate(() => { document.getElementById("integer-scaling").click(); });
    const integer = await measured(page);
    await page.evaluate(() => { document.getElementById("integer-scaling").click(); });
    await page.click("#fullscreen");
    await page.waitForFunction(() => document.fullscreenElement, {timeout: 5000}).catch(() => {});
    const full = await measured(page);
    await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
    console.log(`${name} ${width} x ${height} at ${fill.ratio} | ${fill.painter} | ${show(fill)} | ${show(integer)} | ${show(full)}`);
    await page.close();
  }
} finally {
  await started.close();
  await served.close();
}
