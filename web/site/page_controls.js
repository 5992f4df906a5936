// The page's own controls beside the picture: Pause (P or the Pause key),
// Screenshot (F12: the frame's own pixels as a PNG) and Record (R: a clip
// of the canvas as WebM, where the browser can make one; the control is
// not shown elsewhere). The run's module tells them when a frame is shown
// and when the run pauses or goes on (hooks); save and fileName put a file
// in the user's downloads, for the page's other parts too.
"use strict";

// eslint-disable-next-line no-unused-vars
function vornPageControls({canvas, currentRun, say, sayHowToSteer}) {
  // Enough for the stars to stay sharp at 640 x 480.
  const CLIP_BITS_PER_SECOND = 6000000;
  const PAUSED_TEXT = "Paused. P, the Paused button or a gamepad's Back goes on.";

  const pauseButton = document.getElementById("pause");
  const shotButton = document.getElementById("shot");
  const clipButton = document.getElementById("clip");
  const clipType = window.MediaRecorder && canvas.captureStream
    ? ["video/webm;codecs=vp9", "video/webm;codecs=vp8", "video/webm"].find((type) => MediaRecorder.isTypeSupported(type))
    : undefined;
  let clip = null;  // {recorder, track, requestFrame} while recording
  let lastSaved = null;

  // Kept in its place, so that the bar does not move.
  if (!clipType) clipButton.style.visibility = "hidden";

  // vorn-YYYYMMDD-HHMMSS.extension, in local time.
  function fileName(extension, when = new Date()) {
    const two = (n) => String(n).padStart(2, "0");
    const day = `${when.getFullYear()}${two(when.getMonth() + 1)}${two(when.getDate())}`;
    return `vorn-${day}-${two(when.getHours())}${two(when.getMinutes())}${two(when.getSeconds())}.${extension}`;
  }

  // Hands the browser a file to download.
  function save(blob, name) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    lastSaved = {name, blob};
  }

  const running = (run) => Boolean(run) && run.state === "running" && !run.stopping;

  function showPaused(paused) {
    pauseButton.textContent = paused ? "Paused" : "Pause";
    pauseButton.title = paused ? "Paused: go on (P)" : "Pause (P)";
    pauseButton.setAttribute("aria-pressed", String(paused));
  }

  function togglePause() {
    const run = currentRun();
    if (running(run) && run.module._vorn_web_toggle_pause) run.module._vorn_web_toggle_pause();
  }

  function screenshot() {
    if (!(window.vorn.frames > 0)) return;
    const name = fileName("png");
    canvas.toBlob((blob) => {
      if (blob) save(blob, name);
      else say("The screenshot could not be made.");
    }, "image/png");
  }

  function showClip() {
    clipButton.textContent = clip ? "Stop recording" : "Record";
    clipButton.setAttribute("aria-pressed", String(Boolean(clip)));
  }

  // Frames come only when the demo shows one (requestFrame at every
  // present), so the clip has the demo's pace and nothing else. Firefox
  // asks the stream for a frame, other browsers its track.
  function startClip() {
    const run = currentRun();
    if (!clipType || clip || !running(run)) return;
    try {
      const stream = canvas.captureStream(0);
      const track = stream.getVideoTracks()[0];
      const recorder = new MediaRecorder(stream, {mimeType: clipType, videoBitsPerSecond: CLIP_BITS_PER_SECOND});
      const chunks = [];
      const name = fileName("webm");
      recorder.addEventListener("dataavailable", (event) => { if (event.data.size > 0) chunks.push(event.data); });
      recorder.addEventListener("stop", () => {
        track.stop();
        if (chunks.length > 0) save(new Blob(chunks, {type: "video/webm"}), name);
      });
      recorder.addEventListener("error", () => stopClip());
      const requestFrame = track.requestFrame ? () => track.requestFrame() : () => stream.requestFrame();
      recorder.start();
      requestFrame();
      if (run.paused) recorder.pause();
      clip = {recorder, track, requestFrame};
    } catch (error) {
      say(`The clip could not be started: ${error.message}`);
    }
    showClip();
  }

  function stopClip() {
    if (!clip) return;
    const {recorder} = clip;
    clip = null;
    if (recorder.state !== "inactive") recorder.stop();
    showClip();
  }

  const toggleClip = () => (clip ? stopClip() : startClip());

  // What each control's key does, by KeyboardEvent.key.
  const shortcuts = {p: togglePause, P: togglePause, Pause: togglePause, F12: screenshot, r: toggleClip, R: toggleClip};

  window.addEventListener("keydown", (event) => {
    const action = shortcuts[event.key];
    if (!action || event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.target instanceof HTMLInputElement && !["file", "range"].includes(event.target.type)) return;
    event.preventDefault();
    action();
  });
  pauseButton.addEventListener("click", togglePause);
  shotButton.addEventListener("click", screenshot);
  clipButton.addEventListener("click", toggleClip);
  document.addEventListener("visibilitychange", () => { if (document.hidden) stopClip(); });

  function refresh() {
    const run = currentRun();
    pauseButton.disabled = !running(run);
    clipButton.disabled = !clipType || !running(run);
    shotButton.disabled = !(window.vorn.frames > 0);
    if (!run || !run.paused) showPaused(false);
  }

  return {
    fileName,
    save,
    refresh,
    pausedText: PAUSED_TEXT,
    get lastSaved() { return lastSaved; },

    // The module's hooks for a run: its pauses and the frames it shows.
    hooks(run) {
      return {
        onVornPause: (paused) => {
          run.paused = paused;
          if (run !== currentRun()) return;
          showPaused(paused);
          if (clip && paused && clip.recorder.state === "recording") clip.recorder.pause();
          if (clip && !paused && clip.recorder.state === "paused") clip.recorder.resume();
          sayHowToSteer();
        },
        onVornFrame: () => {
          if (clip && run === currentRun()) clip.requestFrame();
          if (run.module.vornFramesShown === 1) refresh();
        },
      };
    },

    // Called when a run ends: a clip ends with it.
    ended() {
      stopClip();
      refresh();
    },
  };
}
