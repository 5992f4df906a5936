// The picture on the page, drawn in device pixels from the frame canvas
// (#screen, 640 x 480, which stays as the program leaves it and is shown
// only until a worker has painted the picture): a second canvas after it, #view, the largest 4:3 box of the room
// it is given, sharp at any size and exact at a whole multiple; with
// integer scaling whole multiples only, black around it. It is painted
// (picture_painter.js) in a worker where a worker has WebGL, so that the
// page's thread only copies each frame's pixels; else with WebGL on the
// page's thread, else in a worker with its 2D context, else with the
// page's own.
"use strict";

// The painters' script, beside this one; also the worker's.
const VORN_PAINTER_SCRIPT = new URL("picture_painter.js", document.currentScript.src).href;

// Called by the scaler with the room in device pixels: the picture's size
// there {width, height} and the multiple it is enlarged by first. The same
// arithmetic as the desktop's picture_fit.cpp (the 2D painter bounds the
// multiple itself).
// eslint-disable-next-line no-unused-vars
function vornPictureFit(roomWidth, roomHeight, {integer = false, frameWidth = 640, frameHeight = 480} = {}) {
  if (!(roomWidth > 0 && roomHeight > 0)) return {width: 0, height: 0, multiple: 1};
  const whole = Math.min(Math.floor(roomWidth / frameWidth), Math.floor(roomHeight / frameHeight));
  if (integer && whole >= 1) return {width: whole * frameWidth, height: whole * frameHeight, multiple: whole};
  const box = roomWidth * frameHeight <= roomHeight * frameWidth
    ? {width: roomWidth, height: Math.floor(roomWidth * frameHeight / frameWidth)}
    : {width: Math.floor(roomHeight * frameWidth / frameHeight), height: roomHeight};
  return {...box, multiple: Math.max(Math.ceil(box.width / frameWidth), Math.ceil(box.height / frameHeight), 1)};
}

// Called once by the page with the frame canvas and the integer scaling
// choice. Returns the scaler: measure(box), place(box), draw(image) and the
// integer choice, which can be changed at any time.
// eslint-disable-next-line no-unused-vars
function vornPictureScaler({frame, integer = false}) {
  let picture = vornPictureCanvas(frame);
  let painter = null;
  let fit = {width: 0, height: 0, multiple: 1};
  let placed = null;  // {box} of the last place()
  let sizes = null;   // the ResizeObserver that tells the picture's device pixels
  // A canvas in place of the picture's, for a painter that cannot have it
  // (a worker's, or one WebGL was tried on).
  const renew = () => {
    const old = picture;
    picture = vornPictureCanvas(frame, old);
    old.remove();
    if (sizes) {
      sizes.unobserve(old);
      sizes.observe(picture, {box: "device-pixel-content-box"});
    }
  };
  // A worker that fails (its script refused or gone) gives way to painting
  // here.
  const paintHere = () => {
    renew();
    painter = vornPagePainter(picture, frame);
    painter.place(fit);
    frame.style.visibility = "hidden";
  };
  // In a worker where a worker has WebGL; else with WebGL here, where the
  // page has it: a worker's 2D picture is drawn by the processor, and
  // WebKit, whose workers have no WebGL, still repaints it on the page's
  // thread. Else in a worker with its 2D context, else here.
  if (vornOffscreenWebGl()) painter = vornWorkerPainter(picture, paintHere, () => vornUncover(frame));
  if (!painter) painter = vornPagePainter(picture, frame, true);
  if (!painter) {
    renew();
    painter = vornWorkerPainter(picture, paintHere, () => vornUncover(frame)) || vornPagePainter(picture, frame);
  }
  // Until a worker has painted its first frame, the frame canvas under
  // the picture shows the frames (nearest neighbour), so that the first
  // one is not held up by the worker's start.
  if (painter.inWorker) frame.style.visibility = "visible";

  const fitIn = (box, ratio) => vornPictureFit(Math.floor(box.width * ratio), Math.floor(box.height * ratio),
                                               {integer, frameWidth: frame.width, frameHeight: frame.height});

  try {
    sizes = new ResizeObserver((entries) => {
      // The device pixels the browser actually gives the picture, where it
      // says, win over the ones asked for.
      const box = entries[0].devicePixelContentBoxSize && entries[0].devicePixelContentBoxSize[0];
      if (box && Math.abs(box.inlineSize - fit.width) <= 2 && Math.abs(box.blockSize - fit.height) <= 2 &&
          (box.inlineSize !== fit.width || box.blockSize !== fit.height)) {
        fit = {...fit, width: box.inlineSize, height: box.blockSize};
        painter.place(fit);
      }
    });
    sizes.observe(picture, {box: "device-pixel-content-box"});
  } catch (error) {
    sizes = null;  // WebKit does not tell device pixels: the ones asked for stand.
  }
  // A new device pixel ratio (another screen, a zoom) places the picture
  // anew in its box, as the stage's CSS size may not change with it.
  const watchRatio = () => window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`)
    .addEventListener("change", () => {
      if (placed) scaler.place(placed.box);
      watchRatio();
    }, {once: true});
  watchRatio();

  const scaler = {
    // The picture's size in CSS pixels in a box {width, height} of CSS
    // pixels (for the touch controls, which take their room around it).
    measure(box, ratio = window.devicePixelRatio || 1) {
      const {width, height} = fitIn(box, ratio);
      return {width: width / ratio, height: height / ratio};
    },

    // Called by the page's fit with the box the picture goes in (CSS
    // pixels, from the stage's top left corner): centred there on whole
    // device pixels. The frame canvas is laid under it, at its place and
    // size, for whoever asks where the picture is.
    place(box, ratio = window.devicePixelRatio || 1) {
      placed = {box};
      fit = fitIn(box, ratio);
      for (const canvas of [frame, picture]) {
        canvas.style.width = `${fit.width / ratio}px`;
        canvas.style.height = `${fit.height / ratio}px`;
        canvas.style.left = `${Math.floor((box.width * ratio - fit.width) / 2) / ratio}px`;
        canvas.style.top = `${Math.floor((box.height * ratio - fit.height) / 2) / ratio}px`;
      }
      picture.style.visibility = "visible";
      painter.place(fit);
    },

    // Called by the page at every frame the program shows, with its
    // ImageData (a view on the program's memory, valid for this call only).
    draw(image) { painter.show(image); },

    get integer() { return integer; },
    set integer(value) {
      integer = Boolean(value);
      if (placed) this.place(placed.box);
    },
  };
  return scaler;
}

// The picture's canvas, put after the frame canvas, or in place of an old
// one whose place and size it takes.
function vornPictureCanvas(frame, old = null) {
  const picture = document.createElement("canvas");
  picture.id = "view";
  picture.setAttribute("aria-label", "The demo's picture");
  if (old) picture.style.cssText = old.style.cssText;
  else Object.assign(picture.style, {position: "absolute", left: "0", top: "0", visibility: "hidden",
                                     imageRendering: "pixelated"});
  (old || frame).after(picture);
  return picture;
}

// Called once a worker's picture shows (its canvas lies over the frame
// canvas): the frame canvas is hidden again two animation frames later,
// when the worker's first frame has surely reached the screen.
function vornUncover(frame) {
  requestAnimationFrame(() => requestAnimationFrame(() => { frame.style.visibility = "hidden"; }));
}

// Whether an OffscreenCanvas has WebGL here, as it has in a worker (a
// WebKit without WebGL in workers gives it to no OffscreenCanvas).
function vornOffscreenWebGl() {
  try {
    const gl = new OffscreenCanvas(1, 1).getContext("webgl");
    const lose = gl && gl.getExtension("WEBGL_lose_context");
    if (lose) lose.loseContext();
    return Boolean(gl);
  } catch (error) {
    return false;
  }
}

// Painting in a worker, which is handed the picture's canvas: each frame's
// pixels are copied into a buffer sent to it; while it still paints one,
// only the newest frame waits (in the same buffer). Buffers come back to be
// filled again, so that after the first frames none is made. The worker is
// started with the first frame, so that its start holds up no frame (the
// frame canvas shows them meanwhile). Null where the browser has no
// OffscreenCanvas or no worker for it; failed() is called should the
// worker fail, painted() once it has painted its first frame.
function vornWorkerPainter(picture, failed, painted) {
  if (typeof Worker !== "function" || typeof picture.transferControlToOffscreen !== "function") return null;
  let worker = null;
  let fit = null;
  const spare = [];
  let painting = false;  // a frame sent that the worker has not answered
  let waiting = null;    // the newest frame, {buffer, width, height}, once the worker answers
  let first = true;
  const send = () => {
    worker.postMessage(waiting, [waiting.buffer]);
    waiting = null;
    painting = true;
  };
  const fail = (why) => {
    if (worker) worker.terminate();
    console.warn(`Vorn: the picture is painted on the page's thread (${why})`);
    failed();
  };
  const start = () => {
    try {
      worker = new Worker(VORN_PAINTER_SCRIPT);
      const canvas = picture.transferControlToOffscreen();
      worker.postMessage({canvas, fit}, [canvas]);
    } catch (error) {
      fail(error.message);
      return false;
    }
    worker.addEventListener("message", ({data}) => {
      if (data.painter) picture.dataset.painter = data.painter;
      if (data.buffer) spare.push(data.buffer);
      if (!data.drawn) return;
      if (first) painted();
      first = false;
      painting = false;
      if (waiting) send();
    });
    worker.addEventListener("error", (event) => {
      event.preventDefault();
      fail(event.message || "its worker failed");
    });
    return true;
  };
  return {
    inWorker: true,
    place(next) {
      fit = next;
      if (worker) worker.postMessage({fit});
    },
    show(image) {
      if (!worker && !start()) return;
      let buffer = waiting ? waiting.buffer : spare.pop();
      while (buffer && buffer.byteLength !== image.data.length) buffer = spare.pop();  // a new frame size
      if (!buffer) buffer = new ArrayBuffer(image.data.length);
      new Uint8ClampedArray(buffer).set(image.data);
      waiting = {buffer, width: image.width, height: image.height};
      if (!painting) send();
    },
  };
}

// Painting on the page's thread: WebGL, else (unless webGlOnly) the 2D
// context, from the frame canvas. Null when neither is to be had.
function vornPagePainter(picture, frame, webGlOnly = false) {
  let painter = vornWebGlPainter(picture) || (webGlOnly ? null : vornCanvasPainter(picture, frame));
  if (!painter) return null;
  let fit = {width: 0, height: 0, multiple: 1};
  const draw = () => {
    if (picture.width > 0 && picture.height > 0) painter.draw(fit);
  };
  // The frame canvas's pixels are read for a picture made once frames have
  // come (a worker failed) or after a lost context; then the frames' own
  // pixels come.
  const takeFrameCanvas = () => painter.take(frame.getContext("2d").getImageData(0, 0, frame.width, frame.height));
  takeFrameCanvas();
  picture.addEventListener("webglcontextlost", (event) => event.preventDefault());
  picture.addEventListener("webglcontextrestored", () => {
    painter = vornWebGlPainter(picture) || painter;
    takeFrameCanvas();
    picture.dataset.painter = painter.kind;
    draw();
  });
  picture.dataset.painter = painter.kind;
  return {
    place(next) {
      fit = next;
      if (picture.width !== fit.width) picture.width = fit.width;
      if (picture.height !== fit.height) picture.height = fit.height;
      draw();
    },
    show(image) {
      painter.take(image);
      draw();
    },
  };
}

// Called once by the page: the "Integer scaling" checkbox in the bar, and
// its key I, switch the scaler's choice. With keep the choice is read from
// localStorage now and written there at each change, where the browser
// allows (a framed page may have no storage, and reading it may throw).
// eslint-disable-next-line no-unused-vars
function vornIntegerScalingControl(scaler, {keep = true} = {}) {
  const KEY = "vorn.integerScaling";
  const box = document.getElementById("integer-scaling");
  const storage = () => {
    try {
      return keep ? window.localStorage : null;
    } catch (error) {
      return null;
    }
  };
  try {
    if (storage()) scaler.integer = storage().getItem(KEY) === "on";
  } catch (error) {
    // Unreadable: the default stays.
  }
  const choose = (integer) => {
    scaler.integer = integer;
    if (box) box.checked = integer;
    try {
      if (storage()) storage().setItem(KEY, integer ? "on" : "off");
    } catch (error) {
      // Full or refused: the choice holds for this visit.
    }
  };
  if (box) {
    box.checked = scaler.integer;
    box.addEventListener("change", () => choose(box.checked));
  }
  window.addEventListener("keydown", (event) => {
    if ((event.key !== "i" && event.key !== "I") || event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.target instanceof HTMLInputElement && event.target.type === "text") return;
    event.preventDefault();
    choose(!scaler.integer);
  });
}
