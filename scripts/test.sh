#!/usr/bin/env bash
# Installs, builds, packages (Debian packages checked with lintian) and runs every test, then
# the same tests built with the sanitizers.
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
# No class is defined twice across the folders (a silent one-definition clash when linked).
bash "$ROOT/scripts/check-class-names.sh"
# shellcheck source=session.sh
source "$ROOT/scripts/session.sh"
session_start_display
session_start_audio
session_browser_env

# A test that fails is run once more, so that one unlucky scheduling on a loaded machine does
# not sink the run; every failed attempt is still printed, with its sanitizer report below.
run_suite() {
  local build="$1" package="$2"; shift 2
  echo "== building $build"
  bash "$ROOT/scripts/build.sh" "$build" "$@"
  # The packages hold the programs just built; the installed-package test runs them.
  if [ "$package" = package ]; then
    echo "== packaging $build"
    bash "$ROOT/scripts/package.sh" "$build"
  fi
  echo "== testing $build"
  (cd "$build" && ctest --output-on-failure -j 2 --repeat until-pass:2 "${CTEST_ARGS[@]}")
}

# Sanitizer reports go to files, one per process, and are printed at the end of the suite:
# a report of an attempt that passed on its second run is still shown.
print_reports() {
  local dir="$1" f
  for f in "$dir"/report.*; do
    [ -e "$f" ] || continue
    echo "== sanitizer report $f"
    head -n 80 "$f"
  done
}

run_suite "$ROOT/build" package
if [ "$SANITIZE" -eq 1 ]; then
  REPORTS="$ROOT/build-asan/sanitizer-reports"
  rm -rf "$REPORTS" && mkdir -p "$REPORTS"
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:log_path=$REPORTS/report"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$REPORTS/report"
  status=0
  run_suite "$ROOT/build-asan" no-package --sanitize -DTARNWICK_BENCH=OFF || status=$?
  print_reports "$REPORTS"
  exit "$status"
fi
