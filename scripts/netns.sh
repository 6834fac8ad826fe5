#!/usr/bin/env bash
# A private network namespace for Janus and the class's processes. Janus's ICE (libnice) skips
# loopback interfaces, so inside the namespace loopback is up and one end of a veth pair holds
# 127.0.0.2/32 as the address ICE gathers on; Janus and the clients both use it (mixing
# 127.0.0.1 and 127.0.0.2 as ICE addresses fails). Needs root (CI runs as root).
#
#   scripts/netns.sh run <command> [args…]   runs the command inside a new namespace; when it
#                                            ends, every process left in the namespace ends too
#                                            and the namespace and its interfaces are gone
#   scripts/netns.sh loss <percent>          inside such a namespace: drops that share of the
#                                            UDP packets arriving there (0 removes the rule)
#
# The namespace has its own process-id space as well: its first process is the command's
# parent, and the kernel ends everything in the namespace when that one ends. Packet loss uses
# an nftables rule, because this kernel has no netem queueing discipline.
#
# Values (environment): TARNWICK_NETNS_IF (jv0, the ICE interface), TARNWICK_NETNS_ADDR
# (127.0.0.2). Inside, TARNWICK_NETNS is set to the interface's name.
set -euo pipefail
IF="${TARNWICK_NETNS_IF:-jv0}"
ADDR="${TARNWICK_NETNS_ADDR:-127.0.0.2}"
LOSS_TABLE=tarnwick_loss

usage() { echo "usage: $0 run <command> [args…] | loss <percent>" >&2; exit 2; }

# Runs as the namespace's first process: sets the network up, then waits for the command so
# that the namespace lives exactly as long as it does.
inside() {
  ip link set lo up
  ip link add "$IF" type veth peer name "${IF}p"
  ip addr add "$ADDR/32" dev "$IF"
  ip link set "$IF" up
  ip link set "${IF}p" up
  export TARNWICK_NETNS="$IF"
  "$@" &
  local child=$!
  # The first process of a namespace gets no signal it has no handler for: pass them on.
  trap 'kill -TERM "$child" 2>/dev/null || true' TERM INT HUP
  local rc=0
  while true; do
    wait "$child" && rc=0 || rc=$?
    kill -0 "$child" 2>/dev/null || break
  done
  return "$rc"
}

loss() {
  local pct="$1"
  [[ "$pct" =~ ^[0-9]+$ ]] && [ "$pct" -le 100 ] || usage
  [ -n "${TARNWICK_NETNS:-}" ] || { echo "netns: loss works only inside scripts/netns.sh run" >&2; exit 1; }
  nft delete table inet "$LOSS_TABLE" 2>/dev/null || true
  [ "$pct" -eq 0 ] && return 0
  nft add table inet "$LOSS_TABLE"
  nft add chain inet "$LOSS_TABLE" input '{ type filter hook input priority 0; }'
  # numgen's "< 100" is out of its range: all packets go without it. The counter shows what went.
  if [ "$pct" -eq 100 ]; then
    nft add rule inet "$LOSS_TABLE" input meta l4proto udp counter drop
  else
    nft add rule inet "$LOSS_TABLE" input meta l4proto udp numgen random mod 100 "< $pct" counter drop
  fi
}

case "${1:-}" in
  run)
    shift
    [ $# -gt 0 ] || usage
    # When this script is ended, the namespace's first process gets SIGTERM and passes it on, so
    # the command cleans up; whatever is left then ends with the namespace.
    exec unshare --net --pid --fork --kill-child=SIGTERM --mount-proc bash "${BASH_SOURCE[0]}" __inside "$@"
    ;;
  __inside) shift; inside "$@" ;;
  loss) loss "${2:-}" ;;
  *) usage ;;
esac
