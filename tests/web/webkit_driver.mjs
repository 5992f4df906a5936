// WebKitGTK for the browser kit: its MiniBrowser on a private Xvfb screen,
// driven through WebKitWebDriver in plain W3C WebDriver, with pages that
// answer the part of puppeteer's Page the kit and the checks call. WebDriver
// has no console events: a page's problems are gathered in the page itself
// from its load on (uncaught exceptions, rejections, console.error).
import {spawn} from "node:child_process";
import {existsSync, readdirSync} from "node:fs";
import net from "node:net";

const KEYS = {ArrowLeft: "\uE012", ArrowUp: "\uE013", ArrowRight: "\uE014", ArrowDown: "\uE015", Escape: "\uE00C", F12: "\uE03C"};
const ELEMENT = "element-6066-11e4-a52e-4f735466cecf";
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Debian keeps it in the architecture's library folder.
function miniBrowser() {
  const triplets = readdirSync("/usr/lib").filter((name) => name.endsWith("-linux-gnu"));
  const candidates = [process.env.MINIBROWSER, ...triplets.map((triplet) => `/usr/lib/${triplet}/webkit2gtk-4.1/MiniBrowser`)];
  const found = candidates.find((candidate) => candidate && existsSync(candidate));
  if (!found) throw new Error("no MiniBrowser found: install Debian's webkit2gtk-driver or set MINIBROWSER");
  return found;
}

const freePort = () => new Promise((resolve, reject) => {
  const probe = net.createServer().once("error", reject);
  probe.listen(0, "127.0.0.1", () => {
    const {port} = probe.address();
    probe.close(() => resolve(port));
  });
});

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
  addEventListener("error", (event) => seen.push(`exception: ${event.message}`));
  addEventListener("unhandledrejection", (event) => seen.push(`exception: ${event.reason}`));
  document.addEventListener("securitypolicyviolation", (event) =>
    seen.push(`the page's policy refused ${event.blockedURI || "inline code"} (${event.violatedDirective})`));
  const error = console.error.bind(console);
  console.error = (...parts) => {
    seen.push(`console: ${parts.join(" ")}`);
    error(...parts);
  };
}

// One WebDriver session, one MiniBrowser: commands run one at a time, each
// in the window of the page that sends it. Its first window stays open
// (the session ends with its last); pages are windows of their own.
class Session {
  constructor(url, id, capabilities) {
    Object.assign(this, {url, id, capabilities, current: null, queue: Promise.resolve(), ended: () => {}});
  }

  async close() {
    await fetch(`${this.url}/session/${this.id}`, {method: "DELETE"}).catch(() => {});
    this.ended();
  }

  async send(method, path, body) {
    const response = await fetch(`${this.url}/session/${this.id}${path}`, {
      method, headers: {"Content-Type": "application/json"}, body: body && JSON.stringify(body),
    });
    const {value} = await response.json();
    if (value && value.error) throw new Error(`WebDriver ${path}: ${value.error}: ${value.message}`);
    return value;
  }

  in(handle, fn) {
    const run = this.queue.then(async () => {
      if (handle && handle !== this.current) {
        await this.send("POST", "/window", {handle});
        this.current = handle;
      }
      return fn();
    });
    this.queue = run.catch(() => {});
    return run;
  }

  async newPage() {
    const {handle} = await this.in(this.home, () => this.send("POST", "/window/new", {type: "window"}));
    return new WebKitPage(this, handle);
  }

  version() {
    return `${this.capabilities.browserName} ${this.capabilities.browserVersion}`;
  }
}

class WebKitPage {
  constructor(session, handle) {
    this.session = session;
    this.handle = handle;
    const key = (type, name) => ({type, value: KEYS[name] ?? name});
    this.keyboard = {
      down: (name) => this.keys([key("keyDown", name)]),
      up: (name) => this.keys([key("keyUp", name)]),
      press: (name) => this.keys([key("keyDown", name), key("keyUp", name)]),
    };
  }

  send(method, path, body) {
    return this.session.in(this.handle, () => this.session.send(method, path, body));
  }

  keys(actions) {
    return this.send("POST", "/actions", {actions: [{type: "key", id: "keyboard", actions}]});
  }

  // Runs source, a function's text, in the page with args; resolves with
  // what it returns (awaited), or rejects with what it threw.
  async run(source, args) {
    const script = `const done = arguments[arguments.length - 1];
      const args = Array.prototype.slice.call(arguments, 0, -1);
      Promise.resolve().then(() => (${source})(...args)).then((value) => done({value}),
        (error) => done({error: String(error && error.stack || error)}));`;
    const result = await this.send("POST", "/execute/async", {script, args});
    if (result.error) throw new Error(`in the page: ${result.error}`);
    return result.value;
  }

  evaluate(fn, ...args) {
    return this.run(fn.toString(), args);
  }

  async waitForFunction(fn, {timeout, polling}, ...args) {
    const deadline = Date.now() + timeout;
    for (;;) {
      const value = await this.evaluate(fn, ...args);
      if (value) return {jsonValue: async () => value};
      if (Date.now() > deadline) throw new Error(`timed out after ${timeout} ms`);
      await sleep(polling);
    }
  }

  $eval(selector, fn, ...args) {
    return this.run(`(selector, ...args) => (${fn})(document.querySelector(selector), ...args)`, [selector, ...args]);
  }

  async $(selector) {
    const found = await this.send("POST", "/element", {using: "css selector", value: selector});
    const path = `/element/${found[ELEMENT]}`;
    return {
      uploadFile: (file) => this.send("POST", `${path}/value`, {text: file}),
      click: () => this.send("POST", `${path}/click`, {}),
    };
  }

  async click(selector) {
    return (await this.$(selector)).click();
  }

  async goto(url) {
    await this.send("POST", "/url", {url});
    await this.evaluate(watchProblems);
  }

  async reload() {
    await this.send("POST", "/refresh", {});
    await this.evaluate(watchProblems);
  }

  problems() {
    return this.evaluate(() => (window.vornCheckProblems || []).slice());
  }

  // The window sized so that its page, below MiniBrowser's own bar, has
  // this size.
  async setViewport({width, height}) {
    await this.send("POST", "/window/rect", {width, height});
    const inner = await this.evaluate(() => [innerWidth, innerHeight]);
    await this.send("POST", "/window/rect", {width: 2 * width - inner[0], height: 2 * height - inner[1]});
  }

  // Minimised, the page is hidden; given its size again, it is shown.
  async hide() {
    this.rect = await this.send("GET", "/window/rect");
    await this.send("POST", "/window/minimize", {});
  }

  async show() {
    await this.send("POST", "/window/rect", {width: this.rect.width, height: this.rect.height});
  }

  async screenshot() {
    return this.send("GET", "/screenshot");
  }

  close() {
    return this.session.in(this.handle, async () => {
      await this.session.send("DELETE", "/window");
      this.session.current = null;
    });
  }
}

// A fresh MiniBrowser with its own ephemeral data, as a fresh profile is.
async function startSession(url, binary) {
  const response = await fetch(`${url}/session`, {method: "POST", headers: {"Content-Type": "application/json"},
    body: JSON.stringify({capabilities: {alwaysMatch: {
      "webkitgtk:browserOptions": {binary, args: ["--automation"]},
      timeouts: {script: 60000, pageLoad: 30000},
    }}})});
  const {value} = await response.json();
  if (!value.sessionId) throw new Error(`no WebKit session: ${value.message || JSON.stringify(value)}`);
  const session = new Session(url, value.sessionId, value.capabilities);
  session.home = session.current = await session.send("GET", "/window");
  return session;
}

async function waitForDriver(url, driver) {
  const deadline = Date.now() + 15000;
  for (;;) {
    if (driver.exitCode !== null) throw new Error(`WebKitWebDriver ended (exit code ${driver.exitCode})`);
    const ready = await fetch(`${url}/status`).then((response) => response.json()).catch(() => null);
    if (ready && ready.value && ready.value.ready) return;
    if (Date.now() > deadline) throw new Error("WebKitWebDriver did not answer within 15 s");
    await sleep(50);
  }
}

// A driver of its own (each serves one session at a time) and its session
// on the screen; closing the session ends the driver.
async function startDriver(display, binary, children) {
  const port = await freePort();
  const driver = spawn("WebKitWebDriver", [`--port=${port}`], {
    stdio: "ignore", env: {...process.env, DISPLAY: display, NO_AT_BRIDGE: "1"},
  });
  children.add(driver.once("error", () => {}));
  const url = `http://127.0.0.1:${port}`;
  try {
    await waitForDriver(url, driver);
    const session = await startSession(url, binary);
    session.ended = () => {
      driver.kill();
      children.delete(driver);
    };
    return session;
  } catch (error) {
    driver.kill();
    children.delete(driver);
    throw error;
  }
}

// Called by the kit's startBrowser for VORN_BROWSER=webkit: Xvfb, a driver
// and its session. The caller owns what it returns and ends it with
// close(); newSession() gives another, fresh browser on the same screen,
// which the caller closes.
export async function startWebKit() {
  const binary = miniBrowser();
  const screen = await startXvfb();
  const children = new Set([screen.process]);
  const killAll = () => children.forEach((child) => child.exitCode === null && child.kill());
  // Stopped from outside (a timeout), the screen and browsers go too.
  const stopped = (signal) => {
    killAll();
    process.kill(process.pid, signal);
  };
  process.once("exit", killAll);
  for (const signal of ["SIGINT", "SIGTERM", "SIGHUP"]) process.once(signal, stopped);
  const forget = () => {
    process.off("exit", killAll);
    for (const signal of ["SIGINT", "SIGTERM", "SIGHUP"]) process.off(signal, stopped);
  };
  try {
    const newSession = () => startDriver(screen.display, binary, children);
    const browser = await newSession();
    return {
      browser,
      newSession,
      async close() {
        await browser.close();
        killAll();
        forget();
      },
    };
  } catch (error) {
    killAll();
    forget();
    throw error;
  }
}
