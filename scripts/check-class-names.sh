#!/usr/bin/env bash
# Fails when two headers of the program's folders define a class or struct of the same name in
# the same namespace: a program that links both libraries would break the one-definition rule
# without a word from the linker (inline members, vtables and type info of the two clash).
# Usage: scripts/check-class-names.sh [source-root]
set -euo pipefail
ROOT="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$ROOT"
# Tests and benchmarks make programs of their own; the build tree is not source.
mapfile -t headers < <(find . -name '*.h' -not -path './build*' -not -path './tests/*' -not -path './bench/*' \
                         -not -path './.git/*' | sort)
[ ${#headers[@]} -gt 0 ] || exit 0
# Each definition at the top of its namespace as "namespace::Name<TAB>file:line".
defs="$(awk '
  FNR == 1 { depth = 0 }
  /^namespace [A-Za-z_][A-Za-z0-9_:]* *\{/ { ns[++depth] = $2; next }
  /^} *\/\/ *namespace/ { if (depth > 0) depth--; next }
  /^(class|struct) [A-Za-z_][A-Za-z0-9_]*( final)? *(:|\{|$)/ {
    name = $2; sub(/[:{].*/, "", name)
    q = ""; for (i = 1; i <= depth; i++) q = q ns[i] "::"
    printf "%s%s\t%s:%d\n", q, name, substr(FILENAME, 3), FNR
  }' "${headers[@]}")"
twice="$(cut -f1 <<<"$defs" | sort | uniq -d)"
[ -z "$twice" ] && exit 0
while read -r name; do
  echo "$name is defined more than once:"
  awk -F'\t' -v n="$name" '$1 == n { print "  " $2 }' <<<"$defs"
done <<<"$twice"
exit 1
