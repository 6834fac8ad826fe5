#!/usr/bin/env bash
# Installs, builds, starts the local service and the client (under Xvfb without a display).
# With --console a person teaches instead of the scripted teacher: the teacher console and
# one student client open side by side on a wider screen.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
CONSOLE=0
if [ "${1:-}" = "--console" ]; then
  CONSOLE=1
  shift
  export TARNWICK_SCREEN="${TARNWICK_SCREEN:-2600x1000x24}"
fi
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
if [ "$CONSOLE" = 1 ]; then
  "$BUILD/bin/tarnwick-teacher" --console --service http://127.0.0.1:18080 >"$SESSION_DIR/console.log" 2>&1 &
  SESSION_PIDS+=($!)
  # The console keeps the left of the screen; the client's windows, which centre themselves,
  # are moved to its right as they appear (Xvfb has no window manager to place them).
  (while sleep 1; do
     for w in $(xdotool search --onlyvisible --class quorvel 2>/dev/null); do
       x=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed -n 's/^X=//p')
       [ -n "$x" ] && [ "$x" -lt 1300 ] && xdotool windowmove "$w" 1300 0 2>/dev/null
     done
   done) &
  SESSION_PIDS+=($!)
  echo "teacher console: 13900000001 / teacher01 is filled in; 登录, choose 初二数学提高班, 进入教室"
# A scripted teacher runs a demo class in room 300101 (初二数学提高班) once a student enters it.
elif [ -x "$BUILD/bin/tarnwick-teacher" ] && [ "${TARNWICK_NO_TEACHER:-0}" != 1 ]; then
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
