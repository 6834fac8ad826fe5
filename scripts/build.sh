#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [build-dir] [--sanitize] [extra cmake args]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"; shift || true
ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
# Rebuilds of the same sources (the sanitizer tree, a second checkout) come from the cache.
LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}" CCACHE_NOHASHDIR=1
fi
for a in "$@"; do
  case "$a" in
    --sanitize) ARGS=(-DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON) ;;
    *) ARGS+=("$a") ;;
  esac
done
cmake -S "$ROOT" -B "$BUILD" "${LAUNCHER[@]}" "${ARGS[@]}" >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
