#!/usr/bin/env bash
# Builds the Debian packages tarnwick-client and tarnwick-local from a finished plain build
# (nothing is compiled again) into <build>/packages, then checks them with lintian.
# Usage: scripts/package.sh [build-dir] [--no-lint] [--if-stale]
#   --no-lint   skip lintian
#   --if-stale  keep packages that are newer than every program they hold
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
LINT=1
IF_STALE=0
for a in "$@"; do
  case "$a" in
    --no-lint) LINT=0 ;;
    --if-stale) IF_STALE=1 ;;
    -*) echo "package.sh: unknown option $a" >&2; exit 2 ;;
    *) BUILD="$(cd "$a" && pwd)" ;;
  esac
done
OUT="$BUILD/packages"
PROGRAMS=(quorvel tarnwick-local tarnwick-teacher)

for p in "${PROGRAMS[@]}"; do
  [ -x "$BUILD/bin/$p" ] || { echo "package.sh: $BUILD/bin/$p is missing; build first (scripts/build.sh)" >&2; exit 1; }
done

# Whether both packages exist and are newer than the programs and this script's inputs.
fresh() {
  local deb p
  for deb in "$OUT"/tarnwick-client_*.deb "$OUT"/tarnwick-local_*.deb; do
    [ -e "$deb" ] || return 1
    for p in "${PROGRAMS[@]}"; do [ "$deb" -nt "$BUILD/bin/$p" ] || return 1; done
    [ "$deb" -nt "$BUILD/CPackConfig.cmake" ] || return 1
  done
}

if [ "$IF_STALE" -eq 1 ] && fresh; then
  echo "package.sh: packages in $OUT are up to date"
else
  rm -rf "$OUT" "$BUILD/_CPack_Packages"
  (cd "$BUILD" && cpack --config CPackConfig.cmake >"$BUILD/cpack.log" 2>&1) || {
    cat "$BUILD/cpack.log" >&2
    exit 1
  }
  rm -rf "$BUILD/_CPack_Packages"
fi
ls -1 "$OUT"/*.deb

if [ "$LINT" -eq 1 ]; then
  # Errors fail the build; warnings are printed for whoever reads the log.
  lintian --fail-on error "$OUT"/*.deb
fi
