#!/usr/bin/env bash
# Installs, builds, starts the local service and the client (under Xvfb without a display).
# With --console a person teaches instead of the scripted teacher: the teacher console and
# one student client open side by side on a wider screen. With --engines the class's IM runs on
# ejabberd (scripts/engines.sh) instead of the hub, and, as root, the whole demo runs inside a
# private network namespace (scripts/netns.sh) with Janus beside it carrying the media
# (TARNWICK_MEDIA=hub keeps them on the hub).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
CONSOLE=0
ENGINES=0
ARGS=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --console) CONSOLE=1; export TARNWICK_SCREEN="${TARNWICK_SCREEN:-2600x1000x24}"; shift ;;
    # IM (chat, class commands, board data) on ejabberd instead of the hub; media stays on the hub.
    --engines) ENGINES=1; shift ;;
    *) break ;;
  esac
done
# Inside the namespace there is no network: installing and building happen before entering it.
if [ "${TARNWICK_RUN_PREPARED:-0}" != 1 ]; then
  bash "$ROOT/scripts/install.sh"
  bash "$ROOT/scripts/build.sh" "$BUILD"
fi
if [ "$ENGINES" = 1 ] && [ -z "${TARNWICK_NETNS:-}" ]; then
  if [ "$(id -u)" -eq 0 ]; then
    TARNWICK_RUN_PREPARED=1 exec bash "$ROOT/scripts/netns.sh" run bash "$ROOT/scripts/run.sh" "${ARGS[@]}"
  fi
  echo "run: Janus needs root for its network namespace; starting without it (media on the hub)" >&2
fi
# shellcheck source=session.sh
source "$ROOT/scripts/session.sh"
session_start_display
session_start_audio
session_browser_env

SERVICE_ARGS=()
if [ "$ENGINES" = 1 ]; then
  # The node runs as the ejabberd user: its folder must not sit inside the private session one.
  ENGINE_DIR="$(mktemp -d /tmp/tarnwick-engines.XXXXXX)"
  chmod 755 "$ENGINE_DIR"
  engines_cleanup() {
    bash "$ROOT/scripts/engines.sh" stop "$ENGINE_DIR/janus" janus || true
    bash "$ROOT/scripts/engines.sh" stop "$ENGINE_DIR/ejabberd" || true
    rm -rf "$ENGINE_DIR"
    session_cleanup
  }
  trap engines_cleanup EXIT
  export EJABBERD_HOST=tarnwick.local EJABBERD_C2S_PORT=15222 EJABBERD_API_PORT=15280
  random_secret() { head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9'; }
  EJABBERD_SECRET="$(random_secret)"
  EJABBERD_JWT_SECRET="$(random_secret)"
  export EJABBERD_SECRET EJABBERD_JWT_SECRET
  bash "$ROOT/scripts/engines.sh" start "$ENGINE_DIR/ejabberd"
  export TARNWICK_XMPP_API_SECRET="$EJABBERD_SECRET" TARNWICK_XMPP_JWT_SECRET="$EJABBERD_JWT_SECRET"
  # The client, the scripted teacher and the console read these.
  export TARNWICK_IM=xmpp TARNWICK_XMPP_URL="xmpp://127.0.0.1:$EJABBERD_C2S_PORT/$EJABBERD_HOST"
  SERVICE_ARGS=(--xmpp "$TARNWICK_XMPP_URL" --xmpp-api "http://127.0.0.1:$EJABBERD_API_PORT")
  echo "IM on ejabberd at $TARNWICK_XMPP_URL (logs in $ENGINE_DIR/ejabberd/log)"
  if [ -n "${TARNWICK_NETNS:-}" ]; then
    export JANUS_WS_PORT=15188 JANUS_HTTP_PORT=15088 JANUS_ADMIN_PORT=15089
    JANUS_API_SECRET="$(random_secret)"
    JANUS_ADMIN_SECRET="$(random_secret)"
    JANUS_ROOM_KEY="$(random_secret)"
    export JANUS_API_SECRET JANUS_ADMIN_SECRET JANUS_ROOM_KEY
    bash "$ROOT/scripts/engines.sh" start "$ENGINE_DIR/janus" janus
    export TARNWICK_JANUS_API_SECRET="$JANUS_API_SECRET" TARNWICK_JANUS_ADMIN_SECRET="$JANUS_ADMIN_SECRET" \
           TARNWICK_JANUS_ROOM_KEY="$JANUS_ROOM_KEY"
    # The client, the scripted teacher and the console send and receive media through Janus.
    export TARNWICK_MEDIA="${TARNWICK_MEDIA:-janus}" TARNWICK_JANUS_URL="ws://127.0.0.1:$JANUS_WS_PORT"
    SERVICE_ARGS+=(--janus "$TARNWICK_JANUS_URL" --janus-api "http://127.0.0.1:$JANUS_HTTP_PORT"
                   --janus-admin "http://127.0.0.1:$JANUS_ADMIN_PORT")
    echo "Janus at $TARNWICK_JANUS_URL in network namespace $TARNWICK_NETNS, media on $TARNWICK_MEDIA (logs in $ENGINE_DIR/janus/log)"
  fi
fi

if [ -x "$BUILD/bin/tarnwick-local" ]; then
  "$BUILD/bin/tarnwick-local" --port 18080 --hub-port 18081 "${SERVICE_ARGS[@]}" >"$SESSION_DIR/service.log" 2>&1 &
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
