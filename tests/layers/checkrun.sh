# Sourced by the tests of the source checks: CHECK (the check script) and SOURCE (the tree)
# from the arguments, fail() and $failed, the check run on the real tree (which must pass), and
# $scratch, a folder for planted trees that goes at exit.
CHECK="$1"
SOURCE="$2"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

if ! out="$(bash "$CHECK" "$SOURCE" 2>&1)"; then
  fail "the source tree fails $(basename "$CHECK"):"; echo "$out"
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
