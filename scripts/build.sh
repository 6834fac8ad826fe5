#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [build-dir] [--sanitize] [extra cmake args]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"; shift || true
ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
for a in "$@"; do
  case "$a" in
    --sanitize) ARGS=(-DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON) ;;
    *) ARGS+=("$a") ;;
  esac
done
cmake -S "$ROOT" -B "$BUILD" "${ARGS[@]}" >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
