#!/usr/bin/env bash
# Builds the fuzz targets (fuzz preset) and runs each for a bounded time from
# our own seeds, keeping the grown corpus in build/fuzz/corpus between runs.
# Any finding (a crash, a sanitizer report, a leak, an input that takes over
# ten seconds) stops it with a non-zero exit; the input that caused it is left
# in build/fuzz/findings.
#   fuzz/run.sh [SECONDS_PER_TARGET]      default 60
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
jobs=${VORN_JOBS:-$(nproc 2>/dev/null || echo 2)}
build=$root/build/fuzz
corpus=$build/corpus
findings=$build/findings

cd "$root" || exit 1
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz --parallel "$jobs" || exit 1
mkdir -p "$corpus/bmp" "$corpus/startup" "$corpus/run" "$findings" || exit 1
"$build/bin/make_fuzz_seeds" "$corpus/bmp" "$corpus/startup" || exit 1
cp "$build/bin/ROCK8.BMP" "$corpus/startup/ROCK8.BMP" || exit 1
# Run files as the hosts write them (every generator), and one as a person might.
printf 'vorn-run 1\ngenerator msvcrt\npicture %064d\nseed 9\nframes 306\nclose 306\nkeys down@16-30,left@34-44\n' 0 \
  >"$corpus/run/recorded.txt" && printf '# by hand\r\nvorn-run 1\r\nkeys escape@3-4,left@1-9,left@2\r\n' >"$corpus/run/by-hand.txt" &&
  cp tests/runs/*.vornrun "$corpus/run/" || exit 1

# target, corpus folder, largest input: the start-up target needs room for a
# whole rock picture (a 260 x 66 8-bit file is about 18 KB).
run_target() {
  echo "fuzz: $1 for ${seconds}s"
  "$build/bin/$1" "$corpus/$2" -max_total_time="$seconds" -max_len="$3" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$1-" 2>"$build/$1.log"
  local code=$?
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done)' "$build/$1.log"
  if [ "$code" -ne 0 ]; then
    echo "fuzz: $1 found a fault (exit code $code):" >&2
    grep -A30 -E '^==[0-9]+==ERROR|^SUMMARY|deadly signal|vorn fuzz:' "$build/$1.log" | head -60 >&2
    ls "$findings" >&2
    return 1
  fi
}

run_target fuzz_bmp_read bmp 4096 && run_target fuzz_startup startup 40000 &&
  run_target fuzz_run_file run 4096
