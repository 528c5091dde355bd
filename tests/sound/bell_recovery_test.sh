#!/usr/bin/env bash
# End to end: the real bell player through what a desktop's sound server does
# to it. A probe is driven as a session would drive it; each stroke it asks
# for after the server is back must be heard within a quarter of a second:
#  1. the server comes up after the program started;
#  2. it is killed and restarted between two bells;
#  3. it is killed during a bell's strokes: no hang, and the next bell is heard;
#  4. the default sink changes between two bells: the next is heard there;
#  5. a resume right at a bell after a long pause within its lead-in;
#  6. the program itself is held up in the middle of a stroke;
#  7. the server stops taking sound just before a bell;
#  8. the server stops for a moment only, as a bell is rung.
set -euo pipefail
probe=$1
here=$(dirname "$0")
. "$here/pulse_session.sh"
dir=$pulse_dir

# ALSA's default device leads to the same server, as on a desktop: it must not
# take strokes that server cannot play.
printf 'pcm.!default { type pulse }\n' >"$dir/alsa.conf"
export ALSA_CONFIG_PATH="$dir/alsa.conf"

mkfifo "$dir/commands"
QT_QPA_PLATFORM=offscreen "$probe" - <"$dir/commands" >"$dir/requests" 2>"$dir/stderr" &
probe_pid=$!
background_pids+=($probe_pid)
exec 3>"$dir/commands"
say() { echo "$*" >&3; }

# Checks that each request from line $1 of the probe's output on has a stroke
# in onsets file $2 starting between 0 and $3 ms after it.
check() {
    /usr/bin/python3 "$here/heard.py" "$dir/requests" "$1" "$2" "$3" "$4" ||
        { cat "$dir/requests" "$dir/stderr"; exit 1; }
}
lines() { wc -l <"$dir/requests"; }

# 1. No server when the session starts; it comes up before the 1st bell.
say ready 5
sleep 2
start_pulse
start_onsets test.monitor "$dir/late"
sleep 2
at=$(lines); say ring 1; sleep 2
check "$at" "$dir/late" 250 "late server"

# 2. Killed and restarted between the 1st and the 2nd bell.
say ready -1
sleep 1
kill_pulse
start_pulse
start_onsets test.monitor "$dir/restart"
say ready 5
sleep 2
at=$(lines); say ring 2; sleep 3
check "$at" "$dir/restart" 250 "restarted between bells"

# 3. Killed while the 2nd bell's strokes are sounding, back a second later:
# the stroke due meanwhile falls back to the system beep.
say ring 2
sleep 0.3
kill_pulse
sleep 1.5
start_pulse
start_onsets test.monitor "$dir/killed"
sleep 3
kill -0 "$probe_pid" || { echo "the probe died"; cat "$dir/stderr"; exit 1; }
at=$(lines); say ring 3; sleep 4
check "$at" "$dir/killed" 250 "killed during a bell"

# 4. A second output becomes the default between two bells.
say ready -1
pactl load-module module-null-sink sink_name=other >/dev/null
pactl set-default-sink other
sleep 1
start_onsets other.monitor "$dir/moved"
say ready 5
sleep 2
at=$(lines); say ring 2; sleep 3
check "$at" "$dir/moved" 250 "new default sink"

# 5. Paused ten seconds before a bell for a while, then resumed at the bell.
say ready 10
sleep 20
at=$(lines); say ring 1; sleep 2
check "$at" "$dir/moved" 150 "resume at a bell"

# 6. The program itself held up for 0.3 s, 0.12 s into a stroke: the stroke
# plays on whole and the next one is on time; and the hold-up is not taken
# for a fault of the server.
reported=$(grep -c "The bell cannot be heard" "$dir/stderr" || true)
start_recording "$dir/stall.raw" other.monitor
at=$(lines)
say ring 2
sleep 0.12
kill -STOP "$probe_pid"; sleep 0.3; kill -CONT "$probe_pid"
sleep 2.5
stop_recording
/usr/bin/python3 - "$dir/stall.raw" "$here" "$dir/requests" "$at" <<'PY' || { cat "$dir/stderr"; exit 1; }
import sys
sys.path.insert(0, sys.argv[2])
from strokes import strokes, dropouts
found = strokes(sys.argv[1])
asked = [float(l.split()[3]) / 1000 for l in open(sys.argv[3]).read().splitlines()[int(sys.argv[4]):]]
print("program held up:", ["%.3f s, %.3f s long" % s[:2] for s in found],
      "requests %.3f s apart" % (asked[1] - asked[0]))
assert len(found) == 2, f"{len(found)} strokes, want 2"
assert all(length > 0.5 for _, length, _ in found), "a stroke was cut short"
assert not dropouts(sys.argv[1], found), f"silences inside strokes: {dropouts(sys.argv[1], found)}"
# The next stroke sounds as far after the first as it was asked for.
assert abs((found[1][0] - found[0][0]) - (asked[1] - asked[0])) < 0.1, "the next stroke was late"
PY
[ "$(grep -c "The bell cannot be heard" "$dir/stderr" || true)" = "$reported" ] || { echo "a hold-up of the program was reported as a fault"; cat "$dir/stderr"; exit 1; }

# 7. The server stops taking sound (SIGSTOP) as a stroke is rung, and again
# half a second before a bell: no stroke passes silently; the chair is told,
# with the reason, within the bell. Once the server runs again the bell is
# heard again.
stopped_told() { grep -c "No sound output: the sound server stopped" "$dir/stderr" || true; }
for before in 0 0.5; do
    told=$(stopped_told)
    kill -STOP "$pulse_pid"
    sleep "$before"
    say ring 2
    sleep 2.2
    [ "$(stopped_told)" -gt "$told" ] || { echo "a server stopped ${before} s before a bell went unreported"; cat "$dir/stderr"; exit 1; }
    kill -CONT "$pulse_pid"
    sleep 4
    at=$(lines); say ring 1; sleep 2
    check "$at" "$dir/moved" 250 "server running again"
done

# 8. The server stops for 0.3 s (as while it probes a new card) as a bell is
# rung, then plays on: each stroke is heard once, a little late at most, and
# nobody is told.
reported=$(grep -c "The bell cannot be heard" "$dir/stderr" || true)
start_recording "$dir/hiccup.raw" other.monitor
say ring 2
kill -STOP "$pulse_pid"; sleep 0.3; kill -CONT "$pulse_pid"
sleep 2.5
stop_recording
/usr/bin/python3 - "$dir/hiccup.raw" "$here" <<'PY' || { cat "$dir/stderr"; exit 1; }
import sys
sys.path.insert(0, sys.argv[2])
from strokes import strokes
found = strokes(sys.argv[1])
print("server stopped for a moment:", ["%.3f s, %.3f s long" % s[:2] for s in found])
assert len(found) == 2, f"{len(found)} strokes, want 2"
PY
[ "$(grep -c "The bell cannot be heard" "$dir/stderr" || true)" = "$reported" ] || { echo "a server that stopped for a moment was reported"; cat "$dir/stderr"; exit 1; }

say quit 0
wait "$probe_pid"
cat "$dir/stderr"
grep -q "system$" "$dir/requests" || { echo "no stroke fell back while the server was gone"; exit 1; }
grep -q "The bell cannot be heard" "$dir/stderr" || { echo "the fallback went unreported"; exit 1; }
grep -q "The bell is heard again" "$dir/stderr" || { echo "the recovery went unreported"; exit 1; }
echo "bell recovery ok"
