# Shared by scripts/run and scripts/test: install what is missing, then
# configure and build into build/ (or $KORVEX_BUILD_DIR).
set -euo pipefail

KORVEX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVEX_BUILD_DIR="${KORVEX_BUILD_DIR:-$KORVEX_ROOT/build}"

korvex_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-private-dev qt6-base-dev-tools libgl-dev
  fonts-liberation qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
)

# What the window tests need besides: a virtual X display with a window
# manager, a tool that clicks and types as a user does, and the
# accessibility bus with the client screen readers use.
korvex_desktop_packages=(xvfb openbox x11-utils xdotool xclip dbus at-spi2-core python3-pyatspi)

korvex_install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "Fehlende Pakete: ${missing[*]}" >&2
    echo "Bitte als root ausführen oder installieren: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installiere: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# korvex_build DIR BUILD_TYPE [CMAKE_ARGS...]
korvex_build() {
  local dir="$1" build_type="$2"
  shift 2
  cmake -S "$KORVEX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}
