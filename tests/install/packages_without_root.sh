#!/usr/bin/env bash
# scripts/run and scripts/test on a machine that lacks packages, started by a user who is not root and
# has no sudo, or a sudo that does not work: each stops at once, names the missing packages and the one
# apt-get command to run as root, and exits non-zero; nothing is installed and nothing is built.
#   packages_without_root.sh SOURCE_DIR
set -uo pipefail
SRC="$1"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
failures=0

# A PATH with only what the scripts need before they install, a user id that is not 0, no package
# installed, and apt-get, cmake and sudo that note each call.
tools="$TMP/bin"
mkdir -p "$tools"
for t in bash dirname basename grep; do ln -s "$(command -v "$t")" "$tools/$t"; done
printf '#!/bin/sh\n[ "$1" = -u ] && echo 1000 || echo "uid=1000(operator)"\n' > "$tools/id"
printf '#!/bin/sh\nexit 1\n' > "$tools/dpkg-query"
for t in apt-get cmake; do printf '#!/bin/sh\necho "%s $*" >> "%s/called"\n' "$t" "$TMP" > "$tools/$t"; done
chmod +x "$tools"/*

# shellcheck disable=SC1090
packages() { (source "$SRC/scripts/lib.sh"; eval "echo \${$1[*]}"); }
run_packages="$(packages RUN_PACKAGES)"
test_packages="$(packages TEST_PACKAGES)"

check() { # case script expected-packages
  local name="$1" script="$2" expected="$3" out status
  rm -f "$TMP/called"
  out="$(PATH="$tools" bash "$SRC/scripts/$script" </dev/null 2>&1)"
  status=$?
  local problems=()
  [ "$status" -ne 0 ] || problems+=("exit status 0")
  grep -qxF "    apt-get install $expected" <<<"$out" || problems+=("no line 'apt-get install $expected'")
  grep -qF "These packages are missing: $expected." <<<"$out" || problems+=("the missing packages are not named")
  grep -q "root" <<<"$out" || problems+=("root is not mentioned")
  [ ! -e "$TMP/called" ] || problems+=("it went on: $(cat "$TMP/called")")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "PASS: $name"
  else
    echo "FAIL: $name: ${problems[*]} (status $status)"
    echo "$out" | sed 's/^/    | /'
    failures=$((failures + 1))
  fi
}

check "run without sudo" run "$run_packages"
check "test without sudo" test "$run_packages $test_packages"
# A sudo that asks for a password where nobody can type it: asking whether it works is no harm.
printf '#!/bin/sh\ncase "$1" in -n|-v) exit 1;; esac\necho "sudo $*" >> "%s/called"\nexit 1\n' "$TMP" > "$tools/sudo"
chmod +x "$tools/sudo"
check "run with a sudo that does not work" run "$run_packages"
check "test with a sudo that does not work" test "$run_packages $test_packages"

[ "$failures" -eq 0 ]
