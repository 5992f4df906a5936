// The player's controls in the page, shown only while a run plays back
// (a run link or a run file): the timeline (a range input labelled
// Position, whose value is the frame shown), steps, the speed, Restart and
// Take over, and the player's keys. The program's player does the work
// (platform/host_parts/run_player.h): the page hands it keys and seeks,
// and hears the position after each frame shown (hooks). Once the user
// takes over, the controls go and the run is a live one.
"use strict";

// eslint-disable-next-line no-unused-vars
function vornPlayerControls({currentRun, sayHowToSteer}) {
  const SPEEDS = ["¼×", "½×", "1×", "2×", "4×", "as fast as can be"];
  const FRAMES_PER_SECOND = 30;
  const SKIP_FRAMES = 10 * FRAMES_PER_SECOND;  // J, L, Page Up and Page Down
  // RunPlayerKey's codes for the keys that type no character.
  const KEY_HOME = 1;
  const KEY_END = 2;
  // While a run plays on, the status line names the position this often;
  // the readout beside the timeline follows every frame.
  const STATUS_EVERY_MS = 1000;

  const panel = document.getElementById("player");
  const make = (tag, properties, text) => Object.assign(document.createElement(tag), properties, text ? {textContent: text} : {});
  const restartButton = make("button", {type: "button", title: "Play from the first frame"}, "Restart");
  const backButton = make("button", {type: "button", title: "A frame back (,)"}, "◀ Step");
  const position = make("input", {type: "range", id: "position", min: 1, max: 1, step: 1, value: 1});
  const timeline = make("label", {id: "timeline"}, "Position ");
  const forwardButton = make("button", {type: "button", title: "A frame forward (.)"}, "Step ▶");
  const readout = make("span", {id: "position-text"});
  const slowerButton = make("button", {type: "button", title: "Slower (<)"}, "Slower");
  const speedText = make("span", {id: "speed"}, "1×");
  const fasterButton = make("button", {type: "button", title: "Faster (>)"}, "Faster");
  const takeOverButton = make("button", {type: "button", id: "take-over",
                                         title: "Take over: your keys steer from the frame shown on (T)"}, "Take over");
  timeline.append(position);
  backButton.setAttribute("aria-label", "Step back");
  forwardButton.setAttribute("aria-label", "Step forward");
  panel.append(restartButton, backButton, timeline, forwardButton, readout, slowerButton, speedText, fasterButton,
               takeOverButton);

  let dragging = false;  // the timeline's thumb is held: it is not moved under the finger
  let statusAt = 0;

  const clock = (frames) => {
    const seconds = Math.floor(frames / FRAMES_PER_SECOND);
    const two = (n) => String(n).padStart(2, "0");
    return seconds >= 3600 ? `${Math.floor(seconds / 3600)}:${two(Math.floor(seconds / 60) % 60)}:${two(seconds % 60)}`
                           : `${Math.floor(seconds / 60)}:${two(seconds % 60)}`;
  };
  const place = ({frame, frames}) => `${clock(Math.max(frame, 1) - 1)} of ${clock(frames)}`;

  // The run whose replay the controls work, or null.
  function playing() {
    const run = currentRun();
    return run && run.state === "running" && !run.stopping && run.replay && run.player ? run : null;
  }

  function key(code) {
    const run = playing();
    if (run) run.module._vorn_web_player_key(code);
  }

  function seek(frame) {
    const run = playing();
    if (run) run.module._vorn_web_player_seek(frame);
  }

  function show(run) {
    const {frame, frames, speed, busy} = run.player;
    panel.hidden = false;
    position.max = frames;
    if (!dragging) position.value = frame;
    position.setAttribute("aria-valuetext", `frame ${frame} of ${frames}`);
    readout.textContent = `${busy ? "going to " : ""}frame ${frame} of ${frames} · ${place(run.player)}`;
    speedText.textContent = SPEEDS[speed] || "";
    slowerButton.disabled = speed === 0;
    fasterButton.disabled = speed === SPEEDS.length - 1;
  }

  // The player's keys, by the character they type (so '<' and '>' are
  // wherever a layout puts them), digits by their place (the top row types
  // other characters on some layouts) and Home and End.
  window.addEventListener("keydown", (event) => {
    if (!playing() || event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.target instanceof HTMLInputElement && event.target !== position && event.target.type !== "file") return;
    let code = null;
    if (/^(Digit|Numpad)[0-9]$/.test(event.code)) code = event.code.charCodeAt(event.code.length - 1);
    else if (event.key === "Home" || event.key === "End") code = event.key === "Home" ? KEY_HOME : KEY_END;
    else if (event.key.length === 1 && ".,<>jJlLtT".includes(event.key)) code = event.key.charCodeAt(0);
    if (code === null) return;
    event.preventDefault();
    key(code);
  });

  // The timeline by keyboard: the program takes the arrows before the
  // input sees them, so its steps are made here.
  position.addEventListener("keydown", (event) => {
    const steps = {ArrowLeft: -1, ArrowDown: -1, ArrowRight: 1, ArrowUp: 1, PageDown: -SKIP_FRAMES, PageUp: SKIP_FRAMES};
    if (!(event.key in steps)) return;
    event.preventDefault();
    seek(Number(position.value) + steps[event.key]);
  });
  position.addEventListener("input", () => seek(Number(position.value)));
  position.addEventListener("pointerdown", () => { dragging = true; });
  for (const type of ["pointerup", "pointercancel", "change"])
    position.addEventListener(type, () => { dragging = false; });
  backButton.addEventListener("click", () => key(",".charCodeAt(0)));
  forwardButton.addEventListener("click", () => key(".".charCodeAt(0)));
  slowerButton.addEventListener("click", () => key("<".charCodeAt(0)));
  fasterButton.addEventListener("click", () => key(">".charCodeAt(0)));
  takeOverButton.addEventListener("click", () => key("t".charCodeAt(0)));
  restartButton.addEventListener("click", () => {
    const run = playing();
    if (!run) return;
    seek(1);
    if (run.paused) run.module._vorn_web_toggle_pause();
  });

  return {
    // The module's hooks for a run: the position after each frame a replay
    // shows and each control worked; frames 0 once the user took over.
    hooks(run) {
      return {
        onVornPlayer: (frame, frames, speed, busy) => {
          if (frames === 0) {
            run.replay = null;
            run.player = null;
            if (run === currentRun()) panel.hidden = true;
            sayHowToSteer();
            return;
          }
          const changed = !run.player || run.player.busy !== busy || run.player.speed !== speed;
          run.player = {frame, frames, speed, busy};
          if (run !== currentRun()) return;
          show(run);
          if (changed || run.paused || performance.now() - statusAt >= STATUS_EVERY_MS) sayHowToSteer();
        },
      };
    },

    // What the status line says while a run plays back.
    statusText(run) {
      const picture = run.replay.samePicture ? "" : " It was made with another picture: the motion is the same, the rocks differ.";
      if (!run.player) return `Playing a run of ${run.replay.frames} frames: keys steer nothing; Escape or Space ends it.${picture}`;
      statusAt = performance.now();
      const {frame, frames, speed, busy} = run.player;
      if (busy) return `Going to frame ${frame} of ${frames}…`;
      if (run.paused)
        return `Paused at frame ${frame} of ${frames} (${place(run.player)}): P goes on; the , and . keys step a frame; T takes over.${picture}`;
      return `Playing a run of ${frames} frames: frame ${frame} (${place(run.player)}) at ${SPEEDS[speed]}; ` +
             `keys steer nothing, T takes over, Escape or Space ends it.${picture}`;
    },

    // Called when a run ends or another starts: the controls go.
    ended() {
      panel.hidden = true;
      dragging = false;
    },
  };
}
