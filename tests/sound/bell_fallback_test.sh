#!/usr/bin/env bash
# With no sound server:
#  1. and no ALSA device either, the bell player says so once and falls back
#     to the system beep, without hanging;
#  2. on a machine with plain ALSA (here ALSA's file plugin as the default
#     device, read at the pace a card would play), every stroke is played
#     there, one second apart;
#  3. each stroke starts within 100 ms of its request there; a device that
#     stops taking sound just before a bell is told within that bell, and
#     once it plays again the next bell is heard on time.
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
[ "$(grep -c 'The bell cannot be heard' "$dir/err")" = 1 ] || { echo "fallback not reported exactly once"; exit 1; }
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

# 3. The same device, driven as a session would: delays, then a stall.
rm -f "$dir/card.raw"
/usr/bin/python3 "$here/paced_reader.py" "$dir/card" "$dir/card.raw" "$dir/onsets" &
reader_pid=$!
background_pids+=($reader_pid)
mkfifo "$dir/commands"
ALSA_CONFIG_PATH="$dir/file.conf" "$probe" - <"$dir/commands" >"$dir/requests" 2>"$dir/err" &
probe_pid=$!
background_pids+=($probe_pid)
exec 3>"$dir/commands"
say() { echo "$*" >&3; }
lines() { wc -l <"$dir/requests"; }
check() {
    /usr/bin/python3 "$here/heard.py" "$dir/requests" "$1" "$dir/onsets" "$2" "$3" ||
        { cat "$dir/requests" "$dir/err"; exit 1; }
}
say ready 5
sleep 2
for count in 1 2 3; do
    at=$(lines); say ring "$count"; sleep $((count + 1))
    check "$at" 100 "ALSA delay"
done
told() { grep -c "ALSA's default device stopped playing.)" "$dir/err" || true; }
[ "$(told)" = 0 ] || { echo "a playing device was reported stopped"; cat "$dir/err"; exit 1; }
touch "$dir/card.raw.hold"
sleep 0.5
say ring 2
sleep 2.2
[ "$(told)" = 1 ] || { echo "a device that stopped was not told within the bell"; cat "$dir/err"; exit 1; }
sleep 1.3
rm "$dir/card.raw.hold"
sleep 1
at=$(lines); say ring 1; sleep 1.5
check "$at" 100 "ALSA playing again"
say quit 0
wait "$probe_pid"
grep -q "The bell is heard again" "$dir/err" || { echo "the return went untold"; cat "$dir/err"; exit 1; }
echo "ALSA delay and stall ok"
