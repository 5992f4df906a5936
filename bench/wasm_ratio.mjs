// The whole frame in WebAssembly against the same frame native, from one
// run: vorn_frame_timing built natively (the ci preset) and for node (the
// web preset) is run in turn, rounds times, and the best time of each is
// compared. A benchmark: it reports, it never fails on a figure.
//
//   node bench/wasm_ratio.mjs [ROUNDS]
//
// VORN_NATIVE_BIN and VORN_WEB_BIN name other build folders' bin/.
import {execFileSync} from "node:child_process";
import {existsSync} from "node:fs";
import path from "node:path";
import {fileURLToPath} from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..");
const nativeBin = process.env.VORN_NATIVE_BIN || path.join(root, "build/ci/bin");
const webBin = process.env.VORN_WEB_BIN || path.join(root, "build/web/bin");
const rounds = Number(process.argv[2] || 5);
const TARGET = 2.0;

const programs = {
  native: [path.join(nativeBin, "vorn_frame_timing"), []],
  wasm: [process.execPath, [path.join(webBin, "vorn_frame_timing.js"), "--dir", webBin]],
};
for (const [name, [program, args]] of Object.entries(programs)) {
  const file = name === "native" ? program : args[0];
  if (!existsSync(file)) {
    console.error(`vorn: no ${file}: build the ${name === "native" ? "ci" : "web"} preset first`);
    process.exit(1);
  }
}

// {case: microseconds} from one run's "frame <case> <microseconds>" lines.
function runOnce([program, args]) {
  const output = execFileSync(program, args, {encoding: "utf8"});
  const times = {};
  for (const [, name, value] of output.matchAll(/^frame (\S+) ([\d.]+)$/gm)) times[name] = Number(value);
  return times;
}

const best = {native: {}, wasm: {}};
for (let round = 0; round < rounds; ++round) {
  for (const name of ["native", "wasm"]) {
    for (const [timedCase, value] of Object.entries(runOnce(programs[name])))
      best[name][timedCase] = Math.min(best[name][timedCase] ?? Infinity, value);
  }
}

console.log(`Whole frame, best of ${rounds} runs each (microseconds per frame):`);
console.log("case      native     wasm   wasm/native  target");
for (const timedCase of Object.keys(best.native)) {
  const native = best.native[timedCase];
  const wasm = best.wasm[timedCase];
  const ratio = wasm / native;
  console.log(`${timedCase.padEnd(8)} ${native.toFixed(1).padStart(7)} ${wasm.toFixed(1).padStart(8)}` +
              `   ${ratio.toFixed(2).padStart(10)}  <= ${TARGET.toFixed(1)}${ratio <= TARGET ? "" : "  (missed)"}`);
}
