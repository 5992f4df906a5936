// The player in a browser: on a run link, the Position input and the step
// keys land exactly on the frame that playing the run from its start shows
// there, and taking over gives a run that begins with the replay's frames.
import assert from "node:assert/strict";
import {createHash} from "node:crypto";
import {readFile} from "node:fs/promises";
import path from "node:path";
import {describe, test} from "node:test";

import {openPage, site as builtSite, statusText, useSiteInBrowser, waitForEnd, waitInPage} from "./kit.mjs";

const AT = 100;  // the frame the checks land on

const runText = (picture, frames, keys) =>
  `vorn-run 1\ngenerator musl\npicture ${picture}\nseed 1800000000\nframes ${frames}\nkeys ${keys}\n`;
const linkTo = (url, text) => `${url}#run=${text.replace(/\n/g, "/").replace(/ /g, ".")}`;

const canvasDigest = (page) => page.evaluate(async () => {
  const canvas = document.getElementById("screen");
  const {data} = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height);
  return [...new Uint8Array(await crypto.subtle.digest("SHA-256", data))].join(",");
});

const landed = (page, frame) => waitInPage(page, `the player paused at frame ${frame}`, (frame) =>
  window.vorn.paused && window.vorn.player && !window.vorn.player.busy && window.vorn.player.frame === frame &&
  document.getElementById("position").value === String(frame), frame);

describe("the player in a browser", () => {
  const site = useSiteInBrowser();

  test("a seek and a step back land on the frame playing shows; taking over records on from there", async () => {
    const picture = createHash("sha256").update(await readFile(path.join(builtSite, "ROCK8.BMP"))).digest("hex");
    const whole = runText(picture, 240, "down@20-60,left@70-120,right@130-200");

    // The reference: the run cut at frame AT, played from its start at 1x.
    const reference = await openPage(site.browser, linkTo(site.url, runText(picture, AT, "down@20-60,left@70-100")));
    let expected;
    try {
      await waitForEnd(reference, 30000);
      expected = await canvasDigest(reference);
    } finally {
      await reference.close();
    }

    const page = await openPage(site.browser, linkTo(site.url, whole));
    try {
      await waitInPage(page, "the player's controls", () => window.vorn.player && !document.getElementById("player").hidden);
      await page.keyboard.press("p");
      await waitInPage(page, "the pause", () => window.vorn.paused);
      await page.$eval("#position", (input, frame) => {
        input.value = String(frame);
        input.dispatchEvent(new Event("input", {bubbles: true}));
      }, AT);
      await landed(page, AT);
      assert.equal(await canvasDigest(page), expected, "the Position input moved to the frame shows another picture");
      assert.match(await statusText(page), new RegExp(`^Paused at frame ${AT} of 240 \\(0:03 of 0:08\\)`));

      await page.keyboard.press(".");
      await landed(page, AT + 1);
      await page.keyboard.press(",");  // back: the program starts again, the frames on the way unseen
      await landed(page, AT);
      assert.equal(await canvasDigest(page), expected, "a step back shows another picture");

      await page.keyboard.press("t");
      await waitInPage(page, "the live bar back", () => document.getElementById("player").hidden && window.vorn.player === null);
      await page.keyboard.press("p");
      await page.keyboard.down("ArrowUp");
      await waitInPage(page, "frames steered", (n) => window.vorn.frames >= n, await page.evaluate(() => window.vorn.frames + 10));
      await page.keyboard.up("ArrowUp");
      await page.click("#share");
      const link = await waitInPage(page, "the shared link", () => document.getElementById("run-link").value);
      // The replay's keys up to frame AT (Left let go there), then the user's Up.
      const taken = decodeURIComponent(link.split("#run=")[1]).replace(/\//g, "\n").replace(/\./g, " ");
      assert.match(taken, new RegExp(`^vorn-run 1\ngenerator musl\npicture ${picture}\nseed 1800000000\n` +
                                     `frames \\d+\nkeys down@20-60,left@70-${AT},up@\\d+-\\d+\n$`), taken);
      assert.deepEqual(await page.problems(), []);
    } finally {
      await page.close();
    }
  });
});
