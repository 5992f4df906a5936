// The picture on the page, drawn in device pixels from the frame canvas
// (#screen, 640 x 480, which stays as the program leaves it and is never
// shown): a second canvas after it, the largest 4:3 box of the room it is
// given. By default the frame is enlarged by the smallest whole multiple
// that covers the box (nearest neighbour) and filtered down to the box
// (bilinear, at pixel centres), so that it is sharp at any size and exact
// at a whole multiple; with integer scaling it is drawn by whole multiples
// only, black around it. WebGL does this in one pass; where the browser has
// no WebGL, two drawImage calls through an enlarged canvas do.
"use strict";

// The enlarged picture is never larger than this many pixels, nor than the
// largest texture; past that, the largest multiple under the bound.
const VORN_SCALE_PIXEL_BUDGET = 16000000;

// Called by the scaler (and the browser checks) with the room in device
// pixels: the picture's size there {width, height} and the multiple it is
// enlarged by first. The same arithmetic as the desktop's picture_fit.cpp.
// eslint-disable-next-line no-unused-vars
function vornPictureFit(roomWidth, roomHeight, {integer = false, frameWidth = 640, frameHeight = 480,
                                                largestSide = 0} = {}) {
  if (!(roomWidth > 0 && roomHeight > 0)) return {width: 0, height: 0, multiple: 1};
  const whole = Math.min(Math.floor(roomWidth / frameWidth), Math.floor(roomHeight / frameHeight));
  if (integer && whole >= 1) return {width: whole * frameWidth, height: whole * frameHeight, multiple: whole};
  const box = roomWidth * frameHeight <= roomHeight * frameWidth
    ? {width: roomWidth, height: Math.floor(roomWidth * frameHeight / frameWidth)}
    : {width: Math.floor(roomHeight * frameWidth / frameHeight), height: roomHeight};
  let multiple = Math.max(Math.ceil(box.width / frameWidth), Math.ceil(box.height / frameHeight), 1);
  const fits = (m) => (largestSide <= 0 || m * Math.max(frameWidth, frameHeight) <= largestSide) &&
                      m * m * frameWidth * frameHeight <= VORN_SCALE_PIXEL_BUDGET;
  while (multiple > 1 && !fits(multiple)) multiple -= 1;
  return {...box, multiple};
}

// Called once by the page with the frame canvas and the integer scaling
// choice. Returns the scaler: measure(box), place(box), draw(image) and the
// integer choice, which can be changed at any time.
// eslint-disable-next-line no-unused-vars
function vornPictureScaler({frame, integer = false}) {
  const picture = document.createElement("canvas");
  picture.id = "view";
  picture.setAttribute("aria-label", "The demo's picture");
  Object.assign(picture.style, {position: "absolute", left: "0", top: "0", visibility: "hidden",
                                imageRendering: "pixelated"});
  frame.after(picture);
  let painter = webGlPainter(picture, frame) || canvasPainter(picture, frame);
  let fit = {width: 0, height: 0, multiple: 1};
  let placed = null;  // {box} of the last place()

  function fitIn(box, ratio) {
    return vornPictureFit(Math.floor(box.width * ratio), Math.floor(box.height * ratio),
                          {integer, frameWidth: frame.width, frameHeight: frame.height,
                           largestSide: painter.largestSide});
  }

  // Sizes the picture's pixels; the device pixels the browser actually
  // gives it, where it says, win over the ones asked for.
  function size(width, height) {
    if (picture.width !== width) picture.width = width;
    if (picture.height !== height) picture.height = height;
    draw();
  }

  // image: the frame just shown, as the ImageData put in the frame canvas;
  // without it the picture is drawn again from the last one.
  function draw(image) {
    if (image) painter.take(image);
    if (picture.width > 0 && picture.height > 0) painter.draw(fit);
  }

  try {
    new ResizeObserver((entries) => {
      const box = entries[0].devicePixelContentBoxSize && entries[0].devicePixelContentBoxSize[0];
      if (box && Math.abs(box.inlineSize - fit.width) <= 2 && Math.abs(box.blockSize - fit.height) <= 2)
        size(box.inlineSize, box.blockSize);
    }).observe(picture, {box: "device-pixel-content-box"});
  } catch (error) {
    // WebKit does not tell device pixels: the ones asked for stand.
  }
  // A new device pixel ratio (another screen, a zoom) places the picture
  // anew in its box, as the stage's CSS size may not change with it.
  const watchRatio = () => window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`)
    .addEventListener("change", () => {
      if (placed) scaler.place(placed.box);
      watchRatio();
    }, {once: true});
  watchRatio();
  picture.addEventListener("webglcontextlost", (event) => event.preventDefault());
  picture.addEventListener("webglcontextrestored", () => {
    painter = webGlPainter(picture, frame) || painter;
    draw();
  });

  const scaler = {
    canvas: picture,

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
      size(fit.width, fit.height);
    },

    // Called by the page at every frame the program shows, with its
    // ImageData.
    draw,

    get integer() { return integer; },
    set integer(value) {
      integer = Boolean(value);
      if (placed) this.place(placed.box);
    },
  };
  return scaler;
}

// The whole picture in one WebGL pass: each of the picture's pixels is the
// bilinear blend, at its centre, of the four nearest pixels of the frame
// enlarged by the multiple, read straight from the frame. Null where the
// browser gives no WebGL, or no high precision for the arithmetic.
function webGlPainter(picture, frame) {
  const gl = picture.getContext("webgl", {alpha: false, antialias: false, depth: false, stencil: false,
                                          premultipliedAlpha: false, preserveDrawingBuffer: false});
  if (!gl || gl.isContextLost()) return null;
  const high = gl.getShaderPrecisionFormat(gl.FRAGMENT_SHADER, gl.HIGH_FLOAT);
  if (!high || high.precision < 23) return null;
  const program = linkProgram(gl, `
    attribute vec2 corner;
    void main() { gl_Position = vec4(corner, 0.0, 1.0); }`, `
    precision highp float;
    uniform sampler2D frame;
    uniform vec2 frameSize;
    uniform vec2 pictureSize;
    uniform float multiple;
    vec4 at(vec2 pixel) { return texture2D(frame, (pixel + 0.5) / frameSize); }
    void main() {
      // This pixel's centre, counted from the top, in the enlarged frame's
      // pixels, less half a pixel: between the centres of first and first + 1.
      vec2 centre = vec2(gl_FragCoord.x, pictureSize.y - gl_FragCoord.y) * multiple * frameSize / pictureSize - 0.5;
      vec2 first = floor(centre);
      vec2 weight = centre - first;
      // Which frame pixel each enlarged pixel repeats (half a pixel in, so
      // that no rounding of the division can land on the wrong one).
      vec2 low = clamp(floor((first + 0.5) / multiple), vec2(0.0), frameSize - 1.0);
      vec2 high = clamp(floor((first + 1.5) / multiple), vec2(0.0), frameSize - 1.0);
      gl_FragColor = mix(mix(at(low), at(vec2(high.x, low.y)), weight.x),
                         mix(at(vec2(low.x, high.y)), at(high), weight.x), weight.y);
    }`);
  if (!program) return null;
  gl.useProgram(program);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
  const corner = gl.getAttribLocation(program, "corner");
  gl.enableVertexAttribArray(corner);
  gl.vertexAttribPointer(corner, 2, gl.FLOAT, false, 0, 0);
  gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
  for (const [name, value] of [[gl.TEXTURE_MIN_FILTER, gl.NEAREST], [gl.TEXTURE_MAG_FILTER, gl.NEAREST],
                               [gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE], [gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE]])
    gl.texParameteri(gl.TEXTURE_2D, name, value);
  const uniform = (name) => gl.getUniformLocation(program, name);
  const places = {frameSize: uniform("frameSize"), pictureSize: uniform("pictureSize"), multiple: uniform("multiple")};
  let textureSize = "";
  // The frame canvas is read once, for a picture made before any frame or
  // after a lost context; then the frames' own pixels come (WebKit may hand
  // out an old copy of a canvas that is never shown).
  const take = (source) => {
    // The texture is made anew only when the frame's size changes.
    if (textureSize !== `${source.width}x${source.height}`) {
      textureSize = `${source.width}x${source.height}`;
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, source);
    } else if (source.data) {
      gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, source.width, source.height, gl.RGBA, gl.UNSIGNED_BYTE, source.data);
    } else {
      gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, gl.RGBA, gl.UNSIGNED_BYTE, source);
    }
  };
  take(frame);
  return {
    largestSide: gl.getParameter(gl.MAX_TEXTURE_SIZE),
    take,
    draw(fit) {
      gl.viewport(0, 0, picture.width, picture.height);
      gl.uniform2f(places.frameSize, frame.width, frame.height);
      gl.uniform2f(places.pictureSize, picture.width, picture.height);
      gl.uniform1f(places.multiple, fit.multiple);
      gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
    },
  };
}

function linkProgram(gl, vertexSource, fragmentSource) {
  const program = gl.createProgram();
  for (const [type, source] of [[gl.VERTEX_SHADER, vertexSource], [gl.FRAGMENT_SHADER, fragmentSource]]) {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
  }
  gl.linkProgram(program);
  return gl.getProgramParameter(program, gl.LINK_STATUS) ? program : null;
}

// Without WebGL: the frame drawn into a canvas at the multiple without
// smoothing, which is drawn down to the picture with the browser's cheapest
// (bilinear) smoothing. At a whole multiple, with integer scaling and below
// the frame's size the frame is drawn straight to the picture.
function canvasPainter(picture, frame) {
  const context = picture.getContext("2d", {alpha: false});
  const enlarged = document.createElement("canvas");
  const enlargedContext = enlarged.getContext("2d", {alpha: false});
  return {
    largestSide: 0,
    take() {},  // the frame canvas holds the frame
    draw(fit) {
      const width = frame.width * fit.multiple;
      const height = frame.height * fit.multiple;
      const whole = picture.width === width && picture.height === height;
      let source = frame;
      if (!whole && fit.multiple > 1) {
        if (enlarged.width !== width) enlarged.width = width;
        if (enlarged.height !== height) enlarged.height = height;
        enlargedContext.imageSmoothingEnabled = false;
        enlargedContext.drawImage(frame, 0, 0, width, height);
        source = enlarged;
      }
      context.imageSmoothingEnabled = !whole;
      context.imageSmoothingQuality = "low";
      context.drawImage(source, 0, 0, picture.width, picture.height);
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
