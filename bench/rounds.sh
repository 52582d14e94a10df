#!/usr/bin/env bash
# One run of scripts/bench on an X display with a window manager: ROUNDS rounds, each running the program,
# the two bare programs and the scoring timings once, the programs in alternating order. Prints "WHAT
# FIGURE" lines.
#   rounds.sh ROUNDS BUILD_DIR DATABASE
set -euo pipefail
rounds="$1" build="$2" db="$3"
bench="$build/bench"

openbox >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null' EXIT
sleep 1

# walk AT_START AT_YEAR: the program's walk, with the caller's steps at the start window and at the year
# window. The start window appears once the splash is clicked away; the frame's second toolbar button
# opens the first-year score window.
walk() {
  local at_start="$1" at_year="$2"
  "$bench/xbench" show:splash:fitmarkel click show:start:登录管理系统 $at_start key:alt+l show:frame:CorvanelFitmarkel \
    sleep:300 click:104,46 show:year:大学一年级成绩 $at_year -- "$build/src/app/fitmarkel"
}
program() {
  walk "sleep:300 mem:mem_start" "sleep:300 mem:mem_year" |
    awk '{ v[$1] = $2 } END { print "program splash", v["splash"]; print "program launch", v["splash"] + v["start"]
           print "program frame", v["frame"]; print "program mem_start", v["mem_start"]
           print "program mem_year", v["mem_year"] }'
}
# The floor's start window and dialog take the sizes of the program's start window and year window.
sizes="$(walk size:start_size size:year_size | awk '$1 ~ /_size$/ { printf "%s ", $2 }')"
# bare NAME: the walk of the floor bench_NAME, its figures printed as "NAME WHAT FIGURE".
bare() {
  "$bench/xbench" "show:start:bare start" sleep:300 mem:mem_start key:alt+l "show:frame:bare frame" sleep:300 \
    key:alt+y "show:year:bare year" sleep:300 mem:mem_year -- "$bench/bench_$1" $sizes |
    awk -v name="$1" '$1 == "start" { $1 = "launch" } { print name, $1, $2 }'
}
scoring() {
  QT_QPA_PLATFORM=offscreen "$bench/bench_score" 40 "$db" 2>/dev/null | sed 's/^/score /'
}

for ((r = 0; r < rounds; ++r)); do
  if ((r % 2)); then bare bare_data; bare bare; program; else program; bare bare; bare bare_data; fi
  scoring
done
