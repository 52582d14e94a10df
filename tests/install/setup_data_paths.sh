#!/usr/bin/env bash
# scripts/setup-data run from a folder (a checkout's or an installation's), and into a data folder, whose
# paths hold characters that shell and SQL text treat specially: the weight-limit tables then hold the
# shipped rows, odbc.ini names the database, and the program connects to it, started in another folder.
# A data folder whose name odbc.ini cannot carry is refused. A preparation whose step fails leaves no new
# database or odbc.ini behind and an existing database as it was, and names the file.
#   setup_data_paths.sh SOURCE_DIR PROGRAM
set -uo pipefail
SRC="$1"
PROGRAM="$(readlink -f "$2")"
source "$(dirname -- "$0")/harness.sh"

# A copy of the scripts and the data beside them, as a checkout and an installation hold them.
copy() { # folder
  mkdir -p "$1" && cp -R "$SRC/scripts" "$SRC/data" "$1/"
}
# The shipped rows of a weight-limit file as sqlite3 prints the table.
shipped() { # csv
  tail -n +2 "$1" | cut -d, -f1-5 | tr , '|'
}
limits() { # database table
  sqlite3 "$1" "SELECT s, z1, z2, z3, z4 FROM $2 ORDER BY s"
}
source "$(dirname -- "$0")/program_runs.sh"
# Starts the program on the data source, from the root folder; true once it has the database open.
connects() { # odbc.ini database
  local pid status=0
  (cd / && exec env -u FITMARKEL_DATA_HOME ODBCINI="$1" QT_QPA_PLATFORM=offscreen "$PROGRAM") >"$TMP/program.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  comes_to_run_on "$pid" "$PROGRAM" "$2" || status=1
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  [ "$status" -eq 0 ] || cat "$TMP/program.log"
  return "$status"
}
# Checks a prepared data folder: the shipped rows, odbc.ini naming the database, the program connecting.
prepared() { # case data-folder scripts-folder
  local name="$1" data="$2" from="$3" problems=()
  [ "$(limits "$data/vemka.db" dx1234_m)" = "$(shipped "$from/data/weight-limits-men.csv")" ] || problems+=("dx1234_m")
  [ "$(limits "$data/vemka.db" dx1234_w)" = "$(shipped "$from/data/weight-limits-women.csv")" ] || problems+=("dx1234_w")
  grep -qxF "Database=$data/vemka.db" "$data/odbc.ini" 2>/dev/null || problems+=("odbc.ini: $(cat "$data/odbc.ini" 2>&1)")
  [ ${#problems[@]} -gt 0 ] || connects "$data/odbc.ini" "$data/vemka.db" || problems+=("the program did not connect")
  if [ ${#problems[@]} -eq 0 ]; then pass "$name"; else fail "$name: ${problems[*]}"; cat "$TMP/out"; fi
}

for odd in "it's here" 'a "quoted" name' 'costs $HOME and `id`' 'back\slash' '体测 数据' 'semi;colon #hash = %20'; do
  from="$TMP/$odd/fitmarkel"
  copy "$from"
  data="$TMP/$odd/data of $odd"
  if FITMARKEL_DATA_HOME="$data" bash "$from/scripts/setup-data" >"$TMP/out" 2>&1; then
    prepared "from and into a folder named '$odd'" "$data" "$from"
  else
    fail "from and into a folder named '$odd': $(cat "$TMP/out")"
  fi
  xdg="$TMP/$odd/xdg"
  if env -u FITMARKEL_DATA_HOME XDG_DATA_HOME="$xdg" bash "$from/scripts/setup-data" >"$TMP/out" 2>&1; then
    prepared "into XDG_DATA_HOME named '$odd'" "$xdg/fitmarkel" "$from"
  else
    fail "into XDG_DATA_HOME named '$odd': $(cat "$TMP/out")"
  fi
done

# Folders given relative to the working folder, with names that begin like an option.
copy "$TMP/-checkout"
if (cd "$TMP" && FITMARKEL_DATA_HOME="-data" bash -- "-checkout/scripts/setup-data") >"$TMP/out" 2>&1; then
  prepared "relative folders whose names begin with '-'" "$TMP/-data" "$TMP/-checkout"
else
  fail "relative folders whose names begin with '-': $(cat "$TMP/out")"
fi

# odbc.ini holds one setting a line.
broken="$TMP/line"$'\n'"break"
if ! FITMARKEL_DATA_HOME="$broken" bash "$SRC/scripts/setup-data" >"$TMP/out" 2>&1 \
  && grep -qF "line break" "$TMP/out" && [ ! -e "$broken" ]; then
  pass "a data folder whose name holds a line break is refused, nothing made"
else
  fail "a data folder whose name holds a line break: $(cat "$TMP/out")"
fi

# A step that fails: the women's table refuses a row whose limits do not ascend.
from="$TMP/broken women"
copy "$from"
printf '150,40,40,50,55,x\n' >>"$from/data/weight-limits-women.csv"
data="$TMP/first"
if ! FITMARKEL_DATA_HOME="$data" bash "$from/scripts/setup-data" >"$TMP/out" 2>&1 \
  && grep -qF "$data/vemka.db" "$TMP/out" && [ -z "$(ls -A "$data")" ]; then
  pass "a first preparation whose step fails leaves nothing behind"
else
  fail "a first preparation whose step fails: $(cat "$TMP/out"); left: $(ls -A "$data")"
fi
# An existing database that lacks the women's rows, with a year's settings saved.
data="$TMP/existing"
FITMARKEL_DATA_HOME="$data" bash "$SRC/scripts/setup-data" >/dev/null 2>&1
sqlite3 "$data/vemka.db" "INSERT INTO xmsz (nj, xm_z_m) VALUES ('41', '1'); DELETE FROM dx1234_w"
cp "$data/vemka.db" "$TMP/before.db"
if ! FITMARKEL_DATA_HOME="$data" bash "$from/scripts/setup-data" >"$TMP/out" 2>&1 \
  && grep -qF "$data/vemka.db" "$TMP/out" && cmp -s "$data/vemka.db" "$TMP/before.db"; then
  pass "an existing database stays as it was when completing it fails"
else
  fail "completing an existing database: $(cat "$TMP/out")"
fi
# A file that is no database where the database belongs.
data="$TMP/damaged"
mkdir -p "$data"
echo "not a database" >"$data/vemka.db"
if ! FITMARKEL_DATA_HOME="$data" bash "$SRC/scripts/setup-data" >"$TMP/out" 2>&1 \
  && grep -qF "the database $data/vemka.db cannot be used: file is not a database" "$TMP/out" \
  && [ "$(cat "$data/vemka.db")" = "not a database" ] && [ ! -e "$data/odbc.ini" ]; then
  pass "a damaged database is named and left as it is"
else
  fail "a damaged database: $(cat "$TMP/out")"
fi

[ "$failures" -eq 0 ]
