#!/usr/bin/env bash
# A start that cannot prepare the default data source (its database is damaged), on a private X display.
# Started from the desktop's menu (the installed entry, launched as a desktop launches it), the launcher
# shows a window with the reason and the file, ends once it is answered and leaves no process; the
# damaged file is left as it is. Started from a terminal it prints the reason and shows no window. A
# missing program is shown the same way, and scripts/start of a checkout shows the window too. The
# window is found by its title and read through what Ctrl+C copies.
#   start_failure_window.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD="$1"
SRC="$2"
source "$(dirname -- "$0")/harness.sh"

for tool in Xvfb gio xdotool xclip; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb libglib2.0-bin xdotool xclip)"; exit 1; }
done
PREFIX="$TMP/my prefix"
cmake --install "$BUILD" --prefix "$PREFIX" >"$TMP/install.log" 2>&1 || { cat "$TMP/install.log"; exit 1; }
entry="$PREFIX/share/applications/fitmarkel.desktop"

# The display: the server writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$TMP/display" 2>/dev/null &
pids+=("$!")
for _ in $(seq 1 100); do [ -s "$TMP/display" ] && break; sleep 0.1; done
[ -s "$TMP/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n 1 "$TMP/display")" QT_QPA_PLATFORM=xcb
unset XAUTHORITY

# A user with no data source vemka but the default one, whose database is damaged.
sysini="$TMP/sysini"
mkdir -p "$sysini"
cp /etc/odbcinst.ini "$sysini/odbcinst.ini"
: >"$sysini/odbc.ini"
home="$TMP/home"
data="$home/.local/share/fitmarkel"
mkdir -p "$data"
echo "not a database" >"$data/vemka.db"
as_user=(env -u ODBCINI -u XDG_DATA_HOME -u FITMARKEL_DATA_HOME ODBCSYSINI="$sysini" HOME="$home")

# Waits (up to 20 s) for the window titled Fitmarkel and copies its text into $TMP/window (within 5 s).
read_window() {
  local id="" pid
  for _ in $(seq 1 200); do
    id="$(xdotool search --onlyvisible --name '^Fitmarkel$' 2>/dev/null | head -n 1)"
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || return 1
  pid="$(xdotool getwindowpid "$id")" && pids+=("$pid")
  xdotool windowfocus --sync "$id" key ctrl+c
  for _ in $(seq 1 50); do
    xclip -o -selection clipboard >"$TMP/window" 2>/dev/null && [ -s "$TMP/window" ] && return 0
    sleep 0.1
  done
  return 1
}
# Whether a process runs whose command line holds the text.
running() { # text
  local f arguments
  for f in /proc/[0-9]*/cmdline; do
    mapfile -d '' arguments <"$f" 2>/dev/null || continue
    [[ "${arguments[*]}" == *"$1"* ]] && return 0
  done
  return 1
}
# A window's case: its text holds each string expected; answered with Enter, it ends the start and no
# process whose command line holds the path given is left (within 10 s).
shown() { # case path expected...
  local name="$1" path="$2" missing=() expected
  shift 2
  if ! read_window; then
    fail "$name: no window, or nothing copied from it; printed: $(cat "$TMP/printed")"
    return
  fi
  for expected in "$@"; do
    grep -qF -- "$expected" "$TMP/window" || missing+=("'$expected'")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    fail "$name: the window lacks ${missing[*]}: $(cat "$TMP/window")"
    return
  fi
  xdotool key Return
  for _ in $(seq 1 100); do
    running "$path" || { pass "$name"; return; }
    sleep 0.1
  done
  fail "$name: a process is left after the window was answered"
}

reason="the database $data/vemka.db cannot be used: file is not a database"

"${as_user[@]}" gio launch "$entry" >"$TMP/printed" 2>&1 </dev/null
shown "from the menu, the damaged database is shown in a window" "$PREFIX" "Fitmarkel" "$reason"
[ "$(cat "$data/vemka.db")" = "not a database" ] && [ ! -e "$data/odbc.ini" ] \
  && pass "the damaged database is left as it is, no odbc.ini made" || fail "the data folder changed: $(ls -l "$data")"

# From a terminal: printed, and no window waits for an answer.
"${as_user[@]}" timeout 20 "$PREFIX/bin/fitmarkel" >"$TMP/printed" 2>&1 </dev/null
status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 124 ] && grep -qF -- "$reason" "$TMP/printed" \
  && [ -z "$(xdotool search --name '^Fitmarkel$' 2>/dev/null)" ]; then
  pass "from a terminal, the reason is printed and no window shown"
else
  fail "from a terminal (status $status): $(cat "$TMP/printed")"
fi

# scripts/start of a checkout, told that it was started from the menu.
"${as_user[@]}" FITMARKEL_FROM_MENU=1 bash "$SRC/scripts/start" "$BUILD/src/app/fitmarkel" >"$TMP/printed" 2>&1 </dev/null &
pids+=("$!")
shown "scripts/start from the menu shows the window" "$BUILD/src/app/fitmarkel" "$reason"

# The program itself missing from the installation.
rm -f "$data/vemka.db"
program="$PREFIX/libexec/fitmarkel/fitmarkel"
mv "$program" "$TMP/moved"
"${as_user[@]}" gio launch "$entry" >"$TMP/printed" 2>&1 </dev/null
shown "from the menu, a missing program is shown in a window" "$PREFIX" "Cannot start $program"

[ "$failures" -eq 0 ]
