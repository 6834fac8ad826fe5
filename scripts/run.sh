#!/usr/bin/env bash
# Installs, builds, starts the local service and the client (under Xvfb without a display).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
bash "$ROOT/scripts/install.sh"
bash "$ROOT/scripts/build.sh" "$BUILD"
# shellcheck source=session.sh
source "$ROOT/scripts/session.sh"
session_start_display
session_start_audio
session_browser_env

if [ -x "$BUILD/bin/tarnwick-local" ]; then
  "$BUILD/bin/tarnwick-local" --port 18080 --hub-port 18081 >"$SESSION_DIR/service.log" 2>&1 &
  SESSION_PIDS+=($!)
  for _ in $(seq 1 50); do grep -q '^tarnwick-local' "$SESSION_DIR/service.log" && break; sleep 0.1; done
  head -1 "$SESSION_DIR/service.log"
fi
# A scripted teacher runs a demo class in room 300101 (初二数学提高班) once a student enters it.
if [ -x "$BUILD/bin/tarnwick-teacher" ] && [ "${TARNWICK_NO_TEACHER:-0}" != 1 ]; then
  "$BUILD/bin/tarnwick-teacher" --scenario "$ROOT/teacher/scenarios/demo-class.json" \
      --service http://127.0.0.1:18080 --phone 13900000001 --password teacher01 --room 300101 \
      >"$SESSION_DIR/teacher.log" 2>&1 &
  SESSION_PIDS+=($!)
  echo "scripted teacher waits in room 300101: tail -f $SESSION_DIR/teacher.log"
fi
echo "sign in with 13800000001 / tarnwick01"
echo "client on DISPLAY=$DISPLAY; log in $BUILD/bin/log/"
# The browser's remote-debugging port would let any local process drive the signed-in portal:
# this script keeps it closed (start the client with TARNWICK_REMOTE_DEBUGGING=1 yourself to
# debug its pages on 127.0.0.1:21188).
unset TARNWICK_REMOTE_DEBUGGING QTWEBENGINE_REMOTE_DEBUGGING
"$BUILD/bin/quorvel" "$@"
