# Shared by scripts/run, scripts/test and scripts/bench: installs what is missing, configures and builds.
set -euo pipefail

ROOT="$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${FITMARKEL_BUILD_DIR:-$ROOT/build}"

# What building and running the program need.
RUN_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6sql6-odbc
  odbcinst unixodbc-dev libsqliteodbc sqlite3
  fonts-wqy-microhei fonts-liberation fonts-dejavu-core
  qt6-translations-l10n python3-fonttools
  libcups2-dev libxcb1-dev
)
# What the tests need beside: a private print scheduler, a private PostgreSQL server, the desktop entry's check,
# virtual X displays and a window manager on one of them.
TEST_PACKAGES=(
  cups-daemon cups-client
  postgresql odbc-postgresql
  desktop-file-utils
  xvfb openbox
  # A desktop's start of the menu entry (gio), and a window found and read (xdotool, xclip).
  libglib2.0-bin xdotool xclip
)

# Installs the missing ones of the given packages as root, or through a sudo that works; otherwise stops
# with what to run as root.
install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    become_root "These packages are missing: ${missing[*]}." "apt-get install ${missing[*]}"
    echo "Installing: ${missing[*]}"
    "${AS_ROOT[@]}" apt-get update
    "${AS_ROOT[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
  # libsqliteodbc registers its driver when odbcinst is present; make sure it is registered.
  if ! odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
    local so
    so="$(dpkg -L libsqliteodbc | grep '/libsqlite3odbc\.so$' | head -n 1)"
    printf '[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%s\nSetup=%s\n' "$so" "$so" > /tmp/fitmarkel-odbcinst.ini
    become_root "The SQLite ODBC driver is not registered." "odbcinst -i -d -f /tmp/fitmarkel-odbcinst.ini"
    "${AS_ROOT[@]}" odbcinst -i -d -f /tmp/fitmarkel-odbcinst.ini
  fi
}

# Sets AS_ROOT to what runs a command as root: nothing for root, sudo where it works (asking for the
# password on a terminal). Otherwise stops at once with the problem and the command to run as root.
become_root() { # problem command
  if [ "$(id -u)" -eq 0 ]; then
    AS_ROOT=()
  elif command -v sudo >/dev/null 2>&1 && { sudo -n true 2>/dev/null || { [ -t 0 ] && sudo -v; }; }; then
    AS_ROOT=(sudo)
  else
    printf '%s: %s\nThis needs root, and there is no working sudo. Run this as root, then start again:\n    %s\n' \
      "$(basename "$0")" "$1" "$2" >&2
    exit 1
  fi
}

build() { # extra cmake arguments
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$BUILD_DIR" -j "$(nproc)"
}

# Builds only the targets given and what they need, in the same tree as build; the build's output is
# shown only when it fails.
build_targets() { # target...
  local log
  log="$(mktemp)"
  echo "Building $* ..." >&2
  if ! { cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build "$BUILD_DIR" -j "$(nproc)" --target "$@"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    printf '%s: the build failed (its output is above).\n' "$(basename -- "$0")" >&2
    exit 1
  fi
  rm -f "$log"
}
