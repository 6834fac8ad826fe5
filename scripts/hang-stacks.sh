#!/usr/bin/env bash
# Runs a test program; if it is still running after <seconds>, prints the stack of every thread
# (gdb) and aborts it, so that a rare hang leaves its cause in the test log instead of a bare
# time-out. Exits with the program's status.
#
#   scripts/hang-stacks.sh <seconds> <program> [args...]
set -uo pipefail
limit="$1"
shift
"$@" &
pid=$!
watch() {
  local waited=0
  while [ "$waited" -lt "$limit" ]; do
    sleep 1
    kill -0 "$pid" 2>/dev/null || return 0
    waited=$((waited + 1))
  done
  echo "hang-stacks: $1 still running after ${limit} s; the stacks of its threads:" >&2
  if command -v gdb >/dev/null; then
    timeout 60 gdb -p "$pid" -batch -nx -ex "set pagination off" -ex "thread apply all bt" </dev/null >&2 2>&1
  fi
  kill -ABRT "$pid" 2>/dev/null
}
watch "$1" &
watcher=$!
wait "$pid"
status=$?
kill "$watcher" 2>/dev/null
wait "$watcher" 2>/dev/null
exit "$status"
