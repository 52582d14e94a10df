# Sourced by the install tests: whether a process is a program with its data source's database open.
runs_on() { # pid program database
  [ "$(readlink -f "/proc/$1/exe" 2>/dev/null)" = "$2" ] && ls -l "/proc/$1/fd" 2>/dev/null | grep -qF -- "-> $3"
}
# The same awaited (up to 10 s); false as soon as the process has ended.
comes_to_run_on() { # pid program database
  for _ in $(seq 1 200); do
    runs_on "$@" && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
