// The program's code, fetched and compiled once a visit as soon as this
// script has arrived: it is loaded async, ahead of the page's other
// scripts, and the compiling runs while they are still on their way. (A
// preload of vorn.wasm gains nothing over this, and WebKit would fetch the
// file twice.) Every run of the visit starts from window.vornProgram
// (vorn_page.js), a promise of the compiled module.
"use strict";

window.vornProgram = (async () => {
  const response = await fetch("vorn.wasm");
  if (!response.ok) throw new Error(`vorn.wasm: HTTP ${response.status}`);
  // Compiled while it downloads, unless the server does not say it is
  // WebAssembly; then from the whole file.
  const type = (response.headers.get("Content-Type") || "").split(";")[0].trim();
  if (type === "application/wasm") return WebAssembly.compileStreaming(response);
  return WebAssembly.compile(await response.arrayBuffer());
})();
window.vornProgram.catch(() => {});  // the run that needs it says what went wrong
