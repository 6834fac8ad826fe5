#!/usr/bin/env bash
# Starts and stops the open engines a deployment may use instead of the hub, each on loopback
# ports with its configuration, state and logs in one state folder:
# - ejabberd, for IM: no epmd, Erlang distribution on 127.0.0.1;
# - Janus, for media (VideoRoom): it must run inside the network namespace of
#   scripts/netns.sh, because its ICE skips loopback interfaces and gathers on the namespace's
#   veth end (127.0.0.2/32) instead.
#
#   scripts/engines.sh start <state-dir> [ejabberd]   prints "ejabberd c2s=<port> api=<port> host=<host>"
#   scripts/engines.sh start <state-dir> janus        prints "janus ws=<port> http=<port> admin=<port>"
#   scripts/engines.sh stop <state-dir> [ejabberd|janus]
#
# ejabberd values (environment): EJABBERD_HOST (tarnwick.local), EJABBERD_C2S_PORT (15222),
# EJABBERD_API_PORT (15280), EJABBERD_DIST_PORT (15370), EJABBERD_SECRET (the service account's
# password for the HTTP API), EJABBERD_JWT_SECRET (the HS256 key the service signs tokens with).
# The two secrets default to fixed demo values: set both, and give them to tarnwick-local.
#
# Janus values: JANUS_WS_PORT (15188, the clients' WebSocket API), JANUS_HTTP_PORT (15088, the
# Janus API over HTTP for the service), JANUS_ADMIN_PORT (15089, the Admin API over HTTP),
# JANUS_RTP_PORTS (20000-20999), JANUS_ICE_IF (jv0, the interface ICE may use),
# JANUS_API_SECRET, JANUS_ADMIN_SECRET and JANUS_ROOM_KEY (VideoRoom's admin key: only its
# holder creates rooms). The secrets default to fixed demo values: set all three, and give them
# to tarnwick-local.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CMD="${1:-}"
STATE="${2:-}"
ENGINE="${3:-ejabberd}"
usage() { echo "usage: $0 start|stop <state-dir> [ejabberd|janus]" >&2; exit 2; }
[ -n "$CMD" ] && [ -n "$STATE" ] || usage

ejabberd_setup() {
  HOST="${EJABBERD_HOST:-tarnwick.local}"
  C2S_PORT="${EJABBERD_C2S_PORT:-15222}"
  API_PORT="${EJABBERD_API_PORT:-15280}"
  DIST_PORT="${EJABBERD_DIST_PORT:-15370}"
  SECRET="${EJABBERD_SECRET:-tarnwick-demo-api-secret}"
  JWT_SECRET="${EJABBERD_JWT_SECRET:-tarnwick-demo-jwt-secret}"
  NODE="tarnwick${DIST_PORT}@127.0.0.1"
  CTL=(/usr/sbin/ejabberdctl --config-dir "$STATE/conf" --spool "$STATE/spool" --logs "$STATE/log")
  # ejabberdctl would switch users through su, which puts the node in a session of its own where
  # stop cannot find it; switching here keeps the node in the process group that start made.
  if [ "$(id -u)" -eq 0 ]; then
    CTL=(setpriv --reuid=ejabberd --regid=ejabberd --init-groups env HOME="$STATE/spool" "${CTL[@]}")
  elif [ "$(id -un)" != ejabberd ]; then
    echo "engines: run as root or as the ejabberd user" >&2
    exit 1
  fi
}

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

base64url() { base64 -w0 | tr '+/' '-_' | tr -d '='; }

ejabberd_config() {
  mkdir -p "$STATE/conf" "$STATE/spool" "$STATE/log"
  local cookie
  cookie="$(head -c 18 /dev/urandom | base64 | tr -dc 'A-Za-z0-9')"
  printf '{"kty":"oct","k":"%s"}\n' "$(printf '%s' "$JWT_SECRET" | base64url)" >"$STATE/conf/jwt.jwk"
  sed -e "s|@HOST@|$HOST|g" -e "s|@C2S_PORT@|$C2S_PORT|g" -e "s|@API_PORT@|$API_PORT|g" \
      -e "s|@JWT_KEY_FILE@|$STATE/conf/jwt.jwk|g" \
      "$ROOT/engines/ejabberd/ejabberd.yml.in" >"$STATE/conf/ejabberd.yml"
  sed -e "s|@NODE@|$NODE|g" -e "s|@DIST_PORT@|$DIST_PORT|g" -e "s|@COOKIE@|$cookie|g" \
      "$ROOT/engines/ejabberd/ejabberdctl.cfg.in" >"$STATE/conf/ejabberdctl.cfg"
  echo '{lookup, [file, native]}.' >"$STATE/conf/inetrc"
  chmod 0600 "$STATE/conf/jwt.jwk" "$STATE/conf/ejabberdctl.cfg"
  # ejabberdctl runs the node as the ejabberd user, which must own everything it touches.
  if [ "$(id -u)" -eq 0 ]; then
    chown -R ejabberd:ejabberd "$STATE"
  fi
}

ports_free() {
  for p in "$@"; do
    if port_open "$p"; then echo "engines: port $p is already in use" >&2; exit 1; fi
  done
}

# Waits (at most 30 s) until every port listens; when the engine ended or took too long, stops
# what it started, shows the end of its log and fails.
await_ports() {
  local name="$1" log="$2" p missing
  shift 2
  for _ in $(seq 1 300); do
    missing=0
    for p in "$@"; do port_open "$p" || { missing=1; break; }; done
    [ "$missing" = 0 ] && return 0
    kill -0 "$(cat "$STATE/pid")" 2>/dev/null || break
    sleep 0.1
  done
  echo "engines: $name did not start; see $STATE/log" >&2
  tail -20 "$log" >&2 || true
  stop_group
  exit 1
}

ejabberd_start() {
  ports_free "$C2S_PORT" "$API_PORT" "$DIST_PORT"
  ejabberd_config
  # Its own session: stop ends exactly this process group.
  setsid "${CTL[@]}" foreground >"$STATE/log/foreground.log" 2>&1 </dev/null &
  echo $! >"$STATE/pid"
  await_ports ejabberd "$STATE/log/foreground.log" "$C2S_PORT" "$API_PORT"
  # The service's own account, with which it uses the HTTP API.
  if ! "${CTL[@]}" register service "$HOST" "$SECRET" >/dev/null 2>&1; then
    "${CTL[@]}" unregister service "$HOST" >/dev/null
    "${CTL[@]}" register service "$HOST" "$SECRET" >/dev/null
  fi
  echo "ejabberd c2s=$C2S_PORT api=$API_PORT host=$HOST"
}

# Ends the process group that start made (its leader's id is in $STATE/pid).
stop_group() {
  [ -f "$STATE/pid" ] || return 0
  local pid
  pid="$(cat "$STATE/pid")"
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM -- "-$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do kill -0 -- "-$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- "-$pid" 2>/dev/null || true
  fi
  rm -f "$STATE/pid"
}

janus_setup() {
  WS_PORT="${JANUS_WS_PORT:-15188}"
  HTTP_PORT="${JANUS_HTTP_PORT:-15088}"
  ADMIN_PORT="${JANUS_ADMIN_PORT:-15089}"
  RTP_PORTS="${JANUS_RTP_PORTS:-20000-20999}"
  ICE_IF="${JANUS_ICE_IF:-jv0}"
  API_SECRET="${JANUS_API_SECRET:-tarnwick-demo-janus-api-secret}"
  ADMIN_SECRET="${JANUS_ADMIN_SECRET:-tarnwick-demo-janus-admin-secret}"
  ROOM_KEY="${JANUS_ROOM_KEY:-tarnwick-demo-janus-room-key}"
  JANUS_LIB=/usr/lib/x86_64-linux-gnu/janus
  [ -d "$JANUS_LIB" ] || JANUS_LIB="$(dirname "$(dpkg -L janus | grep -m1 '/janus/plugins/libjanus_videoroom.so$')")/.."
}

janus_config() {
  mkdir -p "$STATE/conf" "$STATE/log" "$STATE/lib/plugins" "$STATE/lib/transports" "$STATE/lib/events" \
           "$STATE/lib/loggers"
  # Janus loads every library in its folders: these hold only what a class needs.
  ln -sf "$JANUS_LIB/plugins/libjanus_videoroom.so" "$STATE/lib/plugins/"
  ln -sf "$JANUS_LIB/transports/libjanus_websockets.so" "$JANUS_LIB/transports/libjanus_http.so" \
         "$STATE/lib/transports/"
  local f
  for f in janus janus.transport.websockets janus.transport.http janus.plugin.videoroom; do
    sed -e "s|@STATE@|$STATE|g" -e "s|@API_SECRET@|$API_SECRET|g" -e "s|@ADMIN_SECRET@|$ADMIN_SECRET|g" \
        -e "s|@ROOM_KEY@|$ROOM_KEY|g" -e "s|@RTP_PORTS@|$RTP_PORTS|g" -e "s|@ICE_IF@|$ICE_IF|g" \
        -e "s|@WS_PORT@|$WS_PORT|g" -e "s|@HTTP_PORT@|$HTTP_PORT|g" -e "s|@ADMIN_PORT@|$ADMIN_PORT|g" \
        "$ROOT/engines/janus/$f.jcfg.in" >"$STATE/conf/$f.jcfg"
    chmod 0600 "$STATE/conf/$f.jcfg"
  done
}

janus_start() {
  # Read first, then look: grep -q ending early would fail the pipe (pipefail) now and then.
  local addresses
  addresses="$(ip -o addr show dev "$ICE_IF" 2>/dev/null || true)"
  if ! grep -q ' 127\.0\.0\.2/' <<<"$addresses"; then
    echo "engines: no $ICE_IF with 127.0.0.2 here; run Janus inside scripts/netns.sh run …" >&2
    exit 1
  fi
  ports_free "$WS_PORT" "$HTTP_PORT" "$ADMIN_PORT"
  janus_config
  setsid /usr/bin/janus -F "$STATE/conf" -C "$STATE/conf/janus.jcfg" -L "$STATE/log/janus.log" -N -o \
      >"$STATE/log/foreground.log" 2>&1 </dev/null &
  echo $! >"$STATE/pid"
  await_ports Janus "$STATE/log/janus.log" "$WS_PORT" "$HTTP_PORT" "$ADMIN_PORT"
  echo "janus ws=$WS_PORT http=$HTTP_PORT admin=$ADMIN_PORT"
}

case "$CMD:$ENGINE" in
  start:ejabberd) ejabberd_setup; ejabberd_start ;;
  start:janus) janus_setup; janus_start ;;
  stop:ejabberd|stop:janus) stop_group ;;
  *) usage ;;
esac
