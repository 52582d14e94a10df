#!/usr/bin/env bash
# `cmake --install` into a prefix of its own, whose name holds what shell text and the desktop entry's
# Exec key treat specially (a backslash and a % aside: cmake --install and GLib take neither): a desktop
# entry that desktop-file-validate accepts, with the names, category and icon the desktop's menu shows.
# Its first start, launched as a desktop launches it, prepares the default data source and runs the
# installed program on it; a second start of the launcher leaves it as it was, saved settings included; a
# user with a data source of his own keeps it and gets nothing prepared. The installed weight-limit loader
# loads into the data source that the launcher uses. The program runs on Qt's offscreen platform and is
# ended by its process id once it has opened its data source.
#   installed_desktop_start.sh BUILD_DIR
set -uo pipefail
BUILD="$1"
source "$(dirname -- "$0")/harness.sh"

PREFIX="$TMP/it's a \"pre\$fix\" \`id\` 目录 x;y #z"
cmake --install "$BUILD" --prefix "$PREFIX" >"$TMP/install.log" 2>&1 || { cat "$TMP/install.log"; exit 1; }

# ---- the desktop entry
entry="$PREFIX/share/applications/fitmarkel.desktop"
if out="$(desktop-file-validate "$entry" 2>&1)" && [ -z "$out" ]; then pass "desktop-file-validate"; else fail "desktop-file-validate: $out"; fi
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Name)" = "Fitmarkel" ] && pass "Name" || fail "Name is '$(key Name)'"
[ "$(key 'Name\[zh_CN\]')" = "大学生体质健康测试成绩计算" ] && pass "Name[zh_CN]" || fail "Name[zh_CN] is '$(key 'Name\[zh_CN\]')'"
[[ ";$(key Categories);" == *";Education;"* ]] && pass "Categories" || fail "Categories is '$(key Categories)'"
icon="$PREFIX/share/icons/hicolor/32x32/apps/$(key Icon).png"
if [ -f "$icon" ] && cmp -s "$icon" "$(dirname "$0")/../../src/app/artwork/stock/AppIcon.png"; then
  pass "the program's icon in the hicolor theme"
else
  fail "no icon $icon"
fi
launcher="$PREFIX/bin/fitmarkel"

# ---- the launcher
# No data source vemka anywhere but where a case puts one: the driver registry is copied, the system's
# data sources are a file of the test's own, HOME is a fresh folder.
sysini="$TMP/sysini"
mkdir -p "$sysini"
cp /etc/odbcinst.ini "$sysini/odbcinst.ini"
: >"$sysini/odbc.ini"
program="$(readlink -f "$PREFIX/libexec/fitmarkel/fitmarkel")"
# A user's environment: the system's files of the test, HOME to be given.
as_user=(env -u ODBCINI -u XDG_DATA_HOME -u FITMARKEL_DATA_HOME ODBCSYSINI="$sysini")

source "$(dirname -- "$0")/program_runs.sh"
# Starts the launcher, waits until it has become the installed program with the database open, ends it.
start() { # home database
  local home="$1" db="$2" pid status=0
  "${as_user[@]}" HOME="$home" QT_QPA_PLATFORM=offscreen "$launcher" >"$TMP/launcher.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  comes_to_run_on "$pid" "$program" "$db" || status=1
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  [ "$status" -eq 0 ] || { echo "the program did not open $db:"; cat "$TMP/launcher.log"; }
  return "$status"
}
# The same through the desktop entry, launched by GLib as a desktop does; the program is found by its file.
start_from_menu() { # home database
  local home="$1" db="$2" exe pid
  "${as_user[@]}" HOME="$home" QT_QPA_PLATFORM=offscreen gio launch "$entry" >"$TMP/launcher.log" 2>&1 </dev/null
  for _ in $(seq 1 200); do
    for exe in /proc/[0-9]*/exe; do
      pid="${exe#/proc/}" pid="${pid%/exe}"
      if runs_on "$pid" "$program" "$db"; then
        kill "$pid"
        return 0
      fi
    done
    sleep 0.05
  done
  echo "the program did not open $db:"; cat "$TMP/launcher.log"
  return 1
}
state() { # the database's content and the odbc.ini's bytes
  sqlite3 "$1/vemka.db" .dump; cat "$1/odbc.ini"
}

home="$TMP/home"
mkdir -p "$home"
data="$home/.local/share/fitmarkel"
if start_from_menu "$home" "$data/vemka.db" && [ "$(sqlite3 "$data/vemka.db" 'SELECT COUNT(*) FROM dx1234_m')" -gt 0 ] \
  && grep -qxF "Database=$data/vemka.db" "$data/odbc.ini"; then
  pass "first start from the menu prepares the default data source and runs the program on it"
else
  fail "first start"
fi
# The operator saves a year's settings; the next start keeps them and changes nothing.
sqlite3 "$data/vemka.db" "INSERT INTO xmsz (nj, xm_z_m) VALUES ('41', '1')"
before="$(state "$data")"
if start "$home" "$data/vemka.db" && [ "$(state "$data")" = "$before" ]; then
  pass "second start leaves the data source unchanged"
else
  fail "second start changed the data source"
fi

# A data source vemka of the system's: used as it is, nothing prepared.
own="$TMP/own.db"
sqlite3 "$own" <"$PREFIX/libexec/fitmarkel/data/schema.sql"
printf '[vemka]\nDriver=SQLite3\nDatabase=%s\n' "$own" >"$sysini/odbc.ini"
home2="$TMP/home2"
mkdir -p "$home2"
if start "$home2" "$own" && [ ! -e "$home2/.local/share/fitmarkel" ]; then
  pass "a data source of one's own is kept"
else
  fail "a data source of one's own"
fi

# ---- the weight-limit loader, on the data source that the launcher uses
loader="$PREFIX/bin/fitmarkel-load-limits"
# Every height that each sex's lookup reads: 140 to 190 cm for the men, to 186 cm for the women.
{ printf 's,z1,z2,z3,z4,source\r\n'; for s in $(seq 140 190); do printf '%s,%s,%s,%s,%s,school\r\n' $s $((s - 100)) $((s - 95)) $((s - 90)) $((s - 85)); done; } >"$TMP/men.csv"
{ printf 's,z1,z2,z3,z4\n'; for s in $(seq 140 186); do printf '%s,%s,%s,%s,%s\n' $s $((s - 102)) $((s - 97)) $((s - 92)) $((s - 87)); done; } >"$TMP/women.csv"
load() { # home
  "${as_user[@]}" HOME="$1" "$loader" "$TMP/men.csv" "$TMP/women.csv" >"$TMP/loader.log" 2>&1 \
    || { cat "$TMP/loader.log"; return 1; }
}
rows() { sqlite3 "$1" 'SELECT COUNT(*) FROM dx1234_m; SELECT COUNT(*) FROM dx1234_w' | tr '\n' ' '; }
[ -x "$loader" ] && pass "the loader is installed" || fail "no loader $loader"
if load "$home2" && [ "$(rows "$own")" = "51 47 " ] && [ ! -e "$home2/.local/share/fitmarkel" ]; then
  pass "the loader fills the system's data source"
else
  fail "the loader on the system's data source"
fi
: >"$sysini/odbc.ini"
if load "$home" && [ "$(rows "$data/vemka.db")" = "51 47 " ] \
  && [ "$(sqlite3 "$data/vemka.db" "SELECT xm_z_m FROM xmsz WHERE nj = '41'")" = "1" ] \
  && grep -qF "dx1234_w: 47 rows" "$TMP/loader.log"; then
  pass "the loader replaces the weight limits of the launcher's default data source, the settings kept"
else
  fail "the loader on the default data source"
fi

[ "$failures" -eq 0 ]
