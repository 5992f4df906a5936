// The browser checks' one kit: the site served on 127.0.0.1, Debian's
// Chromium (or Firefox) started headless through puppeteer-core, or
// WebKitGTK through its WebDriver and selenium-webdriver, the page's run
// state, the canvas read back, and what its pixels are (stars, rocks,
// black).
// Every wait is bounded and says what it waited for when it gives up.
import {mkdtemp, rm, cp, readFile, writeFile} from "node:fs/promises";
import {spawn} from "node:child_process";
import {existsSync, readdirSync} from "node:fs";
import os from "node:os";
import zlib from "node:zlib";
import path from "node:path";
import {fileURLToPath} from "node:url";
import assert from "node:assert/strict";
import {after, before} from "node:test";
import puppeteer from "puppeteer-core";
import {By, Capabilities, Key, WebDriver} from "selenium-webdriver";
import http from "selenium-webdriver/http/index.js";
import remote from "selenium-webdriver/remote/index.js";

import {serveSite} from "../../web/serve.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const build = process.env.VORN_WEB_BUILD || path.join(root, "build/web");
export const site = path.join(build, "site");
export const fuzzSeeds = path.join(build, "fuzz_seeds");

export const WIDTH = 640;
export const HEIGHT = 480;
// The star colours' palette indices, from the fastest (7 rows a frame) to
// the slowest (1 row).
export const STAR_INDICES = [236, 239, 242, 245];
export const STAR_SPEEDS = {236: 7, 239: 5, 242: 3, 245: 1};
const WAIT_MS = 15000;

// The browser the checks run in: Debian's Chromium, its firefox-esr with
// VORN_BROWSER=firefox, or WebKitGTK's MiniBrowser with VORN_BROWSER=webkit
// (checks that need Chromium's own emulation or puppeteer's hooks into a
// page skip themselves elsewhere).
const engine = process.env.VORN_BROWSER || "chromium";
if (!["chromium", "firefox", "webkit"].includes(engine))
  throw new Error(`VORN_BROWSER is chromium, firefox or webkit, not '${engine}'`);
export const inFirefox = engine === "firefox";
export const inWebKit = engine === "webkit";
export const inChromium = engine === "chromium";

function browserPath() {
  const candidates = inFirefox ? [process.env.FIREFOX, "/usr/bin/firefox-esr", "/usr/bin/firefox"]
                               : [process.env.CHROMIUM, "/usr/lib/chromium/chromium", "/usr/bin/chromium"];
  const found = candidates.find((candidate) => candidate && existsSync(candidate));
  const name = inFirefox ? "firefox-esr" : "chromium";
  if (!found) throw new Error(`no ${name} found: install Debian's ${name} or set ${inFirefox ? "FIREFOX" : "CHROMIUM"}`);
  return found;
}

// The browser, headless, with a fresh profile: {browser, close()}. Without
// the networking switches Chromium reaches for services a closed network
// refuses. WebKit runs on a private Xvfb screen.
export async function startBrowser() {
  if (inWebKit) return startWebKit();
  const profile = await mkdtemp(path.join(os.tmpdir(), "vorn-browser-"));
  const browser = await puppeteer.launch({
    browser: inFirefox ? "firefox" : "chrome",
    executablePath: browserPath(),
    headless: true,
    userDataDir: profile,
    timeout: 30000,
    protocolTimeout: 60000,
    args: inFirefox ? [] : ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                            "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  return {
    browser,
    async close() {
      await browser.close().catch(() => {});
      await rm(profile, {recursive: true, force: true});
    },
  };
}

// ---- WebKitGTK: its MiniBrowser on a private Xvfb screen, driven through
// WebKitWebDriver, with pages that answer the part of puppeteer's Page the
// kit and the checks call. WebDriver has no console events: a page's
// problems are gathered in the page itself from its load on.

const WEBKIT_KEYS = {ArrowLeft: Key.ARROW_LEFT, ArrowUp: Key.ARROW_UP, ArrowRight: Key.ARROW_RIGHT,
                     ArrowDown: Key.ARROW_DOWN, Escape: Key.ESCAPE, F12: Key.F12};

// Debian keeps it in the architecture's library folder.
function miniBrowser() {
  const triplets = readdirSync("/usr/lib").filter((name) => name.endsWith("-linux-gnu"));
  const candidates = [process.env.MINIBROWSER, ...triplets.map((triplet) => `/usr/lib/${triplet}/webkit2gtk-4.1/MiniBrowser`)];
  const found = candidates.find((candidate) => candidate && existsSync(candidate));
  if (!found) throw new Error("no MiniBrowser found: install Debian's webkit2gtk-driver or set MINIBROWSER");
  return found;
}

// A private X screen, large enough for the checks' largest window.
function startXvfb() {
  const xvfb = spawn("Xvfb", ["-displayfd", "1", "-screen", "0", "2560x1600x24", "-nolisten", "tcp"],
                     {stdio: ["ignore", "pipe", "ignore"]});
  return new Promise((resolve, reject) => {
    let text = "";
    xvfb.once("error", (error) => reject(new Error(`Xvfb could not start (${error.message}): install xvfb`)));
    xvfb.once("exit", (code) => reject(new Error(`Xvfb ended at once (exit code ${code})`)));
    xvfb.stdout.on("data", (data) => {
      text += data;
      if (text.includes("\n")) resolve({process: xvfb, display: `:${text.trim()}`});
    });
  });
}

// Gathers the page's problems from its load on; run after every navigation.
function watchProblems() {
  if (window.vornCheckProblems) return;
  const seen = window.vornCheckProblems = [];
  addEventListener("error", (event) => {
    // WebKit's note that a resize notification waits for the next frame
    // (the stage was resized while its observer ran), which it delivers
    // then: no fault of the page's.
    if (event.message !== "ResizeObserver loop completed with undelivered notifications.")
      seen.push(`exception: ${event.message}`);
  });
  addEventListener("unhandledrejection", (event) => seen.push(`exception: ${event.reason}`));
  document.addEventListener("securitypolicyviolation", (event) =>
    seen.push(`the page's policy refused ${event.blockedURI || "inline code"} (${event.violatedDirective})`));
  const error = console.error.bind(console);
  console.error = (...parts) => {
    seen.push(`console: ${parts.join(" ")}`);
    error(...parts);
  };
}

// A page is a window of the session's own; each command runs in it through
// inWindow, one at a time.
function webKitPage(driver, inWindow, forget) {
  const key = (name) => WEBKIT_KEYS[name] ?? name;
  const keys = (add) => inWindow(() => add(driver.actions()).perform());
  // Runs source, a function's text, in the page with args; resolves with
  // what it returns (awaited), or rejects with what it threw.
  const run = async (source, args) => {
    const script = `const done = arguments[arguments.length - 1];
      const args = Array.prototype.slice.call(arguments, 0, -1);
      Promise.resolve().then(() => (${source})(...args)).then((value) => done({value}),
        (error) => done({error: String(error && error.stack || error)}));`;
    const result = await inWindow(() => driver.executeAsyncScript(script, ...args));
    if (result.error) throw new Error(`in the page: ${result.error}`);
    return result.value;
  };
  const browserWindow = () => driver.manage().window();
  let shownRect;
  const page = {
    keyboard: {
      down: (name) => keys((actions) => actions.keyDown(key(name))),
      up: (name) => keys((actions) => actions.keyUp(key(name))),
      press: (name) => keys((actions) => actions.keyDown(key(name)).keyUp(key(name))),
    },
    evaluate: (fn, ...args) => run(fn.toString(), args),
    async waitForFunction(fn, {timeout, polling}, ...args) {
      const deadline = Date.now() + timeout;
      for (;;) {
        const value = await page.evaluate(fn, ...args);
        if (value) return {jsonValue: async () => value};
        if (Date.now() > deadline) throw new Error(`timed out after ${timeout} ms`);
        await new Promise((resolve) => setTimeout(resolve, polling));
      }
    },
    $eval: (selector, fn, ...args) =>
      run(`(selector, ...args) => (${fn})(document.querySelector(selector), ...args)`, [selector, ...args]),
    async $(selector) {
      const element = await inWindow(() => driver.findElement(By.css(selector)));
      return {uploadFile: (file) => inWindow(() => element.sendKeys(file)), click: () => inWindow(() => element.click())};
    },
    click: async (selector) => (await page.$(selector)).click(),
    async goto(url) {
      await inWindow(() => driver.get(url));
      await page.evaluate(watchProblems);
    },
    async reload() {
      await inWindow(() => driver.navigate().refresh());
      await page.evaluate(watchProblems);
    },
    problems: () => page.evaluate(() => (window.vornCheckProblems || []).slice()),
    // The window sized so that its page, below MiniBrowser's own bar, has
    // this size.
    async setViewport({width, height}) {
      await inWindow(() => browserWindow().setRect({width, height}));
      const inner = await page.evaluate(() => [innerWidth, innerHeight]);
      await inWindow(() => browserWindow().setRect({width: 2 * width - inner[0], height: 2 * height - inner[1]}));
    },
    // Minimised, the page is hidden; given its size again, it is shown.
    async hide() {
      shownRect = await inWindow(() => browserWindow().getRect());
      await inWindow(() => browserWindow().minimize());
    },
    show: () => inWindow(() => browserWindow().setRect({width: shownRect.width, height: shownRect.height})),
    screenshot: () => inWindow(() => driver.takeScreenshot()),
    close: () => inWindow(async () => {
      await driver.close();
      forget();
    }),
  };
  return page;
}

// One WebDriver session, one MiniBrowser. Its first window stays open (the
// session ends with its last); end() ends its driver too.
function webKitBrowser(driver, home, end) {
  let current = home;
  let queue = Promise.resolve();
  const inWindow = (handle, fn) => {
    const run = queue.then(async () => {
      if (handle !== current) {
        await driver.switchTo().window(handle);
        current = handle;
      }
      return fn();
    });
    queue = run.catch(() => {});
    return run;
  };
  return {
    async newPage() {
      const handle = await inWindow(home, async () => {
        await driver.switchTo().newWindow("window");
        return (current = await driver.getWindowHandle());
      });
      return webKitPage(driver, (fn) => inWindow(handle, fn), () => (current = null));
    },
    async version() {
      const capabilities = await driver.getCapabilities();
      return `${capabilities.getBrowserName()} ${capabilities.getBrowserVersion()}`;
    },
    async close() {
      await driver.quit().catch(() => {});
      await end();
    },
  };
}

// A driver of its own (each serves one session at a time) and its session,
// a fresh MiniBrowser with its own ephemeral data, as a fresh profile is.
async function startWebKitSession(display, binary) {
  const service = new remote.DriverService.Builder("WebKitWebDriver").setLoopback(true)
    .setEnvironment({...process.env, DISPLAY: display, NO_AT_BRIDGE: "1"}).build();
  try {
    const url = await service.start(15000);
    const driver = WebDriver.createSession(new http.Executor(new http.HttpClient(url)), new Capabilities({
      "webkitgtk:browserOptions": {binary, args: ["--automation"]},
      timeouts: {script: 60000, pageLoad: 30000},
    }));
    return webKitBrowser(driver, await driver.getWindowHandle(), () => service.kill());
  } catch (error) {
    await service.kill();
    throw new Error(`no WebKit session: ${error.message}`);
  }
}

// For VORN_BROWSER=webkit: Xvfb, a driver and its session. The caller owns
// what it returns and ends it with close(); newSession() gives another,
// fresh browser on the same screen, which the caller closes. Stopped from
// outside (a timeout), the screen goes, and the drivers with the process.
async function startWebKit() {
  const binary = miniBrowser();
  const screen = await startXvfb();
  const endScreen = () => screen.process.exitCode === null && screen.process.kill();
  const stopped = () => {
    endScreen();
    process.exit(1);
  };
  const signals = ["SIGINT", "SIGTERM", "SIGHUP"];
  signals.forEach((signal) => process.once(signal, stopped));
  process.once("exit", endScreen);
  const forget = () => {
    endScreen();
    process.off("exit", endScreen);
    signals.forEach((signal) => process.off(signal, stopped));
  };
  try {
    const newSession = () => startWebKitSession(screen.display, binary);
    const browser = await newSession();
    return {
      browser,
      newSession,
      async close() {
        await browser.close();
        forget();
      },
    };
  } catch (error) {
    forget();
    throw error;
  }
}

// A copy of the built site in a scratch folder, served on 127.0.0.1, so a
// check can take files away or change them. stop() ends the server alone
// and serve() starts it again at the same address; close() ends both.
// holdBack(test) keeps the requests test(request) picks unanswered until
// the server stops.
export async function serveCopy({without = []} = {}) {
  if (!existsSync(path.join(site, "index.html")))
    throw new Error(`no site in ${site}: build it first (cmake --preset web && cmake --build --preset web)`);
  const folder = await mkdtemp(path.join(os.tmpdir(), "vorn-site-"));
  await cp(site, folder, {recursive: true});
  for (const name of without) await rm(path.join(folder, name), {force: true});
  let held = () => false;
  const before = (request) => (held(request) ? new Promise(() => {}) : Promise.resolve());
  let {server, url} = await serveSite(folder, 0, {before});
  const port = Number(new URL(url).port);
  const stop = async () => {
    server?.closeAllConnections();
    await new Promise((resolve) => (server ? server.close(resolve) : resolve()));
    server = null;
  };
  return {
    url,
    folder,
    stop,
    holdBack(test) { held = test; },
    async serve() { ({server} = await serveSite(folder, port, {before})); },
    async close() {
      await stop();
      await rm(folder, {recursive: true, force: true});
    },
  };
}

// For a describe block: before its tests, the site (a scratch copy) is
// served and the browser started; after them both end. Returns the context
// the tests share: {browser, url, rocks (the site's ROCK8.BMP, read),
// scratch (a folder for files a test writes)}.
export function useSiteInBrowser() {
  const context = {};
  let started;
  let served;
  before(async () => {
    context.rocks = await readRockFile(path.join(site, "ROCK8.BMP"));
    context.scratch = await mkdtemp(path.join(os.tmpdir(), "vorn-web-"));
    served = await serveCopy();
    started = await startBrowser();
    context.url = served.url;
    context.browser = started.browser;
  });
  after(async () => {
    await started?.close();
    await served?.close();
    if (context.scratch) await rm(context.scratch, {recursive: true, force: true});
  });
  return context;
}

// Opens the site in a new tab, lets fn check it once the demo runs, and
// closes it; the page's console must have stayed clean.
export async function onRunningPage(context, options, fn) {
  const page = await openPage(context.browser, context.url, options);
  try {
    await waitForRunning(page);
    await fn(page);
    assert.deepEqual(await page.problems(), [], "the page's console reported problems");
  } finally {
    await page.close();
  }
}

// Opens the page in a new tab, as a phone's when touch, and keeps what its
// console says. problems() resolves with the console errors, uncaught
// exceptions, failed requests and whatever the page's
// Content-Security-Policy refused (WebKit: those the page itself sees).
export async function openPage(browser, url, {width = 1280, height = 800, touch = false} = {}) {
  const page = await browser.newPage();
  if (inWebKit) {
    await page.setViewport({width, height});
    await page.goto(url);
    return page;
  }
  const seen = [];
  page.on("console", (message) => {
    if (message.type() === "error") seen.push(`console: ${message.text()}`);
  });
  page.on("pageerror", (error) => seen.push(`exception: ${error.message}`));
  page.on("requestfailed", (request) => seen.push(`request failed: ${request.url()}`));
  await page.evaluateOnNewDocument(() => document.addEventListener("securitypolicyviolation", (event) =>
    console.error(`the page's policy refused ${event.blockedURI || "inline code"} (${event.violatedDirective})`)));
  await page.setViewport({width, height, hasTouch: touch, isMobile: touch});
  await page.goto(url, {waitUntil: "load", timeout: WAIT_MS});
  page.problems = async () => seen.slice();
  return page;
}

// Once the page runs: a standard pad of the page's own, which
// window.plugIn() makes known as a browser would; window.press(button,
// pressed) presses or lets go of a button (by its standard index).
export function standInPad(page) {
  return page.evaluate(() => {
    const pad = {id: "test pad", index: 0, connected: true, mapping: "standard", timestamp: 0,
                 axes: [0, 0, 0, 0], buttons: Array.from({length: 17}, () => ({pressed: false, value: 0}))};
    Object.defineProperty(navigator, "getGamepads", {value: () => [pad]});
    window.press = (button, pressed) => { pad.buttons[button] = {pressed, value: pressed ? 1 : 0}; };
    window.plugIn = () => window.dispatchEvent(Object.assign(new Event("gamepadconnected"), {gamepad: pad}));
  });
}

// Runs fn while page is hidden: another tab is brought to the front, or
// in WebKit, whose new windows do not cover the others, its window is
// minimised. Then the page is shown again.
export async function whilePageHidden(browser, page, fn) {
  if (inWebKit) {
    await page.hide();
    try {
      return await fn();
    } finally {
      await page.show();
    }
  }
  const other = await browser.newPage();
  try {
    await other.bringToFront();
    const result = await fn();
    await page.bringToFront();
    return result;
  } finally {
    await other.close();
  }
}

// Waits until fn(arg), run in the page, is truthy; returns its value.
export async function waitInPage(page, what, fn, arg, timeout = WAIT_MS) {
  try {
    const handle = await page.waitForFunction(fn, {timeout, polling: 20}, arg);
    return await handle.jsonValue();
  } catch (error) {
    const state = await page.evaluate(() => JSON.stringify({
      state: window.vorn && window.vorn.state, frames: window.vorn && window.vorn.frames,
      status: document.getElementById("status").textContent,
    })).catch(() => "(page gone)");
    throw new Error(`waited ${timeout} ms for ${what}; the page: ${state} (${error.message})`);
  }
}

export const statusText = (page) => page.$eval("#status", (element) => element.textContent);

export function waitForRunning(page, minimumFrames = 3) {
  return waitInPage(page, `${minimumFrames} frames shown`,
                    (n) => window.vorn.state === "running" && window.vorn.frames >= n, minimumFrames);
}

export function waitForEnd(page, timeout = WAIT_MS) {
  return waitInPage(page, "the run to end", () => window.vorn.state === "ended" &&
                    document.getElementById("status").textContent.startsWith("Vorn ended"),
                    undefined, timeout);
}

// The canvas as shown right after the next new frame: {frame, pixels}, with
// pixels width x height RGB words (0xRRGGBB).
export async function nextFrame(page) {
  const {frame, data} = await waitInPage(page, "a new frame", async () => {
    const before = window.vorn.frames;
    const deadline = performance.now() + 5000;
    while (window.vorn.frames === before) {
      if (performance.now() > deadline) return null;
      await new Promise((resolve) => setTimeout(resolve, 2));
    }
    const canvas = document.getElementById("screen");
    const bytes = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let text = "";
    for (let i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return {frame: window.vorn.frames, data: btoa(text)};
  });
  const bytes = Buffer.from(data, "base64");
  const pixels = new Uint32Array(bytes.length / 4);
  for (let i = 0; i < pixels.length; ++i)
    pixels[i] = (bytes[4 * i] << 16) | (bytes[4 * i + 1] << 8) | bytes[4 * i + 2];
  return {frame, pixels};
}

// Two frames shown one after the other, or as close as the page allowed:
// {first, second, apart} with apart the number of frames between them.
export async function framePair(page) {
  const first = await nextFrame(page);
  const second = await nextFrame(page);
  return {first, second, apart: second.frame - first.frame};
}

// Holds a key (KeyboardEvent.key name) while fn runs.
export async function withKeyHeld(page, key, fn) {
  await page.keyboard.down(key);
  try {
    return await fn();
  } finally {
    await page.keyboard.up(key);
  }
}

// The BMP file's palette as 0xRRGGBB words, and the colours its four rock
// cells use (index 0, transparent, left out).
export function readRockPicture(bytes) {
  const view = Buffer.from(bytes);
  const pixelOffset = view.readUInt32LE(10);
  const infoSize = view.readUInt32LE(14);
  const width = view.readInt32LE(18);
  const height = view.readInt32LE(22);
  const used = view.readUInt32LE(46) || 256;
  const palette = new Array(256).fill(0);
  for (let i = 0; i < used; ++i) {
    const at = 14 + infoSize + 4 * i;
    palette[i] = (view[at + 2] << 16) | (view[at + 1] << 8) | view[at];
  }
  const rowBytes = (width + 3) & ~3;
  const rowAt = (y) => pixelOffset + rowBytes * (height > 0 ? Math.abs(height) - 1 - y : y);
  const rockColours = new Set();
  for (let cell = 0; cell < 4; ++cell)
    for (let y = 1; y < 64; ++y)
      for (let x = cell * 65 + 1; x < cell * 65 + 64; ++x) {
        const index = view[rowAt(y) + x];
        if (index !== 0) rockColours.add(palette[index]);
      }
  return {palette, rockColours};
}

export const readRockFile = async (file) => readRockPicture(await readFile(file));

// Every pixel sorted: black, a star colour (by palette index), a rock
// colour, or other.
export function classify(pixels, picture) {
  const starOf = new Map(STAR_INDICES.map((index) => [picture.palette[index], index]));
  const counts = {black: 0, rock: 0, other: 0, stars: Object.fromEntries(STAR_INDICES.map((i) => [i, 0]))};
  for (const colour of pixels) {
    if (colour === 0) counts.black += 1;
    else if (starOf.has(colour)) counts.stars[starOf.get(colour)] += 1;
    else if (picture.rockColours.has(colour)) counts.rock += 1;
    else counts.other += 1;
  }
  return counts;
}

// The scene: nothing but black, the four star colours (each on many
// pixels) and the rock colours (on many).
export function assertScene(pixels, picture, what) {
  const counts = classify(pixels, picture);
  assert.equal(counts.other, 0, `${what}: pixels of no star or rock colour`);
  for (const index of STAR_INDICES)
    assert.ok(counts.stars[index] >= 40, `${what}: only ${counts.stars[index]} stars of colour ${index}`);
  assert.ok(counts.rock >= 20000, `${what}: only ${counts.rock} rock pixels`);
  assert.ok(counts.black >= WIDTH * HEIGHT / 4, `${what}: only ${counts.black} black pixels`);
}

// Of every star colour, at least the share minimum of the stars of a frame
// pair's first frame is found in its second, rowsPerFrame(index) rows a
// frame lower (and leftPerFrame(index) columns a frame to the left).
export function assertStarsMoved(pair, picture, rowsPerFrame, minimum, what, leftPerFrame = () => 0) {
  for (const index of STAR_INDICES) {
    const rows = rowsPerFrame(index) * pair.apart;
    const left = leftPerFrame(index) * pair.apart;
    const share = starsFoundMoved(pair.first.pixels, pair.second.pixels, picture, index, rows, left);
    assert.ok(share >= minimum, `${what}: of the stars of colour ${index}, ${share.toFixed(2)} ` +
              `were ${rows} rows lower and ${left} columns left ${pair.apart} frame(s) later`);
  }
}

// Of the pixels of the star colour index in `from`, the share whose colour
// is found again in `to` after moving down by rows and left by columns
// (wrapping at the edges). A star whose new place a rock covers in `to`
// tells nothing and is left out: rocks drift over stars, the more so the
// more frames lie between the two.
export function starsFoundMoved(from, to, picture, index, rows, columns = 0) {
  const colour = picture.palette[index];
  let total = 0;
  let found = 0;
  for (let y = 0; y < HEIGHT; ++y) {
    const target = ((y + rows) % HEIGHT) * WIDTH;
    for (let x = 0; x < WIDTH; ++x) {
      if (from[y * WIDTH + x] !== colour) continue;
      const seen = to[target + (((x - columns) % WIDTH) + WIDTH) % WIDTH];
      if (seen !== colour && picture.rockColours.has(seen)) continue;
      total += 1;
      if (seen === colour) found += 1;
    }
  }
  return total === 0 ? 0 : found / total;
}

// Of all star-coloured pixels, the share with the same colour right below:
// streaks are runs of four, single stars have none.
export function streakShare(pixels, picture) {
  const colours = new Set(STAR_INDICES.map((index) => picture.palette[index]));
  let total = 0;
  let streaked = 0;
  for (let y = 0; y < HEIGHT - 1; ++y)
    for (let x = 0; x < WIDTH; ++x) {
      const colour = pixels[y * WIDTH + x];
      if (!colours.has(colour)) continue;
      total += 1;
      if (pixels[(y + 1) * WIDTH + x] === colour) streaked += 1;
    }
  return total === 0 ? 0 : streaked / total;
}

// An 8-bit BMP of four rock cells (one-pixel borders), each a solid square
// of palette index 1, with the given colours for index 1 and the stars.
export async function writeSquareRocks(file, rockColour, starColours) {
  const width = 260;
  const height = 65;
  const header = Buffer.alloc(14 + 40 + 1024);
  header.write("BM", 0, "latin1");
  header.writeUInt32LE(header.length + width * height, 2);
  header.writeUInt32LE(header.length, 10);
  header.writeUInt32LE(40, 14);
  header.writeInt32LE(width, 18);
  header.writeInt32LE(height, 22);
  header.writeUInt16LE(1, 26);
  header.writeUInt16LE(8, 28);
  header.writeUInt32LE(width * height, 34);
  header.writeUInt32LE(256, 46);
  const setColour = (index, rgb) => {
    const at = 54 + 4 * index;
    header[at] = rgb & 255;
    header[at + 1] = (rgb >> 8) & 255;
    header[at + 2] = (rgb >> 16) & 255;
  };
  setColour(1, rockColour);
  STAR_INDICES.forEach((index, i) => setColour(index, starColours[i]));
  const pixels = Buffer.alloc(width * height);
  for (let y = 0; y < height; ++y)  // rows bottom-up: file row 0 is picture row 64
    for (let x = 0; x < width; ++x) {
      const row = height - 1 - y;
      const inCell = row % 65 !== 0 && x % 65 !== 0 && row < 65;
      pixels[y * width + x] = inCell ? 1 : 0;
    }
  await writeFile(file, Buffer.concat([header, pixels]));
}

// A screenshot of the page as {width, height, pixels} with 0xRRGGBB words:
// Chromium's PNG (8-bit RGB or RGBA, not interlaced) inflated and
// unfiltered here.
export async function screenshot(page) {
  const png = Buffer.from(await page.screenshot({encoding: "base64"}), "base64");
  let at = 8;
  let width = 0;
  let height = 0;
  let channels = 0;
  const data = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at);
    const type = png.toString("latin1", at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = {2: 3, 6: 4}[body[9]];
      if (body[8] !== 8 || !channels || body[12] !== 0) throw new Error("unexpected PNG format");
    } else if (type === "IDAT") {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const left = i >= channels ? rows[y * stride + i - channels] : 0;
      const up = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const corner = y > 0 && i >= channels ? rows[(y - 1) * stride + i - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - corner;
        const [a, b, c] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        predicted = a <= b && a <= c ? left : b <= c ? up : corner;
      }
      rows[y * stride + i] = (line[i] + predicted) & 255;
    }
  }
  const pixels = new Uint32Array(width * height);
  for (let i = 0; i < pixels.length; ++i)
    pixels[i] = (rows[i * channels] << 16) | (rows[i * channels + 1] << 8) | rows[i * channels + 2];
  return {width, height, pixels};
}
