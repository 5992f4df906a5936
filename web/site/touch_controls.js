// The on-screen controls for touch screens: Left, Right, Up and Down as a
// cross, and Quit. They are shown when the primary pointer is coarse, or
// from the first touch. A control is held while a finger (or a pressed
// mouse button) is on it, several at once; a finger that slides off lets
// go, one that slides onto another control holds that one. The page places
// them (place) and hears every change (onKey: virtual key, held).
"use strict";

// eslint-disable-next-line no-unused-vars
function vornTouchControls(onKey, onShown) {
  // Each control is at least this many CSS pixels a side, at most the
  // second; GAP keeps them off the picture and the stage's edges.
  const SMALLEST = 48;
  const LARGEST = 64;
  const GAP = 12;

  const panel = document.getElementById("controls");
  const controls = [...panel.querySelectorAll("[data-key]")];
  const byKey = Object.fromEntries(controls.map((control) => [control.dataset.key, control]));
  const fingers = new Map();  // pointerId -> the control under it, or null
  const held = new Set();

  function show() {
    if (!panel.hidden) return;
    panel.hidden = false;
    onShown();
  }

  function controlAt(event) {
    const element = document.elementFromPoint(event.clientX, event.clientY);
    return element && panel.contains(element) ? element.closest("[data-key]") : null;
  }

  // Tells the page of every control whose state the fingers changed.
  function settle() {
    const touched = new Set(fingers.values());
    for (const control of controls) {
      const on = touched.has(control);
      if (on === held.has(control)) continue;
      if (on) held.add(control);
      else held.delete(control);
      control.classList.toggle("held", on);
      onKey(Number(control.dataset.key), on);
    }
  }

  function letGoAll() {
    fingers.clear();
    settle();
  }

  window.addEventListener("pointerdown", (event) => {
    if (event.pointerType === "touch") show();
    if (panel.hidden) return;
    const control = controlAt(event);
    fingers.set(event.pointerId, control);
    if (control) event.preventDefault();  // no focus, selection or emulated mouse
    settle();
  });
  window.addEventListener("pointermove", (event) => {
    if (!fingers.has(event.pointerId)) return;
    fingers.set(event.pointerId, controlAt(event));
    settle();
  });
  for (const type of ["pointerup", "pointercancel"])
    window.addEventListener(type, (event) => {
      if (fingers.delete(event.pointerId)) settle();
    });
  window.addEventListener("blur", letGoAll);
  document.addEventListener("visibilitychange", () => { if (document.hidden) letGoAll(); });
  // A long press on the controls or the picture opens no menu while they show.
  panel.parentElement.addEventListener("contextmenu", (event) => { if (!panel.hidden) event.preventDefault(); });

  const coarse = window.matchMedia("(pointer: coarse)");
  panel.hidden = !coarse.matches;  // the page asks at once whether they show
  coarse.addEventListener("change", () => { if (coarse.matches) show(); });

  // Puts a control's square at (x, y), size a side, in the stage.
  function put(key, x, y, size) {
    const style = byKey[key].style;
    style.left = `${x}px`;
    style.top = `${y}px`;
    style.width = style.height = `${size}px`;
  }

  // The cross with its top-left corner at (x, y), and Quit.
  function lay(x, y, quitX, quitY, cell) {
    put(38, x + cell, y, cell);
    put(37, x, y + cell, cell);
    put(39, x + 2 * cell, y + cell, cell);
    put(40, x + cell, y + 2 * cell, cell);
    put(27, quitX, quitY, cell);
  }

  // The side of a control when the cross has room across this length.
  const cellFor = (room) => Math.min(LARGEST, Math.floor((room - 2 * GAP) / 3));

  return {
    get shown() { return !panel.hidden; },

    // Called by the page's fit with the stage's box {width, height} and
    // measure(box), the size the picture takes in a box. The controls go
    // in the room below the picture when that is the larger, else in the
    // black at its sides; where neither is room enough they lie over the
    // lower corners, translucent. Returns the box left for the picture.
    place(box, measure) {
      const picture = measure(box);
      const below = box.height - picture.height;
      const side = (box.width - picture.width) / 2;
      const over = cellFor(Math.max(below, side)) < SMALLEST;
      panel.classList.toggle("over", over);
      if (over) {
        const y = box.height - 3 * SMALLEST - GAP;
        lay(GAP, y, box.width - SMALLEST - GAP, box.height - SMALLEST - GAP, SMALLEST);
        return box;
      }
      if (below >= side) {
        const cell = cellFor(below);
        const band = 3 * cell + 2 * GAP;
        const y = box.height - band + GAP;
        lay(GAP, y, box.width - cell - GAP, y + cell, cell);
        return {width: box.width, height: box.height - band};
      }
      const cell = cellFor(side);
      const y = (box.height - 3 * cell) / 2;
      lay((side - 3 * cell) / 2, y, box.width - (side + cell) / 2, y + cell, cell);
      return box;
    },
  };
}
