// How much of its stage the page's picture fills on the screens people
// have: for each viewport (CSS pixels and device pixel ratio; phones and
// the tablet with touch, so their controls show), the picture's size in
// device pixels, whether its canvas has one pixel per device pixel, and
// its share of the largest 4:3 box of the stage (of that box's area), by
// default and with integer scaling, in the page and full screen. A report,
// never a failure. Needs the web build (the site in build/web/site).
//
//   node bench/picture_fill.mjs
import {inChromium, openPage, serveCopy, startBrowser, waitForRunning} from "../tests/web/kit.mjs";

const SCREENS = [
  ["laptop", 1366, 768, 1], ["laptop at 125 %", 1920, 1080, 1.25], ["laptop at 150 %", 1920, 1080, 1.5],
  ["desktop", 1920, 1080, 1], ["desktop", 2560, 1440, 1], ["handheld", 1280, 800, 1],
  ["laptop", 1440, 900, 2], ["phone, portrait", 390, 844, 3, true], ["phone, landscape", 844, 390, 3, true],
  ["phone", 412, 915, 2.625, true], ["tablet", 1024, 768, 2, true],
];

// In the page: the picture's size, its share of the stage's largest 4:3
// box (device pixels) and whether its CSS box is its own pixels.
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
          over, webGl: Boolean(picture.getContext("webgl"))};
}

const show = (m) => `${m.width} x ${m.height}, ${m.share.toFixed(3)}${m.exact ? "" : " (not 1:1)"}${m.over ? " (controls over it)" : ""}`;

const served = await serveCopy();
const started = await startBrowser();
try {
  console.log(`In ${await started.browser.version()}: screen | picture, device pixels, share of the stage's 4:3 box | integer scaling | full screen`);
  for (const [name, width, height, ratio, touch = false] of SCREENS) {
    const page = await openPage(started.browser, served.url, {width, height, touch});
    if (inChromium) await page.setViewport({width, height, deviceScaleFactor: ratio, hasTouch: touch, isMobile: touch});
    await page.reload();
    await waitForRunning(page);
    const fill = await page.evaluate(measure);
    await page.evaluate(() => { document.getElementById("integer-scaling").click(); });
    const integer = await page.evaluate(measure);
    await page.evaluate(() => { document.getElementById("integer-scaling").click(); });
    await page.click("#fullscreen");
    await page.waitForFunction(() => document.fullscreenElement, {timeout: 5000}).catch(() => {});
    await new Promise((resolve) => setTimeout(resolve, 300));
    const full = await page.evaluate(measure);
    await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
    console.log(`${name} ${width} x ${height} at ${ratio} | ${show(fill)}${fill.webGl ? "" : " (2D)"} | ${show(integer)} | ${show(full)}`);
    await page.close();
  }
} finally {
  await started.close();
  await served.close();
}
