#!/usr/bin/env bash
# Under a display with a window manager (tests/desktop/run-on-xvfb):
#   bench/copy-after-key.sh PROGRAM MEGABYTES ROUNDS
# Opens a text of MEGABYTES, types a key, then prints the milliseconds from
# the key to the recovery copy's arrival (the copy is renamed into place whole).
set -u
program=$1; mb=$2; rounds=$3
for r in $(seq "$rounds"); do
  dir=$(mktemp -d)
  python3 - "$dir/gross.txt" "$mb" <<'PY'
import sys
line = ("Wort " * 19 + "ende\r\n").encode()
n = int(sys.argv[2]) * 1024 * 1024 // len(line)
open(sys.argv[1], "wb").write(line * n)
PY
  (cd "$dir" && XDG_DATA_HOME="$dir/.daten" exec "$program" gross.txt) &
  pid=$!
  win=$(xdotool search --sync --onlyvisible --name '^Korvex Version 2.3$' | head -1)
  sleep 15   # the text comes in (the window stays usable meanwhile; a key would wait for the rest)
  xdotool windowactivate --sync "$win" >/dev/null 2>&1
  xdotool key --window "$win" x
  t0=$(date +%s%N)
  copy=""  # in the data folder, below a folder for the working folder
  while [ -z "$copy" ]; do copy=$(find "$dir/.daten" -name Korvex23Wiederherstellung-1.txt 2>/dev/null); sleep 0.01; done
  t1=$(date +%s%N)
  echo "$mb MB: Kopie $(( (t1 - t0) / 1000000 )) ms nach der Taste, $(stat -c %s "$copy") Bytes"
  kill -9 $pid; wait $pid 2>/dev/null
  rm -rf "$dir"
done
