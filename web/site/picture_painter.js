// The picture's painters. picture_scaler.js starts this file as the
// picture's worker, which paints into the picture's canvas handed over to
// it (transferControlToOffscreen), so that the page's thread only copies
// each frame's pixels; the page loads it too, to paint on its own thread
// where that is the better choice (picture_scaler.js says when).
// The frame is enlarged by the multiple (nearest neighbour) and filtered
// down to the picture (bilinear, at pixel centres): WebGL does both in one
// pass; a 2D context in two drawImage calls through an enlarged canvas.
"use strict";

// The 2D painter's enlarged canvas is never larger than this many pixels;
// past that, the largest multiple under it. (WebGL enlarges nothing: it
// reads the frame's own pixels.)
const VORN_SCALE_PIXEL_BUDGET = 16000000;

const vornNewCanvas = () => (typeof OffscreenCanvas === "function" ? new OffscreenCanvas(1, 1)
                                                                   : document.createElement("canvas"));

// The whole picture in one WebGL pass into picture (a canvas or an
// OffscreenCanvas). take(image) hands it a frame (ImageData), draw(fit)
// paints it. Null where there is no WebGL, or no high
// precision for the arithmetic.
function vornWebGlPainter(picture) {
  const gl = picture.getContext("webgl", {alpha: false, antialias: false, depth: false, stencil: false,
                                          premultipliedAlpha: false, preserveDrawingBuffer: false});
  if (!gl || gl.isContextLost()) return null;
  const high = gl.getShaderPrecisionFormat(gl.FRAGMENT_SHADER, gl.HIGH_FLOAT);
  if (!high || high.precision < 23) return null;
  const program = vornLinkProgram(gl, `
    attribute vec2 corner;
    void main() { gl_Position = vec4(corner, 0.0, 1.0); }`, `
    precision highp float;
    uniform sampler2D frame;
    uniform vec2 frameSize;
    uniform vec2 pictureSize;
    uniform float multiple;
    void main() {
      // This pixel's centre, counted from the top, in the enlarged frame's
      // pixels, less half a pixel: between the centres of first and first + 1.
      vec2 centre = vec2(gl_FragCoord.x, pictureSize.y - gl_FragCoord.y) * multiple * frameSize / pictureSize - 0.5;
      vec2 first = floor(centre);
      // Which frame pixel each of the two enlarged pixels repeats (half a
      // pixel in, so that no rounding of the division lands on the wrong
      // one): the same one, or neighbours where first is the last copy of
      // a frame pixel. The texture's own bilinear filter blends
      // neighbours, so one fetch, between their centres by the weight, or
      // at the one pixel's centre, gives the blend.
      vec2 low = clamp(floor((first + 0.5) / multiple), vec2(0.0), frameSize - 1.0);
      vec2 high = clamp(floor((first + 1.5) / multiple), vec2(0.0), frameSize - 1.0);
      gl_FragColor = texture2D(frame, (low + 0.5 + (high - low) * (centre - first)) / frameSize);
    }`);
  if (!program) return null;
  gl.useProgram(program);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
  const corner = gl.getAttribLocation(program, "corner");
  gl.enableVertexAttribArray(corner);
  gl.vertexAttribPointer(corner, 2, gl.FLOAT, false, 0, 0);
  gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
  for (const [name, value] of [[gl.TEXTURE_MIN_FILTER, gl.LINEAR], [gl.TEXTURE_MAG_FILTER, gl.LINEAR],
                               [gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE], [gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE]])
    gl.texParameteri(gl.TEXTURE_2D, name, value);
  const uniform = (name) => gl.getUniformLocation(program, name);
  const places = {frameSize: uniform("frameSize"), pictureSize: uniform("pictureSize"), multiple: uniform("multiple")};
  let frameSize = null;  // [width, height] of the texture, once it holds a frame
  return {
    kind: "WebGL",
    // The texture is made anew only when the frame's size changes.
    take(image) {
      if (!frameSize || frameSize[0] !== image.width || frameSize[1] !== image.height) {
        frameSize = [image.width, image.height];
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, image.width, image.height, 0, gl.RGBA, gl.UNSIGNED_BYTE, image.data);
      } else {
        gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, image.width, image.height, gl.RGBA, gl.UNSIGNED_BYTE, image.data);
      }
    },
    draw(fit) {
      gl.viewport(0, 0, picture.width, picture.height);
      if (!frameSize) {
        gl.clearColor(0, 0, 0, 1);
        gl.clear(gl.COLOR_BUFFER_BIT);
        return;
      }
      gl.uniform2f(places.frameSize, frameSize[0], frameSize[1]);
      gl.uniform2f(places.pictureSize, picture.width, picture.height);
      gl.uniform1f(places.multiple, fit.multiple);
      gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
    },
  };
}

function vornLinkProgram(gl, vertexSource, fragmentSource) {
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

// Without WebGL: the frame drawn into a canvas at the multiple (within the
// budget) without smoothing, which is drawn down to the picture with the
// browser's cheapest (bilinear) smoothing. At a whole multiple, with
// integer scaling and below the frame's size the frame is drawn straight to
// the picture. frame: the canvas that holds the frame (the page's); without
// it the painter keeps a canvas of its own, which take(image) fills.
function vornCanvasPainter(picture, frame = null) {
  const context = picture.getContext("2d", {alpha: false});
  if (!context) return null;
  const own = !frame;
  const source = frame || vornNewCanvas();
  const sourceContext = own ? source.getContext("2d", {alpha: false}) : null;
  const enlarged = vornNewCanvas();
  const enlargedContext = enlarged.getContext("2d", {alpha: false});
  return {
    kind: "2D",
    take(image) {
      if (!own) return;
      if (source.width !== image.width) source.width = image.width;
      if (source.height !== image.height) source.height = image.height;
      sourceContext.putImageData(image, 0, 0);
    },
    draw(fit) {
      let multiple = fit.multiple;
      while (multiple > 1 && multiple * multiple * source.width * source.height > VORN_SCALE_PIXEL_BUDGET) multiple -= 1;
      const width = source.width * multiple;
      const height = source.height * multiple;
      const whole = picture.width === width && picture.height === height;
      let from = source;
      if (!whole && multiple > 1) {
        if (enlarged.width !== width) enlarged.width = width;
        if (enlarged.height !== height) enlarged.height = height;
        enlargedContext.imageSmoothingEnabled = false;
        enlargedContext.drawImage(source, 0, 0, width, height);
        from = enlarged;
      }
      context.imageSmoothingEnabled = !whole;
      context.imageSmoothingQuality = "low";
      context.drawImage(from, 0, 0, picture.width, picture.height);
    },
  };
}

// The worker's side: {canvas} hands it the picture's canvas, {fit} the
// picture's size and multiple, {buffer, width, height} a frame's RGBA
// pixels. Every message paints the picture anew. A frame's buffer is kept
// (for a new context) until the next one comes; each frame is answered
// {drawn, buffer} with the buffer before it, for the page to fill again.
function vornPaintInWorker() {
  let picture = null;
  let painter = null;
  let fit = {width: 0, height: 0, multiple: 1};
  let shown = null;  // ImageData of the frame last taken
  const start = () => {
    painter = vornWebGlPainter(picture) || vornCanvasPainter(picture);
    if (!painter) throw new Error("the picture's canvas gives no context to paint with");
    if (shown) painter.take(shown);
    self.postMessage({painter: `${painter.kind} in a worker`});
  };
  const draw = () => {
    if (painter && picture.width > 0 && picture.height > 0) painter.draw(fit);
  };
  self.addEventListener("message", ({data}) => {
    if (data.canvas) {
      picture = data.canvas;
      picture.addEventListener("webglcontextlost", (event) => event.preventDefault());
      picture.addEventListener("webglcontextrestored", () => { start(); draw(); });
      start();
    }
    if (data.fit) {
      fit = data.fit;
      if (picture.width !== fit.width) picture.width = fit.width;
      if (picture.height !== fit.height) picture.height = fit.height;
    }
    let before = null;
    if (data.buffer) {
      before = shown;
      shown = new ImageData(new Uint8ClampedArray(data.buffer), data.width, data.height);
      painter.take(shown);
    }
    draw();
    if (data.buffer) self.postMessage({drawn: true, buffer: before && before.data.buffer}, before ? [before.data.buffer] : []);
  });
}

if (typeof WorkerGlobalScope === "function" && self instanceof WorkerGlobalScope) vornPaintInWorker();
