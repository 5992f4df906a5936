#!/usr/bin/env bash
# The 300-frame soak run under valgrind's memcheck: no invalid reads or
# writes, no use of uninitialised values, nothing lost (definitely,
# indirectly or possibly), and not even a reachable block left when the
# program ends: the picture's pixels live in a process-wide record, where a
# forgotten discard would otherwise go unseen.
#   tests/e2e/valgrind_soak.sh PATH/TO/vorn_soak
set -uo pipefail

soak=${1:?usage: valgrind_soak.sh PATH/TO/vorn_soak}
command -v valgrind >/dev/null 2>&1 || { echo "valgrind is not installed" >&2; exit 1; }

log=$(mktemp)
trap 'rm -f "$log"' EXIT
valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
  --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes \
  --error-exitcode=99 "$soak" >"$log" 2>&1
code=$?
grep -E '^soak:|in use at exit|ERROR SUMMARY|definitely lost|indirectly lost|possibly lost' "$log"
if [ "$code" -eq 0 ] && ! grep -q 'in use at exit: 0 bytes in 0 blocks' "$log"; then
  echo "valgrind soak: memory still held at exit" >&2
  code=98
fi
if [ "$code" -ne 0 ]; then
  echo "valgrind soak: failed with exit code $code" >&2
  cat "$log" >&2
  exit 1
fi
echo "valgrind soak: no memory errors, nothing lost"
