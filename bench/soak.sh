#!/usr/bin/env bash
# A whole default session at real speed, run by hand (about 25 minutes; not
# part of run_benchmarks.sh or CI): the real window under Xvfb, Start pressed
# through the accessibility bus and nothing else until End, 2 minutes into
# over time, the bell through a private PulseAudio whose null sink is recorded.
# On the way: the sink muted for 10 s halfway to the 1st bell, the sound
# server killed and restarted halfway between the 1st and 2nd bell, and the
# program stopped for 0.3 s about every 90 s, never within 10 s of a bell.
# Prints the strokes heard with their delay, false notices, lost or doubled
# seconds of the count, and memory, threads and descriptors at the start, the
# middle and the end.
# Usage: bash bench/soak.sh [PROGRAM]   (without one, builds build-bench as
# run_benchmarks.sh does). SOAK_INTERVALS="5 1 1" and SOAK_OVER=30 make a
# short trial; the faults move with the bells. SOAK_LOGS=DIR keeps the logs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
if [ -z "${BELLWARDEN_PRIVATE_BUS:-}" ]; then
    if [ $# -ge 1 ]; then
        set -- "$(realpath "$1")"
    else
        (
            cd "$root"
            . scripts/packages.sh
            # shellcheck disable=SC2086 # one word a package
            ensure_packages $BUILD_PACKAGES $RUN_PACKAGES $TEST_PACKAGES
            cmake -S . -B build-bench -DBELLWARDEN_WINDOW=ON -DBELLWARDEN_TESTS=OFF -DBELLWARDEN_BENCH=ON \
                -DCMAKE_BUILD_TYPE=Release >/dev/null
            cmake --build build-bench -j"$(nproc)" --target bellwarden >/dev/null
        )
        set -- "$root/build-bench/app/bellwarden"
    fi
fi
program=$1
read -r m1 m2 m3 <<<"${SOAK_INTERVALS:-10 5 5}"
over=${SOAK_OVER:-120}
# The window's own bounds for the intervals.
if ! [ "$m1" -ge 5 ] 2>/dev/null || [ "$m1" -gt 90 ] || ! [ "$m2" -ge 1 ] 2>/dev/null || [ "$m2" -gt 30 ] ||
    ! [ "$m3" -ge 1 ] 2>/dev/null || [ "$m3" -gt 30 ] || ! [ "$over" -ge 10 ] 2>/dev/null; then
    echo "SOAK_INTERVALS takes three minutes, 5-90, 1-30 and 1-30; SOAK_OVER at least 10 seconds" >&2
    exit 2
fi

. "$root/tests/app/a11y_session.sh"
. "$root/tests/sound/pulse_session.sh"
events=$work_dir/events.log
: >"$events"
mono_ns() { /usr/bin/python3 -c 'import time; print(time.monotonic_ns())'; }
sleep_until() { /usr/bin/python3 -c 'import sys, time; time.sleep(max(0, int(sys.argv[1]) / 1e9 - time.monotonic()))' "$1"; }

start_pulse
start_onsets test.monitor "$work_dir/onsets-1.txt" 2>>"$work_dir/recorder.err"
QT_LOGGING_RULES="bellwarden.sound.debug=true" QT_MESSAGE_PATTERN='%{time boot} %{category}: %{message}' \
    "$program" >"$work_dir/stdout.log" 2> >(/usr/bin/python3 -u -c 'import sys, time
for line in sys.stdin: print(time.monotonic_ns(), line, end="", flush=True)' >"$work_dir/stderr.log") &
app_pid=$!
background_pids+=("$app_pid")

# Memory, threads and descriptors now, under the label $1; what the threads
# and descriptors are, so that a change can be told apart.
resources() {
    local rss threads fds
    rss=$(awk '/^VmRSS/ {print $2}' /proc/$app_pid/status)
    threads=$(ls /proc/$app_pid/task | wc -l)
    fds=$(ls /proc/$app_pid/fd | wc -l)
    echo "resources $1 $(mono_ns) $rss $threads $fds" >>"$events"
    cat /proc/$app_pid/task/*/comm | sort | uniq -c | awk '{print $1 "x " $2}' >"$work_dir/threads-$1.txt"
    for fd in /proc/$app_pid/fd/*; do readlink "$fd" || true; done | sed 's/:\[[0-9]*\]$//' | sort | uniq -c |
        awk '{print $1 "x " $2}' >"$work_dir/fds-$1.txt"
}
freeze() {
    /usr/bin/python3 -c 'import os, signal, sys, time
pid = int(sys.argv[1]); a = time.monotonic_ns(); os.kill(pid, signal.SIGSTOP)
time.sleep(float(sys.argv[2])); os.kill(pid, signal.SIGCONT); print("stop", a, time.monotonic_ns())' \
        "$app_pid" 0.3 >>"$events"
}
recordings=1
restart_server() {
    local killed started
    killed=$(mono_ns)
    kill_pulse
    start_pulse
    started=$(mono_ns)
    recordings=$((recordings + 1)) # the old recording ended with its server (and said so)
    start_onsets test.monitor "$work_dir/onsets-$recordings.txt" 2>>"$work_dir/recorder.err"
    echo "restart $killed $started $(mono_ns)" >>"$events"
}

end=$((60 * (m1 + m2 + m3) + over))
timeout $((end + 180)) /usr/bin/python3 "$here/soak.py" drive "$m1" "$m2" "$m3" "$over" "$work_dir/drive.log" \
    2>"$work_dir/drive.err" &
drive_pid=$!
background_pids+=("$drive_pid")
for _ in $(seq 900); do
    grep -q '^start' "$work_dir/drive.log" 2>/dev/null && break
    kill -0 "$drive_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q '^start' "$work_dir/drive.log" 2>/dev/null || { echo "Start was never pressed"; cat "$work_dir/drive.err" "$work_dir/stderr.log"; exit 1; }
start_ns=$(awk '$1 == "start" {print $2}' "$work_dir/drive.log")
echo "Start pressed; the session runs $((end / 60)) min $((end % 60)) s" \
    "(intervals $m1 $m2 $m3 min, $over s over time)"

while read -r at what label <&7; do
    sleep_until $((start_ns + at * 1000000000))
    kill -0 "$app_pid" 2>/dev/null || { echo "the program is gone at $at s"; break; }
    case $what in
        stop) freeze ;;
        mute) pactl set-sink-mute test 1 && echo "mute $(mono_ns)" >>"$events" ;;
        unmute) pactl set-sink-mute test 0 && echo "unmute $(mono_ns)" >>"$events" ;;
        restart) restart_server ;;
        resources) resources "$label" ;;
    esac
done 7< <(/usr/bin/python3 "$here/soak.py" plan "$m1" "$m2" "$m3" "$over")

wait "$drive_pid" || { echo "the driver failed"; cat "$work_dir/drive.err"; }
if kill -0 "$app_pid" 2>/dev/null; then
    echo "peak $(awk '/^VmHWM/ {print $2}' /proc/$app_pid/status)" >>"$events"
else
    echo "the program was not running at the end"
fi
sleep 1 # the last strokes' sound is long over; let the recording pass its end
kill -INT "$record_pid" 2>/dev/null || true
wait "$record_pid" 2>/dev/null || true
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
[ -z "${SOAK_LOGS:-}" ] || { mkdir -p "$SOAK_LOGS" && cp "$work_dir"/*.log "$work_dir"/*.txt "$work_dir"/*.err "$pulse_dir/pulse.log" "$SOAK_LOGS/"; }
/usr/bin/python3 "$here/soak.py" report "$m1" "$m2" "$m3" "$over" "$work_dir"
