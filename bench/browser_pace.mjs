// The demo's pace in headless Chromium: frames presented per second over
// ten seconds, and the share of the page's main thread it keeps busy
// (Chromium's TaskDuration: every task the main thread ran, the demo's
// frames, the canvas and the page's own). A benchmark: it reports, it never
// fails on a figure. Needs the web build (the site in build/web/site).
//
//   node bench/browser_pace.mjs [SECONDS]
import {openPage, serveCopy, startBrowser, waitForRunning} from "../tests/web/kit.mjs";

const seconds = Number(process.argv[2] || 10);

const served = await serveCopy();
const chromium = await startBrowser();
try {
  const page = await openPage(chromium.browser, served.url, {width: 1280, height: 800});
  await waitForRunning(page, 30);
  // How many animation frames each demo frame took (2 at 60 Hz is 30 a
  // second; 3 when the 30 ms pause and the frame missed the second one).
  await page.evaluate(() => {
    window.paceSpans = {};
    let shown = window.vorn.frames;
    let span = 0;
    const count = () => {
      span += 1;
      if (window.vorn.frames !== shown) {
        shown = window.vorn.frames;
        window.paceSpans[span] = (window.paceSpans[span] || 0) + 1;
        span = 0;
      }
      requestAnimationFrame(count);
    };
    requestAnimationFrame(count);
  });
  const before = {metrics: await page.metrics(), frames: await page.evaluate(() => window.vorn.frames)};
  const started = process.hrtime.bigint();
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  const after = {metrics: await page.metrics(), frames: await page.evaluate(() => window.vorn.frames)};
  const wall = Number(process.hrtime.bigint() - started) / 1e9;
  const frames = after.frames - before.frames;
  const busy = after.metrics.TaskDuration - before.metrics.TaskDuration;
  const script = after.metrics.ScriptDuration - before.metrics.ScriptDuration;
  console.log(`Over ${wall.toFixed(1)} s in headless Chromium (${await chromium.browser.version()}):`);
  console.log(`  frames presented per second   ${(frames / wall).toFixed(1)}   (target 30 +- 2)`);
  console.log(`  main thread busy               ${(100 * busy / wall).toFixed(1)} %` +
              ` (${(1000 * busy / frames).toFixed(2)} ms a frame)`);
  console.log(`  of which script                ${(100 * script / wall).toFixed(1)} %`);
  const spans = await page.evaluate(() => window.paceSpans);
  console.log(`  animation frames per frame     ${Object.entries(spans).map(([n, count]) => `${n}: ${count}`).join(", ")}`);
  const problems = page.problems();
  if (problems.length) console.log(`  the page reported: ${problems.join("; ")}`);
} finally {
  await chromium.close();
  await served.close();
}
