#!/usr/bin/env bash
# Installs, builds and runs every test, then the same tests built with the sanitizers.
# Usage: scripts/test.sh [--no-sanitize] [ctest args]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SANITIZE=1
CTEST_ARGS=()
for a in "$@"; do
  case "$a" in
    --no-sanitize) SANITIZE=0 ;;
    *) CTEST_ARGS+=("$a") ;;
  esac
done

bash "$ROOT/scripts/install.sh"
# Folders point one way; a wrong include fails here before anything is built.
bash "$ROOT/scripts/check-includes.sh"
# shellcheck source=session.sh
source "$ROOT/scripts/session.sh"
session_start_display
session_start_audio
session_browser_env

run_suite() {
  local build="$1"; shift
  echo "== building $build"
  bash "$ROOT/scripts/build.sh" "$build" "$@"
  echo "== testing $build"
  (cd "$build" && ctest --output-on-failure -j 2 "${CTEST_ARGS[@]}")
}

run_suite "$ROOT/build"
if [ "$SANITIZE" -eq 1 ]; then
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  run_suite "$ROOT/build-asan" --sanitize -DTARNWICK_BENCH=OFF
fi
