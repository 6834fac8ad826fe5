#!/usr/bin/env bash
# The private network namespace Janus runs in: its network, the command's exit code passed on,
# nothing left behind when the command ends; and Janus started, answering and stopped in it by
# engines.sh, which refuses to start it anywhere else.
set -uo pipefail
ROOT="$1"
NETNS="$ROOT/scripts/netns.sh"
ENGINES="$ROOT/scripts/engines.sh"
failed=0
fail() { echo "FAIL: $*"; failed=1; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Inside: loopback and 127.0.0.2/32 on jv0, no other IPv4 address.
out="$(bash "$NETNS" run bash -c 'ip -o -4 addr show; echo "ns=$TARNWICK_NETNS"')" || fail "run failed: $out"
grep -q '^[0-9]*: lo .*inet 127.0.0.1/8' <<<"$out" || fail "no loopback: $out"
grep -q '^[0-9]*: jv0 .*inet 127.0.0.2/32' <<<"$out" || fail "no 127.0.0.2 on jv0: $out"
[ "$(grep -c ' inet ' <<<"$out")" -eq 2 ] || fail "other addresses inside: $out"
grep -q '^ns=jv0$' <<<"$out" || fail "TARNWICK_NETNS is not set inside: $out"

# The command's exit code comes through, and what it left running ends with the namespace.
probe="tarnwick-netns-probe-$$-$RANDOM"
bash "$NETNS" run bash -c "(exec -a $probe sleep 300) & exit 7"
rc=$?
[ "$rc" -eq 7 ] || fail "exit code $rc instead of 7"
for _ in $(seq 1 20); do pgrep -f "$probe" >/dev/null || break; sleep 0.1; done
if pgrep -f "$probe" >/dev/null; then fail "a process outlived its namespace"; fi

# Dropping packets is for the namespace only.
if bash "$NETNS" loss 10 2>/dev/null; then fail "loss outside a namespace was accepted"; fi
# Inside, every share up to all: at 100 % every UDP packet that arrives is dropped (the rule's
# counter sees all 20), and 0 takes the rule away.
# shellcheck disable=SC2016
out="$(bash "$NETNS" run bash -c '
  bash "$1" loss 10 || echo "loss 10 refused"
  bash "$1" loss 100 || echo "loss 100 refused"
  for _ in $(seq 1 20); do echo probe > /dev/udp/127.0.0.2/25999; done
  nft list table inet tarnwick_loss
  bash "$1" loss 0
  nft list tables' _ "$NETNS" 2>&1)"
grep -q 'refused' <<<"$out" && fail "loss refused: $out"
grep -q 'meta l4proto udp counter packets 20 bytes [0-9]* drop' <<<"$out" || fail "not every packet dropped at 100 %: $out"
[ "$(grep -c 'tarnwick_loss' <<<"$out")" -eq 1 ] || fail "the rule outlived loss 0: $out"

# Janus: refused outside, where its ICE would find no address.
if out="$(bash "$ENGINES" start "$scratch/outside" janus 2>&1)"; then
  fail "Janus started outside a namespace: $out"
  bash "$ENGINES" stop "$scratch/outside" janus
fi
grep -q 'netns.sh' <<<"$out" || fail "the refusal does not name netns.sh: $out"

# Inside: started on the ports asked for, answering on its HTTP API, and gone after stop.
# shellcheck disable=SC2016
out="$(JANUS_HTTP_PORT=25088 JANUS_WS_PORT=25188 JANUS_ADMIN_PORT=25089 bash "$NETNS" run bash -c '
  bash "$1" start "$2" janus || exit 1
  # A second Janus on the same ports is refused for them, never for a missing ICE address
  # (which a check that reads only part of ip'"'"'s output reported now and then).
  for _ in $(seq 1 30); do bash "$1" start "$2-again" janus 2>&1 | grep -v "already in use"; done
  exec 3<>/dev/tcp/127.0.0.1/25088
  body="{\"janus\":\"info\",\"transaction\":\"t\"}"
  printf "POST /janus HTTP/1.0\r\nContent-Type: application/json\r\nContent-Length: %d\r\n\r\n%s" "${#body}" "$body" >&3
  timeout 5 cat <&3
  exec 3<&-
  bash "$1" stop "$2" janus
  (exec 3<>/dev/tcp/127.0.0.1/25188) 2>/dev/null && echo "still listening"
  [ -f "$2/pid" ] && echo "pid file left"
  true' _ "$ENGINES" "$scratch/janus" 2>&1)" || fail "Janus in the namespace: $out"
grep -q '^janus ws=25188 http=25088 admin=25089$' <<<"$out" || fail "no ready line: $out"
grep -q '"janus":"server_info"' <<<"$out" || fail "Janus did not answer: $out"
grep -q '"videoroom"\|janus.plugin.videoroom' <<<"$out" || fail "no VideoRoom loaded: $out"
grep -q 'janus.plugin.echotest\|janus.plugin.streaming' <<<"$out" && fail "plugins beyond VideoRoom loaded: $out"
grep -q 'still listening\|pid file left' <<<"$out" && fail "stop left Janus behind: $out"
grep -q 'no jv0' <<<"$out" && fail "the ICE address was missed: $out"

[ "$failed" -eq 0 ] && echo "PASS"
exit "$failed"
