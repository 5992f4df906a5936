// The page around the demo. Each run is a fresh module from createVorn
// (vorn.js), as a new process would be, with ROCK8.BMP in its /vorn folder:
// the site's own, fetched afresh, or a picture the user chose. The status
// line says how a run ended; "Run again" starts another. The canvas is kept
// as large as the stage allows, in whole multiples where they fit.
// window.vorn tells the state of the current run, for the curious and for
// the browser checks.
"use strict";

(() => {
  // How long a run gets to end by itself before the page starts another.
  const QUIT_WAIT_MS = 2000;
  // Larger pictures are not handed to the program at all.
  const PICTURE_LIMIT_BYTES = 64 * 1024 * 1024;

  const stage = document.getElementById("stage");
  const canvas = document.getElementById("screen");
  const statusLine = document.getElementById("status");
  const againButton = document.getElementById("again");
  const fullscreenButton = document.getElementById("fullscreen");
  const pictureInput = document.getElementById("picture");

  let current = null;  // the run in progress, or the last one
  let runCount = 0;
  let restarts = 0;    // a later restart makes an earlier one give way
  let picture = null;  // {name, bytes} the user chose; null: the site's ROCK8.BMP

  window.vorn = {
    get state() { return current ? current.state : "loading"; },
    get exitCode() { return current ? current.exitCode : null; },
    get reason() { return current ? current.reason : ""; },
    get frames() { return current && current.module.vornFramesShown ? current.module.vornFramesShown : 0; },
    get runs() { return runCount; },
  };

  function say(text) {
    statusLine.textContent = text;
  }

  const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

  // Nearest-neighbour scaling through CSS: the largest whole multiple of the
  // canvas in device pixels that fits, or a smaller fraction when none does;
  // centred on whole device pixels, so every canvas pixel covers the same
  // number of screen pixels.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const room = {width: stage.clientWidth * ratio, height: stage.clientHeight * ratio};
    const fits = Math.min(room.width / canvas.width, room.height / canvas.height);
    const scale = fits >= 1 ? Math.floor(fits) : fits;
    const width = Math.round(canvas.width * scale);
    const height = Math.round(canvas.height * scale);
    canvas.style.width = `${width / ratio}px`;
    canvas.style.height = `${height / ratio}px`;
    canvas.style.left = `${Math.floor((room.width - width) / 2) / ratio}px`;
    canvas.style.top = `${Math.floor((room.height - height) / 2) / ratio}px`;
  }

  async function fetchSitePicture(run) {
    try {
      const response = await fetch("ROCK8.BMP", {cache: "no-store"});
      if (response.ok) return new Uint8Array(await response.arrayBuffer());
      run.note = `the site has no ROCK8.BMP: HTTP ${response.status}`;
    } catch (error) {
      run.note = `ROCK8.BMP could not be fetched: ${error.message}`;
    }
    return null;
  }

  function finish(run, exitCode, failure) {
    if (run.state === "ended") return;
    run.state = "ended";
    run.exitCode = exitCode;
    run.resolveEnded();
    if (current !== run || run.stopping) return;
    againButton.hidden = false;
    if (failure !== undefined) {
      say(`Vorn stopped: ${failure}`);
      return;
    }
    let text = `Vorn ended (exit code ${exitCode})`;
    if (exitCode !== 0) {
      if (run.picture) {
        text += ` with your picture “${run.picture.name}”`;
        picture = null;  // "Run again" goes back to the site's picture
        pictureInput.value = "";
      }
      if (run.reason) text += `: ${run.reason}`;
      if (run.note) text += ` (${run.note})`;
    }
    say(text);
  }

  async function start() {
    const run = {state: "starting", exitCode: null, reason: "", note: "", picture, stopping: false};
    run.ended = new Promise((resolve) => { run.resolveEnded = resolve; });
    run.module = {
      canvas,
      preRun: [(module) => {
        module.FS.mkdir("/vorn");
        if (run.bytes) module.FS.writeFile("/vorn/ROCK8.BMP", run.bytes);
      }],
      onRuntimeInitialized: () => {
        if (current !== run || run.state !== "starting") return;
        run.state = "running";
        say("Running: the arrows steer; Escape or Space quits.");
      },
      onVornText: (line) => { if (!run.reason) run.reason = line; },
      onVornExit: (exitCode) => finish(run, exitCode),
      onAbort: (what) => finish(run, null, String(what)),
    };
    current = run;
    runCount += 1;
    againButton.hidden = true;
    say(picture ? `Starting with your picture “${picture.name}”…` : "Starting…");
    run.bytes = picture ? picture.bytes : await fetchSitePicture(run);
    if (current !== run) return;
    try {
      await createVorn(run.module);
    } catch (error) {
      finish(run, null, `the program could not be loaded (${error && error.message ? error.message : error})`);
    }
  }

  // Ends the current run the way closing its window would, then starts the
  // next; a run that does not end in time is let go (it never runs again).
  async function restart() {
    const mine = ++restarts;
    const previous = current;
    if (previous && previous.state !== "ended") {
      previous.stopping = true;
      say("Restarting…");
      if (previous.module._vorn_web_request_quit) previous.module._vorn_web_request_quit();
      await Promise.race([previous.ended, delay(QUIT_WAIT_MS)]);
      if (previous.state !== "ended") previous.module.vornLetGo = true;
    }
    if (mine === restarts) await start();
  }

  async function choosePicture() {
    const file = pictureInput.files && pictureInput.files[0];
    if (!file) return;
    if (file.size > PICTURE_LIMIT_BYTES) {
      say(`Your picture “${file.name}” was not used: it is larger than 64 MB.`);
      pictureInput.value = "";
      return;
    }
    picture = {name: file.name, bytes: new Uint8Array(await file.arrayBuffer())};
    await restart();
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else {
      stage.requestFullscreen().catch((error) => say(`Full screen was refused: ${error.message}`));
    }
  }

  againButton.addEventListener("click", () => { restart(); });
  pictureInput.addEventListener("change", () => { choosePicture(); });
  fullscreenButton.hidden = !document.fullscreenEnabled;
  fullscreenButton.addEventListener("click", toggleFullscreen);
  document.addEventListener("fullscreenchange", () => {
    fullscreenButton.textContent = document.fullscreenElement ? "Leave full screen" : "Full screen";
  });
  new ResizeObserver(fit).observe(stage);
  fit();
  start();
})();
