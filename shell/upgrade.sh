#!/bin/sh
# Stand-in for the separate upgrade program: the client starts it with the download address
# and quits. It records the request in the client's log folder so that the flow can be seen.
dir="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$dir/log"
line="$(date '+%Y-%m-%d %H:%M:%S') upgrade requested: url=$1"
echo "$line" >>"$dir/log/upgrade.txt"
echo "$line"
