#!/usr/bin/env bash
# Fails when a source file includes a header from a folder its own folder may not use.
# The allowed uses are the folder table of the house plan, written out with what each folder
# reaches through the folders it uses (messaging may include protocol/ because sdk/ does).
# Usage: scripts/check-includes.sh [source-root]
set -euo pipefail
ROOT="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

declare -A ALLOWED=(
  [resources]=""
  [core]=""
  [widgets]="core resources"
  [net]="core"
  [protocol]=""
  [sdk]="protocol"
  [messaging]="core sdk protocol"
  [av]="core widgets sdk resources protocol"
  [whiteboard]="core widgets messaging sdk resources protocol"
  [classroom_widgets]="core widgets resources"
  [screenshot]="core widgets resources"
  [classroom]="resources core widgets net protocol sdk messaging av whiteboard classroom_widgets screenshot"
  [shell]="resources core widgets net protocol sdk messaging av whiteboard classroom_widgets screenshot"
  [service]="protocol core"
  [teacher]="protocol sdk core net messaging av whiteboard widgets classroom_widgets screenshot resources"
)
# Inside sdk/: the media pipeline knows no transport and nothing that uses it; the transports
# under net/ know no media; the live, IM and whiteboard libraries use both.
declare -A SDK_ALLOWED=(
  [media]="media"
  [net]="net"
  [im]="im net media"
  [live]="live im net media"
  [board]="board im net media"
)
# The shell and the classroom meet through interfaces the classroom declares; the shell may
# include those headers and nothing else of classroom/.
SHELL_SEAM_HEADERS="classroom/classroomseam.h"
# app/, tests/ and bench/ tie everything together and may use any folder.
FREE_FOLDERS="app tests bench"

# Inside sdk/net each transport knows no other: the hub's files (the seam headers aside),
# sdk/net/xmpp/ and sdk/net/webrtc/ never include each other.
SDK_NET_SEAMS="sdk/net/imtransport.h sdk/net/mediatransport.h"
transport_of() {
  case "$1" in
    sdk/net/xmpp/*) echo xmpp ;;
    sdk/net/webrtc/*) echo webrtc ;;
    sdk/net/*) case " $SDK_NET_SEAMS " in *" $1 "*) echo seam ;; *) echo hub ;; esac ;;
    *) echo none ;;
  esac
}

transport_allowed() {
  local from to
  from="$(transport_of "$1")"
  to="$(transport_of "$2")"
  [ "$from" = none ] || [ "$to" = none ] || [ "$to" = seam ] || [ "$from" = "$to" ] || [ "$from" = seam ]
}

# The folder a file belongs to: its first path component; service/hub is part of service.
folder_of() { echo "${1%%/*}"; }

# The part of sdk/ a path lies in (sdk/media/x.h -> media).
sdk_part() { local rest="${1#sdk/}"; echo "${rest%%/*}"; }

allowed() {
  local from="$1" to="$2" header="$3" file="$4"
  if [ "$from" = sdk ] && [ "$to" = sdk ]; then
    case " ${SDK_ALLOWED[$(sdk_part "$file")]-} " in *" $(sdk_part "$header") "*) return 0 ;; esac
    return 1
  fi
  [ "$from" = "$to" ] && return 0
  case " $FREE_FOLDERS " in *" $from "*) return 0 ;; esac
  case " ${ALLOWED[$from]-} " in *" $to "*) return 0 ;; esac
  if [ "$from" = shell ] && [ "$to" = classroom ]; then
    case " $SHELL_SEAM_HEADERS " in *" $header "*) return 0 ;; esac
  fi
  return 1
}

cd "$ROOT"
failures=0
checked=0
while IFS= read -r file; do
  from="$(folder_of "$file")"
  [ -n "${ALLOWED[$from]+set}" ] || case " $FREE_FOLDERS " in *" $from "*) ;; *) continue ;; esac
  while IFS=: read -r line header; do
    to="$(folder_of "$header")"
    # Only includes of our own folders are checked; Qt and system headers are not ours.
    [ -n "${ALLOWED[$to]+set}" ] || continue
    checked=$((checked + 1))
    if ! allowed "$from" "$to" "$header" "$file"; then
      echo "$file:$line: $from/ may not include $header"
      failures=$((failures + 1))
    elif ! transport_allowed "$file" "$header"; then
      echo "$file:$line: the $(transport_of "$file") transport may not include $header"
      failures=$((failures + 1))
    fi
  done < <(grep -n -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+"' "$file" \
             | sed -E 's/^([0-9]+):.*"([^"]+)"/\1:\2/')
done < <(find . -path ./build -prune -o -path './build-*' -prune -o -path ./.git -prune -o \
           -type f \( -name '*.h' -o -name '*.cpp' \) -print | sed 's|^\./||' | sort)

if [ "$failures" -gt 0 ]; then
  echo "check-includes: $failures include(s) cross a folder boundary the house plan does not allow"
  exit 1
fi
echo "check-includes: $checked includes of our folders, all allowed"
