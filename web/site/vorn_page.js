// The page around the demo. Each run is a fresh module from createVorn
// (vorn.js), as a new process would be, with ROCK8.BMP in its /vorn folder:
// the site's own, fetched afresh, or a picture the user chose. The status
// line says how a run ended and how to steer one that runs; "Run again"
// starts another. The picture (picture_scaler.js, drawn from the frame
// canvas at every frame) fills the largest 4:3 box the stage allows, with
// the touch controls beside or below it.
// Pause, Screenshot and Record are page_controls.js's; run links and run
// files (a run to play instead of a steered one) run_share.js's, and the
// player's controls while one plays player_controls.js's; what the embed
// (embed.html) does otherwise, embed.js's.
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

  // The program's code is fetched and compiled once a visit, by
  // vorn_program.js as soon as it has arrived, and every run starts from
  // it: no run waits for it twice. vorn.js, deferred after this script, has
  // run when DOMContentLoaded comes.
  const program = compiledProgram();
  const scriptsRun = new Promise((resolve) => {
    if (typeof createVorn === "function") resolve();
    else document.addEventListener("DOMContentLoaded", resolve);
  });
  program.catch(() => {});  // the run that needs it says what went wrong
  let sitePicture = fetchSitePicture();  // the first run's, also preloaded
  // Made now, while they load, rather than when the program first asks for
  // it: the program is then handed this same context. One black pixel put
  // in it now readies the canvas for the frames' pixels (WebKit takes tens
  // of milliseconds over the first put), so the first frame does not wait.
  canvas.getContext("2d", {alpha: false}).putImageData(new ImageData(1, 1), 0, 0);

  let current = null;  // the run in progress, or the last one
  let firstRun = null;
  let runCount = 0;
  let restarts = 0;    // a later restart makes an earlier one give way
  let picture = null;  // {name, bytes} the user chose; null: the site's ROCK8.BMP
  let offlineAsked = false;
  let wakeLock = null;
  let askingWakeLock = false;
  // What the status line names to steer with: found as they show up.
  const inputs = {keys: !window.matchMedia("(pointer: coarse)").matches, touch: false, pad: false};

  const scaler = vornPictureScaler({frame: canvas});
  vornIntegerScalingControl(scaler);

  const touch = vornTouchControls(touchKey, () => {
    inputs.touch = true;
    fit();
    sayHowToSteer();
  });
  inputs.touch = touch.shown;

  const embed = vornEmbed({say});
  const controls = vornPageControls({canvas, currentRun: () => current, say, sayHowToSteer});
  const runs = vornRunShare({currentRun: () => current, say, sayHowToSteer, fileName: controls.fileName,
                             embedded: embed.embedded});
  const player = vornPlayerControls({currentRun: () => current, sayHowToSteer});
  let nextPlay = runs.fromAddress();  // the run the next start plays, if any

  window.vorn = {
    get state() { return current ? current.state : "loading"; },
    get exitCode() { return current ? current.exitCode : null; },
    get reason() { return current ? current.reason : ""; },
    get frames() { return current && current.module.vornFramesShown ? current.module.vornFramesShown : 0; },
    get runs() { return runCount; },
    get paused() { return Boolean(current && current.paused); },
    // While a run plays back: {frame, frames, speed, busy}, the frame shown
    // (or a seek's, while busy); null otherwise.
    get player() { return current && current.player ? {...current.player} : null; },
    // The file the page last offered for download: {name, blob}.
    get lastSaved() { return controls.lastSaved; },
    // When the first run showed its first frame, in ms from navigation.
    get firstFrameAt() { return firstRun && firstRun.module.vornFirstFrameAt || null; },
  };

  function say(text) {
    statusLine.textContent = text;
  }

  const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

  // vorn_program.js's promise, once that async script has run.
  function compiledProgram() {
    if (window.vornProgram) return window.vornProgram;
    const script = document.querySelector('script[src="vorn_program.js"]');
    return new Promise((resolve, reject) => {
      script.addEventListener("load", () => resolve(window.vornProgram));
      script.addEventListener("error", () => reject(new Error("vorn_program.js could not be loaded")));
    });
  }

  // The first run's is the one the page preloads; later runs ask the server
  // again ("no-cache" revalidates), so that a ROCK8.BMP replaced there is
  // the next run's. {bytes}, or {note} on failure.
  async function fetchSitePicture(cache = "default") {
    try {
      const response = await fetch("ROCK8.BMP", {cache});
      if (response.ok) return {bytes: new Uint8Array(await response.arrayBuffer())};
      return {note: `the site has no ROCK8.BMP: HTTP ${response.status}`};
    } catch (error) {
      return {note: `ROCK8.BMP could not be fetched: ${error.message}`};
    }
  }

  function sayHowToSteer() {
    if (!current || current.state !== "running" || current.stopping) return;
    if (current.replay) return say(player.statusText(current));
    if (current.paused) return say(controls.pausedText);
    const ways = [];
    if (inputs.touch) ways.push("the on-screen arrows steer; Quit ends the run");
    if (inputs.keys || ways.length === 0) ways.push("the arrow keys steer; Escape or Space quits");
    if (inputs.pad) ways.push("a gamepad's D-pad or left stick steers; Start or B quits");
    say(`Running: ${ways.join("; ")}.`);
  }

  function touchKey(key, held) {
    if (current && current.state === "running") current.module._vorn_web_touch_key(key, held ? 1 : 0);
  }

  // The screen stays on while a run goes on in sight; the browser lets go
  // of the lock by itself when the page is hidden.
  async function keepScreenOn() {
    const wanted = current && current.state === "running" && document.visibilityState === "visible";
    if (!wanted && wakeLock) {
      const lock = wakeLock;
      wakeLock = null;
      lock.release().catch(() => {});
    }
    if (!wanted || wakeLock || askingWakeLock || !navigator.wakeLock) return;
    askingWakeLock = true;
    try {
      wakeLock = await navigator.wakeLock.request("screen");
      wakeLock.addEventListener("release", () => { wakeLock = null; });
    } catch (error) {
      // Refused (no permission, battery saver): the screen may dim.
    } finally {
      askingWakeLock = false;
    }
    keepScreenOn();  // the run may have ended meanwhile
  }

  // The picture in the stage, less the touch controls' room where they show.
  function fit() {
    let box = {width: stage.clientWidth, height: stage.clientHeight};
    if (touch.shown) box = touch.place(box, (room) => scaler.measure(room));
    scaler.place(box);
  }

  // The offline copy: the service worker keeps the whole site. Asked for
  // once the first frame is shown (or a run ended without one), so that it
  // never competes with the first frame.
  function keepOfflineCopy() {
    if (offlineAsked || embed.embedded || !("serviceWorker" in navigator)) return;
    offlineAsked = true;
    navigator.serviceWorker.register("service_worker.js")
      .catch((error) => console.warn(`Vorn: no offline copy (${error.message})`));
  }

  function finish(run, exitCode, failure) {
    if (run.state === "ended") return;
    run.state = "ended";
    run.exitCode = exitCode;
    run.resolveEnded();
    keepScreenOn();
    keepOfflineCopy();
    if (current === run) {
      controls.ended();
      player.ended();
    }
    if (current !== run || run.stopping) return;
    againButton.hidden = false;
    if (run.play && (run.refused || run.play.refused)) {
      say(runs.refusedText(run));
      return;
    }
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

  const notLoaded = (error) => `the program could not be loaded (${error && error.message ? error.message : error})`;

  // Hands the compiled program to a run's module, as its instance.
  function instantiate(run, imports, receive) {
    program.then((compiled) => WebAssembly.instantiate(compiled, imports))
      .then((instance) => receive(instance))
      .catch((error) => finish(run, null, notLoaded(error)));
    return {};
  }

  async function start() {
    const run = {state: "starting", exitCode: null, reason: "", note: "", picture, play: nextPlay, stopping: false};
    nextPlay = null;
    run.ended = new Promise((resolve) => { run.resolveEnded = resolve; });
    run.module = {
      canvas,
      instantiateWasm: (imports, receive) => instantiate(run, imports, receive),
      onRuntimeInitialized: () => {
        if (current !== run || run.state !== "starting") return;
        run.state = "running";
      },
      // What the page does for a running demo waits until its first frame
      // is on its way to the screen, so that none of it holds that frame up.
      onVornFirstFrame: () => setTimeout(() => {
        sayHowToSteer();
        keepScreenOn();
        controls.refresh();
        keepOfflineCopy();
      }),
      onVornText: (line) => { if (!run.reason) run.reason = line; },
      onVornExit: (exitCode) => finish(run, exitCode),
      onAbort: (what) => finish(run, null, String(what)),
    };
    Object.assign(run.module, controls.hooks(run), runs.hooks(run), player.hooks(run));
    player.ended();
    const frameShown = run.module.onVornFrame;
    run.module.onVornFrame = () => {
      scaler.draw(run.module.vornScreen.image);
      frameShown();
    };
    current = run;
    if (!firstRun) firstRun = run;
    runCount += 1;
    againButton.hidden = true;
    controls.refresh();
    if (run.play && run.play.refused) {
      finish(run, 2);
      return;
    }
    say(picture ? `Starting with your picture “${picture.name}”…` : "Starting…");
    if (picture) {
      run.bytes = picture.bytes;
    } else {
      const fetched = await (sitePicture || fetchSitePicture("no-cache"));
      sitePicture = null;
      run.bytes = fetched.bytes;
      run.note = fetched.note || "";
    }
    run.module.vornFiles = run.bytes ? {"/vorn/ROCK8.BMP": run.bytes} : {};
    await scriptsRun;
    if (current !== run) return;
    try {
      await createVorn(run.module);
    } catch (error) {
      finish(run, null, notLoaded(error));
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
    const played = await runs.fromFile(file);
    if (played) {
      nextPlay = played;
      await restart();
      return;
    }
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

  function followGamepads() {
    inputs.pad = [...(navigator.getGamepads ? navigator.getGamepads() : [])].some((pad) => pad && pad.connected);
    sayHowToSteer();
  }

  againButton.addEventListener("click", () => { restart(); });
  pictureInput.addEventListener("change", () => { choosePicture(); });
  fullscreenButton.hidden = !document.fullscreenEnabled;
  fullscreenButton.addEventListener("click", toggleFullscreen);
  document.addEventListener("fullscreenchange", () => {
    fullscreenButton.textContent = document.fullscreenElement ? "Leave full screen" : "Full screen";
  });
  window.addEventListener("keydown", () => {
    if (inputs.keys) return;
    inputs.keys = true;
    sayHowToSteer();
  });
  window.addEventListener("hashchange", () => {
    nextPlay = runs.fromAddress();
    if (nextPlay && embed.started) restart();
  });
  window.addEventListener("gamepadconnected", followGamepads);
  window.addEventListener("gamepaddisconnected", followGamepads);
  document.addEventListener("visibilitychange", keepScreenOn);
  new ResizeObserver(fit).observe(stage);
  fit();
  embed.begin(start, Boolean(nextPlay && nextPlay.refused));

})();
