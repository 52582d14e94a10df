#!/usr/bin/env bash
# The real executable on a virtual display, on a data source made by scripts/setup-data in a folder of
# its own: it starts, shows the splash and then the start window, and ends with status 0 when the start
# window's exit button is clicked; a second run logs in, re-logs in and exits from the keyboard.
# Not part of CTest: it needs xvfb-run and xdotool (apt-get install xvfb xdotool).
#   tests/e2e/real_program_smoke.sh [path/to/fitmarkel]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="${1:-$ROOT/build/src/app/fitmarkel}"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$BIN"
fi
for tool in xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool"; exit 2; }
done

export FITMARKEL_DATA_HOME="$(mktemp -d)"
trap 'rm -rf "$FITMARKEL_DATA_HOME"' EXIT
bash "$ROOT/scripts/setup-data" >/dev/null
export ODBCINI="$FITMARKEL_DATA_HOME/odbc.ini"

window() { # title: the id of the visible window, or nothing after 10 s
  local id
  for _ in $(seq 1 40); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)"
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.25
  done
}
ended() { # pid: waits up to 5 s for the program to end and prints its status
  for _ in $(seq 1 20); do kill -0 "$1" 2>/dev/null || break; sleep 0.25; done
  if kill -0 "$1" 2>/dev/null; then kill "$1"; echo "still running"; return 1; fi
  local status=0
  wait "$1" || status=$?
  echo "status $status"
  [ "$status" = 0 ]
}

# 1. Start window, then its exit button "退出(&X)" (x 1143, y 312, 361 × 100 units).
"$BIN" & pid=$!
start="$(window 登录管理系统)"
[ -n "$start" ] || { echo "no start window"; kill "$pid"; exit 1; }
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$start")"
xdotool mousemove $((X + 1323 * 7 / 32)) $((Y + 362 / 4)) click 1
ended "$pid"

# 2. Alt+L logs in, Alt+I re-logs in, Alt+L again, Alt+X exits from the frame.
"$BIN" & pid=$!
[ -n "$(window 登录管理系统)" ] && sleep 0.3 && xdotool key alt+l
[ -n "$(window CorvanelFitmarkel)" ] && sleep 0.5 && xdotool key alt+i
sleep 0.5
[ -n "$(window 登录管理系统)" ] && xdotool key alt+l
[ -n "$(window CorvanelFitmarkel)" ] && sleep 0.5 && xdotool key alt+x
ended "$pid"
echo "real program: OK"
