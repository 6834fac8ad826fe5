#!/usr/bin/env bash
# Sourced by run.sh and test.sh: gives the program a display and sound devices when the
# machine has none, and cleans them up on exit.
#   - an Xvfb server when DISPLAY is unset
#   - a private PulseAudio daemon with a null sink and a null source (both default)
#   - browser-engine settings for a machine without network or GPU

SESSION_DIR="$(mktemp -d /tmp/tarnwick-session.XXXXXX)"
SESSION_PIDS=()

session_cleanup() {
  for pid in "${SESSION_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SESSION_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$SESSION_DIR"
}
trap session_cleanup EXIT

session_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${TARNWICK_SCREEN:-1600x1000x24}" -nolisten tcp >"$SESSION_DIR/xvfb.log" 2>&1 &
    SESSION_PIDS+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    echo "session: Xvfb :$n did not start" >&2
    cat "$SESSION_DIR/xvfb.log" >&2
    exit 1
  done
}

session_start_audio() {
  local sock="$SESSION_DIR/pulse/native"
  mkdir -p "$SESSION_DIR/pulse"
  cat >"$SESSION_DIR/pulse/default.pa" <<PA
load-module module-native-protocol-unix socket=$sock auth-anonymous=1
load-module module-null-sink sink_name=tarnwick_sink sink_properties=device.description=TarnwickSpeaker
load-module module-null-source source_name=tarnwick_source description=TarnwickMicrophone
set-default-sink tarnwick_sink
set-default-source tarnwick_source
PA
  HOME="$SESSION_DIR" XDG_RUNTIME_DIR="$SESSION_DIR/pulse" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disallow-exit --use-pid-file=no --system=false -F "$SESSION_DIR/pulse/default.pa" \
    >"$SESSION_DIR/pulse.log" 2>&1 &
  SESSION_PIDS+=($!)
  export PULSE_SERVER="unix:$sock"
  for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && return; sleep 0.1; done
  echo "session: PulseAudio did not start" >&2
  cat "$SESSION_DIR/pulse.log" >&2
  exit 1
}

session_browser_env() {
  export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --disable-component-update ${QTWEBENGINE_CHROMIUM_FLAGS:-}"
  if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
}
