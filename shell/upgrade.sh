#!/bin/sh
# Stand-in for the separate upgrade program: the client starts it with the download address
# and quits. It records the request in the client's log folder (TARNWICK_LOG_DIR, which the
# client sets; the folder "log" beside this program when started by hand) so that the flow
# can be seen.
dir="$(cd "$(dirname "$0")" && pwd)"
logdir="${TARNWICK_LOG_DIR:-$dir/log}"
mkdir -p "$logdir"
line="$(date '+%Y-%m-%d %H:%M:%S') upgrade requested: url=$1"
echo "$line" >>"$logdir/upgrade.txt"
echo "$line"
