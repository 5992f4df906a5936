// Steering without a keyboard, and the page without a network: the touch
// controls on a phone-sized page, a gamepad, and the offline copy.
import assert from "node:assert/strict";
import {appendFile} from "node:fs/promises";
import path from "node:path";
import {describe, test} from "node:test";

import {writeServiceWorker} from "../../web/service_worker_build.mjs";
import {
  STAR_SPEEDS, assertScene, assertStarsMoved, framePair, inChromium, nextFrame, onRunningPage, openPage, serveCopy,
  standInPad, streakShare, statusText, useSiteInBrowser, waitForEnd, waitForRunning, waitInPage, withKeyHeld,
} from "./kit.mjs";

describe("steering without a keyboard, running without a network", () => {
  const site = useSiteInBrowser();

  // The two frames after the next, once what was just done has taken hold.
  const settled = async (page) => (await nextFrame(page)) && framePair(page);
  const assertStreaks = (pair, what, minimum = 0.6) =>
    assert.ok(streakShare(pair.second.pixels, site.rocks) >= minimum, `${what}: the stars do not streak`);
  const assertNoStreaks = (pair, what) =>
    assert.ok(streakShare(pair.second.pixels, site.rocks) < 0.2, `${what}: the stars still streak`);

  test("touch: the controls sit below the picture, steer while held and quit", {skip: !inChromium &&
       "touch is emulated through Chromium's own protocol"}, async () => {
    await onRunningPage(site, {width: 390, height: 844, touch: true}, async (page) => {
      const [picture, ...controls] = await page.$$eval("#screen, [data-key]", (elements) => elements.map(
        (element) => ({name: element.getAttribute("aria-label"), ...element.getBoundingClientRect().toJSON()})));
      assert.deepEqual(controls.map((control) => control.name), ["Left", "Up", "Right", "Down", "Quit"]);
      for (const control of controls) {
        assert.ok(control.width >= 48 && control.height >= 48, `${control.name} is smaller than 48 pixels`);
        assert.ok(control.top >= picture.bottom, `${control.name} overlaps the picture`);
      }
      const at = Object.fromEntries(controls.map((c) => [c.name, {x: c.x + c.width / 2, y: c.y + c.height / 2}]));
      const cdp = await page.createCDPSession();
      const touch = (type, ...names) => cdp.send("Input.dispatchTouchEvent",
        {type, touchPoints: names.map((name, id) => ({...at[name], id}))});
      await touch("touchStart", "Down");
      assertStreaks(await settled(page), "Down touched");
      await touch("touchStart", "Down", "Left");
      const both = await settled(page);
      assertStreaks(both, "Down and Left touched");
      assertStarsMoved(both, site.rocks, (index) => 2 * STAR_SPEEDS[index] + 3, 0.5, "Down and Left touched",
                       (index) => STAR_SPEEDS[index] + 3);
      await touch("touchEnd");
      assertNoStreaks(await settled(page), "fingers lifted");
      await touch("touchStart", "Quit");
      await nextFrame(page);
      await touch("touchEnd");
      await waitForEnd(page);
      assert.equal(await page.evaluate(() => window.vorn.exitCode), 0);
    });
  });

  test("a gamepad: the D-pad steers, Start quits", async () => {
    await onRunningPage(site, {}, async (page) => {
      await standInPad(page);
      await page.evaluate(() => window.plugIn());
      await withKeyHeld(page, "ArrowDown", async () =>  // an idle pad lets go of nothing
        assertStreaks(await settled(page), "Down on the keyboard, with a pad"));
      await page.evaluate(() => window.press(13, true));  // the D-pad's Down
      assertStreaks(await settled(page), "Down on the D-pad");
      assert.match(await statusText(page), /gamepad's D-pad/);
      await page.evaluate(() => window.press(13, false));
      assertNoStreaks(await settled(page), "the D-pad let go");
      await page.evaluate(() => window.press(9, true));  // Start
      await nextFrame(page);
      await page.evaluate(() => window.press(9, false));
      await waitForEnd(page);
      assert.equal(await page.evaluate(() => window.vorn.exitCode), 0);
    });
  });

  // Once the page has put its offline copy in place (the first visit
  // stays with the network). A worker's state is not relied on: WebKit
  // leaves it stale in a page the worker does not control.
  const offlineCopy = () => navigator.serviceWorker.getRegistration()
    .then((registration) => registration && registration.active !== null);
  // Only the build's copy (and the notes) is kept.
  const onlyCopyOf = async (name) => (await caches.keys()).filter((key) => key !== "vorn-notes").join() === name;
  // The build's worker has taken over.
  const tookOver = (name) => navigator.serviceWorker.getRegistration().then(async (registration) =>
    !registration.installing && !registration.waiting && (await caches.keys()).includes(name));
  const MARK = "\nvar vornNextBuild = true;\n";

  // The next build, vorn.js marked, its worker written for it.
  async function nextBuild(folder) {
    await appendFile(path.join(folder, "vorn.js"), MARK);
    return `vorn-${await writeServiceWorker(folder)}`;
  }

  // A page of a scratch copy of the site, running, its offline copy in
  // place: fn(page, served), then both closed.
  async function afterFirstVisit(fn) {
    const served = await serveCopy();
    const page = await openPage(site.browser, served.url);
    try {
      await waitForRunning(page);
      await waitInPage(page, "the offline copy", offlineCopy);
      await fn(page, served);
    } finally {
      await page.close();
      await served.close();
    }
  }

  test("offline: after one visit the page runs without the server; a new build replaces the copy", async () => {
    await afterFirstVisit(async (page, served) => {
      await served.stop();
      await page.reload();
      await waitForRunning(page);
      assertScene((await nextFrame(page)).pixels, site.rocks, "offline, with the kept ROCK8.BMP");

      const build = await nextBuild(served.folder);
      await served.serve();
      await page.reload();
      await waitInPage(page, "the new build to take over", tookOver, build);
      await page.reload();
      await waitForRunning(page);
      assert.equal(await page.evaluate(() => window.vornNextBuild), true, "the old build still runs");
      await waitInPage(page, "the old build's copy gone", onlyCopyOf, build);
      assert.deepEqual((await page.problems()).filter((problem) => !/request failed/.test(problem)), []);
    });
  });

  test("a load a new build overtakes runs one build; a held-back ROCK8.BMP gives way to the kept copy", async () => {
    await afterFirstVisit(async (page, served) => {
      const build = await nextBuild(served.folder);
      // The page's own ROCK8.BMP, not the new worker's: the load stays in
      // progress while the new build takes over.
      served.holdBack((request) => request.url === "/ROCK8.BMP" && !/service_worker/.test(request.headers.referer));
      await page.reload();
      await waitInPage(page, "the new build to take over", tookOver, build);
      await waitForRunning(page);
      const [marked, script] = await page.evaluate(async () =>
        [window.vornNextBuild === true, await (await fetch("vorn.js")).text()]);
      assert.equal(marked, false, "the new build's vorn.js runs in a page of the old");
      assert.ok(!script.endsWith(MARK), "the page of the old build was served the new build's vorn.js");
    });
  });
});
