#!/bin/sh
# Stand-in for the separate upgrade program: the client starts it with the download address
# and the download's SHA-256 from a signed manifest, and quits. It records the request in the
# client's log folder (TARNWICK_LOG_DIR, which the client sets; the folder "log" beside this
# program when started by hand) so that the flow can be seen; without a well-formed hash it
# refuses.
dir="$(cd "$(dirname "$0")" && pwd)"
logdir="${TARNWICK_LOG_DIR:-$dir/log}"
mkdir -p "$logdir"
case "$2" in
  *[!0-9a-f]* | "") ok=0 ;;
  *) [ "${#2}" -eq 64 ] && ok=1 || ok=0 ;;
esac
if [ "$ok" -ne 1 ]; then
  line="$(date '+%Y-%m-%d %H:%M:%S') upgrade refused: no SHA-256 to check url=$1 against"
  echo "$line" >>"$logdir/upgrade.txt"
  echo "$line" >&2
  exit 2
fi
line="$(date '+%Y-%m-%d %H:%M:%S') upgrade requested: url=$1 sha256=$2"
echo "$line" >>"$logdir/upgrade.txt"
echo "$line"
