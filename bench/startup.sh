#!/usr/bin/env bash
# Start-up time of the program against a small Qt text editor from Debian
# (featherpad), both started with no file under Xvfb: from the process start
# until the X server maps its main window. mapwait (bench/mapwait.cpp) waits
# for the server's event, so nothing polls while a program starts. Runs
# alternate between the two so a busy moment of the machine falls on both;
# prints the medians and the ratio.
# Usage: bench/startup.sh [build dir] [runs]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/common.sh"
korvex_install_packages xvfb featherpad

build="${1:-$root/build-perf}"
runs="${2:-11}"
program="$(realpath "$build")/src/Korvex21"
mapwait="$(realpath "$build")/bench/mapwait"
for built in "$program" "$mapwait"; do
  [ -x "$built" ] || { echo "nicht gebaut: $built (mit -DKORVEX_BUILD_BENCHMARKS=ON bauen)" >&2; exit 1; }
done

scratch="$(mktemp -d)"
# A display of our own, well away from the ones test runs use; Xvfb writes its
# number once it accepts clients, or ends when the number is taken. No reset
# when the last client leaves: a start during a reset would fail.
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 20); do
  number=$((300 + RANDOM % 600))
  : >"$scratch/display"
  Xvfb ":$number" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$scratch/display" >/dev/null 2>&1 &
  xvfb=$!
  while kill -0 "$xvfb" 2>/dev/null && [ ! -s "$scratch/display" ]; do sleep 0.05; done
  [ -s "$scratch/display" ] && break
done
export DISPLAY=":$number" HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch"
chmod 700 "$scratch"

# Microseconds from starting "$@" until its main window is mapped.
time_to_window() {
  (cd "$scratch" && "$mapwait" "$@") 2>"$scratch/stderr" || { cat "$scratch/stderr" >&2; return 1; }
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# One start of each before measuring, so both find the fonts and libraries cached.
time_to_window "$program" >/dev/null
time_to_window featherpad >/dev/null
: >"$scratch/korvex" ; : >"$scratch/other"
for _ in $(seq "$runs"); do
  time_to_window "$program" >>"$scratch/korvex"
  time_to_window featherpad >>"$scratch/other"
done
korvex_us=$(median <"$scratch/korvex")
other_us=$(median <"$scratch/other")
awk -v k="$korvex_us" -v o="$other_us" -v n="$runs" 'BEGIN {
  printf "Start-up to visible window, median of %d: Korvex21 %.1f ms, featherpad %.1f ms, ratio %.2f\n", n, k / 1000, o / 1000, k / o
}'
echo "Korvex21 runs (ms): $(awk '{printf "%.0f ", $1 / 1000}' "$scratch/korvex")"
echo "featherpad runs (ms): $(awk '{printf "%.0f ", $1 / 1000}' "$scratch/other")"
