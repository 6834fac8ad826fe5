#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (address and undefined-behaviour sanitizers)
# and runs each for a number of inputs, printing runs, time and executions per second.
# Usage: scripts/fuzz.sh [runs (1000000)] [build dir (build-fuzz)] [target names ...]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${1:-1000000}"
# Longest input libFuzzer makes (FUZZ_MAX_LEN); the seeded drivers keep to their seeds' sizes.
MAX_LEN="${FUZZ_MAX_LEN:-8192}"
BUILD="${2:-$ROOT/build-fuzz}"
shift 2 || shift $#
LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}" CCACHE_NOHASHDIR=1
fi
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" "${LAUNCHER[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNWICK_FUZZ=ON -DTARNWICK_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target fuzz_all

SEEDS="$ROOT/tests/fuzz/seeds"
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
  for d in "$SEEDS"/*/; do TARGETS+=("$(basename "$d")"); done
fi
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="suppressions=$ROOT/tests/fuzz/lsan.supp"
LOGS="$BUILD/fuzz-logs"
mkdir -p "$LOGS"
FAILED=()
printf '%-14s %10s %8s %10s\n' target runs seconds exec/s
for t in "${TARGETS[@]}"; do
  corpus="$BUILD/tests/fuzz/corpus/$t"
  mkdir -p "$corpus"
  start=$(date +%s.%N)
  # Crash, leak and timeout inputs land in the log folder (artifact_prefix). Leaks are checked
  # once, when the run ends: a check after every input stops the world each time Qt grows a
  # cache, which costs the painting and JSON targets nine runs in ten.
  if ! "$BUILD/bin/fuzz_$t" -runs="$RUNS" -seed=1 -max_len="$MAX_LEN" -timeout=10 -detect_leaks=0 -print_final_stats=1 \
       -artifact_prefix="$LOGS/$t-" "$corpus" "$SEEDS/$t" >"$LOGS/$t.log" 2>&1; then
    echo "fuzz_$t failed: see $LOGS/$t.log" >&2
    grep -A3 -E 'ERROR|runtime error|fuzz check failed|Test unit written' "$LOGS/$t.log" | head -n 20 >&2 || true
    FAILED+=("$t")
    continue
  fi
  end=$(date +%s.%N)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOGS/$t.log")
  awk -v t="$t" -v r="$runs" -v s="$start" -v e="$end" \
    'BEGIN { d = e - s; printf "%-14s %10d %8.1f %10.0f\n", t, r, d, r / d }'
done
if [ ${#FAILED[@]} -gt 0 ]; then
  echo "failed: ${FAILED[*]}" >&2
  exit 1
fi
