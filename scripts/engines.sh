#!/usr/bin/env bash
# Starts and stops the open engines a deployment may use instead of the hub. For now: ejabberd,
# for IM, on loopback ports, with its spool, logs and configuration in one state folder, no
# epmd, and Erlang distribution on 127.0.0.1.
#
#   scripts/engines.sh start <state-dir>    prints "ejabberd c2s=<port> api=<port> host=<host>"
#   scripts/engines.sh stop <state-dir>
#
# Values (environment): EJABBERD_HOST (tarnwick.local), EJABBERD_C2S_PORT (15222),
# EJABBERD_API_PORT (15280), EJABBERD_DIST_PORT (15370), EJABBERD_SECRET (the service account's
# password for the HTTP API), EJABBERD_JWT_SECRET (the HS256 key the service signs tokens with).
# The two secrets default to fixed demo values: set both, and give them to tarnwick-local.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CMD="${1:-}"
STATE="${2:-}"
[ -n "$CMD" ] && [ -n "$STATE" ] || { echo "usage: $0 start|stop <state-dir>" >&2; exit 2; }

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

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

base64url() { base64 -w0 | tr '+/' '-_' | tr -d '='; }

write_config() {
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

start() {
  for p in "$C2S_PORT" "$API_PORT" "$DIST_PORT"; do
    if port_open "$p"; then echo "engines: port $p is already in use" >&2; exit 1; fi
  done
  write_config
  # Its own session: stop ends exactly this process group.
  setsid "${CTL[@]}" foreground >"$STATE/log/foreground.log" 2>&1 </dev/null &
  echo $! >"$STATE/pid"
  local up=0
  for _ in $(seq 1 300); do
    if port_open "$C2S_PORT" && port_open "$API_PORT"; then up=1; break; fi
    kill -0 "$(cat "$STATE/pid")" 2>/dev/null || break
    sleep 0.1
  done
  if [ "$up" != 1 ]; then
    echo "engines: ejabberd did not start; see $STATE/log" >&2
    tail -20 "$STATE/log/foreground.log" >&2 || true
    stop
    exit 1
  fi
  # The service's own account, with which it uses the HTTP API.
  if ! "${CTL[@]}" register service "$HOST" "$SECRET" >/dev/null 2>&1; then
    "${CTL[@]}" unregister service "$HOST" >/dev/null
    "${CTL[@]}" register service "$HOST" "$SECRET" >/dev/null
  fi
  echo "ejabberd c2s=$C2S_PORT api=$API_PORT host=$HOST"
}

stop() {
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

case "$CMD" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop <state-dir>" >&2; exit 2 ;;
esac
