#!/usr/bin/env bash
# Runs the include check on the source tree (must pass), then on small trees with one planted
# include each (must fail and name the file, or pass where the table allows the include).
set -uo pipefail
# shellcheck source=checkrun.sh
source "$(dirname "${BASH_SOURCE[0]}")/checkrun.sh"

# plant <file> <include> <expect: refused|allowed>
plant() {
  local file="$1" header="$2" expect="$3" tree="$scratch/$RANDOM$RANDOM"
  mkdir -p "$tree/$(dirname "$file")" "$tree/$(dirname "$header")"
  printf '#include "%s"\n#include <QString>\n' "$header" > "$tree/$file"
  touch "$tree/$header"
  local out rc
  out="$(bash "$CHECK" "$tree" 2>&1)"; rc=$?
  if [ "$expect" = refused ]; then
    [ $rc -ne 0 ] || fail "$file including $header passed"
    grep -q "^$file:1: .* may not include $header\$" <<<"$out" || fail "no line for $file: $out"
  else
    [ $rc -eq 0 ] || fail "$file including $header was refused: $out"
  fi
}

plant core/settingsstore.cpp widgets/qtmessagebox.h refused
plant sdk/live/livesdk.cpp core/deployment.h refused
plant sdk/net/hubclient.h service/hub/hub.h refused
plant service/hub/hub.cpp sdk/net/hubclient.h refused
plant classroom/mainform.cpp shell/browserwindow.h refused
plant shell/browserwindow.cpp classroom/mainform.h refused
plant widgets/popwindow.cpp classroom_widgets/qtbubble.h refused
plant protocol/protocol.h core/log.h refused
plant teacher/main.cpp classroom/mainform.h refused
plant sdk/media/videosender.cpp sdk/net/hubclient.h refused
plant sdk/media/videoreceiver.cpp sdk/live/ilive.h refused
plant sdk/net/hubclient.cpp sdk/media/vp8encoder.h refused
plant sdk/net/xmpp/xmppimtransport.cpp sdk/net/hubclient.h refused
plant sdk/net/hubclient.cpp sdk/net/xmpp/xmppimtransport.h refused
plant sdk/net/websockettransport.h sdk/net/xmpp/xmpppayload.h refused

plant shell/browserwindow.cpp classroom/classroomseam.h allowed
plant messaging/classsend.cpp protocol/protocol.h allowed
plant classroom/mainform.cpp av/audiohelper.h allowed
plant tests/support/inprocesstransport.cpp service/hub/hub.h allowed
plant teacher/main.cpp sdk/live/ilive.h allowed
plant sdk/live/mediaengine.cpp sdk/media/videosender.h allowed
plant sdk/media/voicesender.cpp protocol/mediaframe.h allowed
plant sdk/net/xmpp/xmppimtransport.h sdk/net/imtransport.h allowed
plant sdk/net/hubimtransport.h sdk/net/imtransport.h allowed
plant sdk/live/imroute.cpp sdk/net/xmpp/xmppimtransport.h allowed

[ $failed -eq 0 ] && echo "include layers: all checks passed"
exit $failed
