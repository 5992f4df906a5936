// Holding and sharing a run in a browser: a steered run, paused, shot and
// clipped, then shared as a link, plays back in a fresh page to the very
// frame it was shared at; links and run files that are broken, hostile or
// made with unknown random numbers are refused with a line of text.
import assert from "node:assert/strict";
import path from "node:path";
import {writeFile} from "node:fs/promises";
import {describe, test} from "node:test";

import {
  openPage, standInPad, statusText, useSiteInBrowser, waitForEnd, waitForRunning, waitInPage, whilePageHidden,
} from "./kit.mjs";

// Run in the page: the canvas's (or a saved PNG's) pixels as a SHA-256
// digest, with its size; with share, "Share this run" is pressed in the
// same task, so the link holds the frames up to the one read.
async function canvasNow(page, {share = false, saved = false} = {}) {
  return page.evaluate(async (share, saved) => {
    let canvas = document.getElementById("screen");
    if (saved) {
      const picture = await createImageBitmap(window.vorn.lastSaved.blob);
      canvas = new OffscreenCanvas(picture.width, picture.height);
      canvas.getContext("2d").drawImage(picture, 0, 0);
    }
    if (share) document.getElementById("share").click();
    const {data, width, height} = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height);
    // Read in the same task as the pixels: a frame may be drawn while the digest is made.
    const frames = window.vorn.frames, link = document.getElementById("run-link").value;
    const digest = [...new Uint8Array(await crypto.subtle.digest("SHA-256", data))].join(",");
    return {digest, width, height, frames, link};
  }, share, saved);
}

const framesOn = (page, more) => page.evaluate(() => window.vorn.frames).then((now) => waitForRunning(page, now + more));

async function steer(page, key, frames) {
  await page.keyboard.down(key);
  await framesOn(page, frames);
  await page.keyboard.up(key);
}

const saved = (page, extension) => waitInPage(page, `a saved .${extension}`, (extension) =>
  window.vorn.lastSaved && window.vorn.lastSaved.name.endsWith(extension) &&
  {name: window.vorn.lastSaved.name, type: window.vorn.lastSaved.blob.type, size: window.vorn.lastSaved.blob.size}, extension);

describe("holding and sharing a run in a browser", () => {
  const site = useSiteInBrowser();

  test("paused, shot, clipped and shared: the link replays to the same last frame", async () => {
    const page = await openPage(site.browser, site.url);
    let shared;
    try {
      await waitForRunning(page);
      await steer(page, "ArrowLeft", 10);
      await page.keyboard.press("p");
      await waitInPage(page, "the pause", () => window.vorn.paused);
      const still = await canvasNow(page);
      await new Promise((resolve) => setTimeout(resolve, 1000));
      assert.deepEqual(await canvasNow(page), still, "frames were made while paused");
      assert.match(await statusText(page), /^Paused\. /);
      assert.equal(await page.$eval("#pause", (button) => button.textContent), "Paused");
      await page.keyboard.press("F12");
      assert.match((await saved(page, "png")).name, /^vorn-\d{8}-\d{6}\.png$/);
      const shot = await canvasNow(page, {saved: true});
      assert.deepEqual([shot.width, shot.height, shot.digest], [640, 480, still.digest], "the screenshot is not the frame");

      await page.keyboard.press("p");
      await framesOn(page, 5);
      const clipping = await page.$eval("#clip", (button) => button.style.visibility !== "hidden");
      if (clipping) await page.keyboard.press("r");
      await steer(page, "ArrowDown", 20);
      if (clipping) {
        await page.keyboard.press("r");
        const clip = await saved(page, "webm");
        assert.ok(clip.type === "video/webm" && clip.size > 1000, `the clip: ${JSON.stringify(clip)}`);
      }
      shared = await canvasNow(page, {share: true});
      const frames = decodeURIComponent(shared.link).match(/\/frames\.(\d+)\//);
      assert.ok(frames, `no frame count in the link ${shared.link}`);
      assert.equal(Number(frames[1]), shared.frames, "the link does not end at the frame shown");
      assert.deepEqual(await page.problems(), []);
    } finally {
      await page.close();
    }

    const replay = await openPage(site.browser, shared.link);
    try {
      await waitInPage(replay, "the replay's status", () => /^Playing a run of \d+ frames/.test(document.getElementById("status").textContent));
      await steer(replay, "ArrowLeft", 5);  // steers nothing in a replay
      await waitForEnd(replay, 20000 + shared.frames * 100);
      const end = await canvasNow(replay);
      assert.equal(end.frames, shared.frames, "the replay showed another number of frames");
      assert.equal(end.digest, shared.digest, "the replay's last frame differs from the shared run's");
      assert.deepEqual(await replay.problems(), []);
    } finally {
      await replay.close();
    }
  });

  test("a pad's Back and a hidden page pause and go on; Escape while paused goes on and quits", async () => {
    const page = await openPage(site.browser, site.url);
    const paused = (want) => waitInPage(page, want ? "a pause" : "the run going on", (want) => window.vorn.paused === want, want);
    try {
      await waitForRunning(page);
      await standInPad(page);
      await page.evaluate(() => window.plugIn());
      for (const want of [true, false]) {  // the second press is read while paused
        await page.evaluate(() => window.press(8, true));
        await paused(want);
        await page.evaluate(() => window.press(8, false));
        await new Promise((resolve) => setTimeout(resolve, 300));  // let go long enough to be seen
      }
      for (const pausedBefore of [false, true]) {
        if (pausedBefore) await page.keyboard.press("p");
        await whilePageHidden(site.browser, page, () =>
          waitInPage(page, "the page hidden and paused", () => document.hidden && window.vorn.paused));
        await waitInPage(page, "the page shown", () => !document.hidden);
        await paused(pausedBefore);
      }
      await page.keyboard.down("Escape");
      await paused(false);
      await framesOn(page, 2);  // held for frames to see, as a finger would
      await page.keyboard.up("Escape");
      await waitForEnd(page);
      assert.equal(await page.evaluate(() => window.vorn.exitCode), 0);
      assert.deepEqual(await page.problems(), []);
    } finally {
      await page.close();
    }
  });

  test("broken, hostile or foreign runs are refused with a line of text, never markup", async () => {
    const foreign = path.join(site.scratch, "elsewhere.vornrun");
    await writeFile(foreign, `vorn-run 1\ngenerator bsd\npicture ${"0".repeat(64)}\nseed 1\nframes 9\n`);
    const cases = [
      {hash: `run=${"x".repeat(1000000)}`, said: /^This run link was not played: it is longer than 16,384 characters$/},
      {hash: "run=vorn-run.1/%E0%A4%A", said: /^This run link was not played: it is broken/},
      {hash: "run=vorn-run.1/<img.src=x.onerror=alert(1)>",
       said: /^This run link was not played: '<img src=x onerror=alert': not a line of a run file$/},
      {file: foreign, said: /^Your run file “elsewhere\.vornrun” was not played: made with the random generator 'bsd', which is not known \(known: glibc, musl and msvcrt\)$/},
    ];
    const page = await openPage(site.browser, site.url);
    try {
      await waitForRunning(page);
      for (const {hash, file, said} of cases) {
        const runs = await page.evaluate(() => window.vorn.runs);
        if (hash) await page.evaluate((hash) => { location.hash = hash; }, hash);
        else await (await page.$("#picture")).uploadFile(file);
        await waitInPage(page, `the refusal of ${(hash || file).slice(0, 40)}`, (runs) =>
          window.vorn.runs > runs && window.vorn.state === "ended", runs);
        assert.match(await statusText(page), said);
        assert.deepEqual(await page.evaluate(() => [document.querySelectorAll("#status *, img").length, window.vorn.frames]), [0, 0]);
      }
      assert.deepEqual(await page.problems(), []);
    } finally {
      await page.close();
    }
  });
});
