# Shared by scripts/run and scripts/test: installs what is missing, configures and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${FITMARKEL_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6sql6-odbc
  unixodbc unixodbc-dev odbcinst libsqliteodbc sqlite3
  fonts-wqy-microhei fonts-liberation fonts-dejavu-core
  libcups2-dev cups-daemon cups-client
  libxcb1-dev
)
# What the tests need besides: a virtual X display and a window manager on it.
TEST_PACKAGES=(xvfb openbox)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# install_packages [more packages]: installs those of PACKAGES and the ones given that are missing.
install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
  # libsqliteodbc registers its driver when odbcinst is present; make sure it is registered.
  if ! odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
    local so
    so="$(dpkg -L libsqliteodbc | grep '/libsqlite3odbc\.so$' | head -n 1)"
    printf '[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%s\nSetup=%s\n' "$so" "$so" > /tmp/fitmarkel-odbcinst.ini
    as_root odbcinst -i -d -f /tmp/fitmarkel-odbcinst.ini
  fi
}

build() {
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD_DIR" -j "$(nproc)"
}
