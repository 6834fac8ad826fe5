#!/usr/bin/env bash
# Runs the class-name check on the source tree (must pass), then on small trees: one class
# defined in two folders (must fail and name both files), and one name in two namespaces, or
# once in the program and once in tests (must pass).
set -uo pipefail
# shellcheck source=checkrun.sh
source "$(dirname "${BASH_SOURCE[0]}")/checkrun.sh"
tree() { local t="$scratch/$1"; mkdir -p "$t"; echo "$t"; }
write() { mkdir -p "$(dirname "$1")"; printf '%b' "$2" > "$1"; }

t="$(tree twice)"
write "$t/shell/chatview.h" '#pragma once\nclass ChatView : public QWidget {\n};\n'
write "$t/teacher/console/chatview.h" '#pragma once\n#include <QWidget>\n\nclass ChatView final : public QWidget {\n};\n'
out="$(bash "$CHECK" "$t" 2>&1)" && fail "the same class in two folders passed"
grep -q '^ChatView is defined more than once' <<<"$out" || fail "no line for ChatView: $out"
grep -q '^  shell/chatview.h:2$' <<<"$out" && grep -q '^  teacher/console/chatview.h:4$' <<<"$out" ||
  fail "the two places are not named: $out"

t="$(tree namespaces)"
write "$t/protocol/message.h" 'namespace hubproto {\nstruct Message {\n};\n} // namespace hubproto\n'
write "$t/sdk/im/message.h" 'namespace im {\nstruct Message {\n};\n} // namespace im\nclass Message;\n'
write "$t/tests/support/message.h" 'struct Message {\n};\n'
out="$(bash "$CHECK" "$t" 2>&1)" || fail "names in different namespaces were refused: $out"

exit $failed
