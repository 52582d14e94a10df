# Sourced by the install tests: a private folder and the processes started, both gone at the end, and the
# count of failed checks (the test passes when it stays 0).
TMP="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$TMP"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }
