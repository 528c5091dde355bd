#!/usr/bin/env bash
# With no sound server:
#  1. and no ALSA device either, the bell player says so once and falls back
#     to the system beep, without hanging;
#  2. on a machine with plain ALSA (here ALSA's file plugin as the default
#     device, read at the pace a card would play), every stroke is played
#     there, one second apart.
set -euo pipefail
probe=$1
here=$(dirname "$0")
. "$here/../common/background.sh"
dir=$(mktemp -d)
background_dirs+=("$dir")
export XDG_RUNTIME_DIR="$dir" HOME="$dir" PULSE_SERVER="unix:$dir/no-such-socket"
export QT_QPA_PLATFORM=offscreen

# 1. A configuration without any ALSA device.
echo "# no devices" >"$dir/none.conf"
start=$(date +%s)
ALSA_CONFIG_PATH="$dir/none.conf" timeout 30 "$probe" --silence 0.2 1,2 >"$dir/out" 2>"$dir/err"
elapsed=$(( $(date +%s) - start ))
cat "$dir/err"
grep -q "system-beep 1" "$dir/out" || { echo "did not fall back"; exit 1; }
[ "$(grep -c 'bells use the system beep' "$dir/err")" = 1 ] || { echo "fallback not reported exactly once"; exit 1; }
[ "$(grep -c '^request' "$dir/out")" = 3 ] || { echo "requests lost"; exit 1; }
[ "$elapsed" -le 12 ] || { echo "took ${elapsed}s"; exit 1; }
echo "fallback ok"

# 2. Only ALSA: the default device writes what it plays into a FIFO. The
# configuration stands alone, so no hook of the system's can reroute it.
mkfifo "$dir/card"
cat >"$dir/file.conf" <<CONF
pcm.!default {
    type file
    slave.pcm { type null }
    file "$dir/card"
    format "raw"
}
CONF
/usr/bin/python3 "$here/paced_reader.py" "$dir/card" "$dir/card.raw" &
reader_pid=$!
background_pids+=($reader_pid)
ALSA_CONFIG_PATH="$dir/file.conf" timeout 30 "$probe" --silence 0.5 1,2,3 >"$dir/out" 2>"$dir/err"
cat "$dir/out" "$dir/err"
grep -q "system-beep 0" "$dir/out" || { echo "fell back although ALSA plays"; exit 1; }
wait "$reader_pid" # the device was closed: the reader has all of it
/usr/bin/python3 - "$dir/card.raw" "$here" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from strokes import strokes
found = strokes(sys.argv[1])
starts = [round(start, 2) for start, _, _ in found]
print("strokes played through ALSA at", starts)
assert len(found) == 6, f"{len(found)} strokes, want 6"
gaps = [b - a for a, b in zip(starts, starts[1:])]
assert all(abs(g - 1.0) < 0.1 or g > 2.5 for g in gaps), f"strokes apart by {gaps}"
PY
echo "ALSA route ok"
