#!/usr/bin/env bash
# Builds the program and its benchmarks in Release and prints, in one run:
# CPU per wall-clock second while ready and while counting against xclock and
# a bare Qt label window measured side by side, peak RSS, start-up to the
# first frame, step lag, the bell's delay and idle cost, the first stroke after
# the sound server restarted, the strokes' delay and dropouts idle and beside
# a mixed load, a stopped server to the chair's notice, the same through
# plain ALSA with a device that stops, step lag with no server, and the
# engine's own costs. Takes about sixteen minutes.
# BENCH_SECONDS shortens the CPU phases, BENCH_STROKES (100) the stroke runs.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages $BUILD_PACKAGES $RUN_PACKAGES $TEST_PACKAGES stress-ng
cmake -S . -B build-bench -DBELLWARDEN_WINDOW=ON -DBELLWARDEN_TESTS=OFF -DBELLWARDEN_BENCH=ON \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null
bin=build-bench
phase=${BENCH_SECONDS:-60}

. tests/app/xvfb_session.sh
. tests/sound/pulse_session.sh
start_xvfb 1600x1000x24
start_pulse # a sound server as on a desktop; the program opens its output only near a bell

# Nanoseconds on a CPU, all threads of a process together.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s + 0}'; }
peak_rss_kib() { awk '/VmHWM/ {print $2}' /proc/"$1"/status; }
now_ns() { date +%s%N; }

echo "== CPU and memory (each phase ${phase} s, all three programs side by side)"
xclock -update 1 -geometry +1200+0 >/dev/null 2>&1 &
xclock_pid=$!; background_pids+=($xclock_pid)
"$bin/bench/bare_qt_label" >/dev/null 2>&1 &
bare_pid=$!; background_pids+=($bare_pid)
"$bin/app/bellwarden" >/dev/null 2>&1 &
app_pid=$!; background_pids+=($app_pid)
wid=$(wait_window "Bellwarden coded by")
"$bin/bench/step_lag" $((2 * phase + 10)) >"$work_dir/step_lag.txt" 2>/dev/null &
lag_pid=$!; background_pids+=($lag_pid)
sleep 3

measure() { # phase name: prints CPU per wall second for the three programs
    local t0 a0 b0 c0 t1
    t0=$(now_ns); a0=$(cpu_ns $app_pid); b0=$(cpu_ns $bare_pid); c0=$(cpu_ns $xclock_pid)
    sleep "$phase"
    t1=$(now_ns)
    awk -v name="$1" -v w=$((t1 - t0)) -v a=$(( $(cpu_ns $app_pid) - a0 )) \
        -v b=$(( $(cpu_ns $bare_pid) - b0 )) -v c=$(( $(cpu_ns $xclock_pid) - c0 )) 'BEGIN {
        printf "%-9s bellwarden %.3f%% of a core | bare Qt label %.3f%% | xclock %.3f%% | ratio to bare Qt %.2f, to xclock %.1f\n",
            name, 100*a/w, 100*b/w, 100*c/w, (b > 0 ? a/b : 0), (c > 0 ? a/c : 0) }'
}
measure "ready"
xdotool mousemove --window "$wid" 438 297 click 1 # Start
sleep 1
measure "counting"
echo "peak RSS: bellwarden $(( $(peak_rss_kib $app_pid) / 1024 )) MiB, bare Qt label $(( $(peak_rss_kib $bare_pid) / 1024 )) MiB, xclock $(( $(peak_rss_kib $xclock_pid) / 1024 )) MiB"
wait "$lag_pid" || true
echo "== Step lag (real window, real clock)"
cat "$work_dir/step_lag.txt"
kill "$app_pid" "$bare_pid" "$xclock_pid" 2>/dev/null || true

echo "== Start-up, exec to the window mapped and to its first painted frame (5 runs)"
mapped=(); painted=()
for run in 1 2 3 4 5; do
    t0=$(now_ns)
    "$bin/app/bellwarden" >/dev/null 2>&1 &
    pid=$!
    until xwininfo -name "Bellwarden coded by Xal.Quorvenn" 2>/dev/null | grep -q IsViewable; do :; done
    t1=$(now_ns)
    id=$(xdotool search --name "Bellwarden coded by" | head -n 1)
    until [ "$(import -window "$id" -crop 1x1+462+80 -depth 8 txt:- 2>/dev/null | grep -o '#00FFFF')" = "#00FFFF" ]; do :; done
    t2=$(now_ns)
    kill "$pid"; wait "$pid" 2>/dev/null || true
    mapped+=($(( (t1 - t0) / 1000000 ))); painted+=($(( (t2 - t0) / 1000000 )))
    sleep 0.3
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
echo "mapped: median $(median "${mapped[@]}") ms (${mapped[*]}); painted band seen: median $(median "${painted[@]}") ms (${painted[*]}) (each look at the screen takes tens of ms, so this is an upper bound)"

echo "== Bell: request to recorded sound, output opened 3 s before (private PulseAudio, null sink, idle suspend after 1 s)"
parecord --latency-msec=10 -d test.monitor --raw --format=s16le --rate=48000 --channels=1 \
    | /usr/bin/python3 -u tests/sound/onsets.py >"$work_dir/onsets.txt" &
recorder_pid=$!
sleep 0.5
QT_QPA_PLATFORM=offscreen "$bin/bench/bell_latency" latency 1 1 60 2>/dev/null >"$work_dir/requests.txt" &
bell_pid=$!
wait "$bell_pid"
sleep 1
pkill -INT -f "parecord --latency-msec=10 -d test.monitor" || true
wait "$recorder_pid" 2>/dev/null || true
/usr/bin/python3 - "$work_dir/requests.txt" "$work_dir/onsets.txt" <<'PY'
import sys
requests = [l.split() for l in open(sys.argv[1]) if l.startswith("request")]
onsets = [int(l.split()[1]) for l in open(sys.argv[2]) if l.startswith("onset")]
for _, silence, t in requests:
    after = [o for o in onsets if o >= int(t) - 50_000_000]
    if after:
        print(f"after {silence:>3} s of silence: request to recorded sound {(after[0] - int(t)) / 1e6:.1f} ms "
              "(the recording's own latency included)")
    else:
        print(f"after {silence:>3} s of silence: no sound recorded")
PY
echo "== Bell: CPU while idle for ${phase} s, output kept open (as in the seconds around a bell) against output closed"
QT_QPA_PLATFORM=offscreen "$bin/bench/bell_latency" idle open "$phase" 2>/dev/null &
open_pid=$!
QT_QPA_PLATFORM=offscreen "$bin/bench/bell_latency" idle closed "$phase" 2>/dev/null &
closed_pid=$!
sleep 2
t0=$(now_ns); o0=$(cpu_ns $open_pid); c0=$(cpu_ns $closed_pid)
sleep $((phase - 4))
t1=$(now_ns); o1=$(cpu_ns $open_pid); c1=$(cpu_ns $closed_pid)
wait $open_pid $closed_pid || true
awk -v w=$((t1 - t0)) -v o=$((o1 - o0)) -v c=$((c1 - c0)) 'BEGIN {
    printf "output open %.3f%% of a core, output closed %.3f%%\n", 100*o/w, 100*c/w }'

echo "== Bell: first stroke after the sound server restarted between two bells (3 restarts)"
mkfifo "$work_dir/commands"
QT_QPA_PLATFORM=offscreen "$bin/bench/bell_probe_bench" - <"$work_dir/commands" >"$work_dir/restarts.txt" 2>/dev/null &
probe_pid=$!; background_pids+=($probe_pid)
exec 3>"$work_dir/commands"
for run in 1 2 3; do
    echo "ready 5" >&3; sleep 2; echo "ring 1" >&3; sleep 2 # a bell before the restart
    echo "ready -1" >&3; sleep 1
    kill_pulse; start_pulse
    start_onsets test.monitor "$work_dir/restart-$run.txt"
    echo "ready 5" >&3; sleep 2
    echo "ring 1" >&3; sleep 2
    kill -INT "$record_pid" 2>/dev/null || true
done
echo "quit 0" >&3; exec 3>&-
wait "$probe_pid" || true
for run in 1 2 3; do
    /usr/bin/python3 - "$work_dir/restarts.txt" "$work_dir/restart-$run.txt" "$run" <<'PY'
import sys
requests = [float(l.split()[3]) for l in open(sys.argv[1]) if l.startswith("request")]
asked = requests[2 * int(sys.argv[3]) - 1]
heard = [int(l.split()[1]) / 1e6 for l in open(sys.argv[2]) if l.startswith("onset")]
after = [h - asked for h in heard if h >= asked - 50]
print(f"restart {sys.argv[3]}: " + (f"count step to recorded stroke {after[0]:.1f} ms (the recording's own latency included)"
                                      if after else "no stroke recorded"))
PY
done

# Rings $2 strokes a second apart through the probe, recording what is heard;
# prints the delay and dropout figures under the label $1.
stroke_run() {
    local label=$1 count=$2 dir="$work_dir/strokes-$RANDOM"
    mkdir "$dir"; mkfifo "$dir/commands"
    parecord --latency-msec=10 -d test.monitor --raw --format=s16le --rate=48000 --channels=1 \
        | tee "$dir/rec.raw" | /usr/bin/python3 -u tests/sound/onsets.py >"$dir/onsets" &
    local recorder=$!
    QT_QPA_PLATFORM=offscreen "$bin/bench/bell_probe_bench" - <"$dir/commands" >"$dir/requests" 2>/dev/null &
    local probe=$!
    exec 4>"$dir/commands"
    echo "ready 5" >&4; sleep 3
    echo "ring $count" >&4; sleep $((count + 2))
    echo "quit 0" >&4; exec 4>&-
    wait "$probe" || true
    pkill -INT -f "parecord --latency-msec=10 -d test.monitor" || true
    wait "$recorder" 2>/dev/null || true
    /usr/bin/python3 bench/bell_strokes.py "$dir/requests" "$dir/onsets" "$dir/rec.raw" "$label"
}
strokes=${BENCH_STROKES:-100}
# Runs `$1 LABEL COUNT` idle, then beside the mixed load; $2 starts the labels.
idle_then_loaded() {
    "$1" "${2}idle" "$strokes"
    stress-ng --cpu 4 --vm 2 --io 2 --timeout $((strokes + 10)) >/dev/null 2>&1 &
    stress_pid=$!; background_pids+=($stress_pid)
    sleep 2
    "$1" "${2}under load" "$strokes"
    kill "$stress_pid" 2>/dev/null || true; wait "$stress_pid" 2>/dev/null || true
}
echo "== Bell strokes: delay and dropouts, idle and beside a mixed load (stress-ng --cpu 4 --vm 2 --io 2)"
idle_then_loaded stroke_run ""

echo "== Bell: a sound server stopped (SIGSTOP) as a stroke is rung, to the chair's notice (3 runs)"
echo "   (rule: still or unanswered for 150 ms readies the next route; for 600 ms it has stopped:"
echo "    its strokes are lost and the chair is told, which must stay within 1 s of the stop)"
mkfifo "$work_dir/freeze-commands"
QT_QPA_PLATFORM=offscreen "$bin/bench/bell_probe_bench" - <"$work_dir/freeze-commands" >/dev/null \
    2> >(/usr/bin/python3 -u -c 'import sys, time
for line in sys.stdin: print(time.monotonic_ns(), line, end="", flush=True)' >"$work_dir/freeze.err") &
probe_pid=$!; background_pids+=($probe_pid)
exec 3>"$work_dir/freeze-commands"
echo "ready 5" >&3; sleep 3
for run in 1 2 3; do
    /usr/bin/python3 -c 'import os, signal, sys, time
os.kill(int(sys.argv[1]), signal.SIGSTOP); print(time.monotonic_ns())' "$pulse_pid" >"$work_dir/frozen-$run"
    echo "ring 1" >&3; sleep 2
    kill -CONT "$pulse_pid"; sleep 4
    echo "ring 1" >&3; sleep 2 # heard again, so the next loss is told anew
    /usr/bin/python3 bench/notice_delay.py "$work_dir/frozen-$run" "$work_dir/freeze.err" "run $run, server stopped"
done
echo "quit 0" >&3; exec 3>&-
wait "$probe_pid" || true

# ALSA's default device as a card would take it: a file plugin into a FIFO
# that tests/sound/paced_reader.py reads at 48 kHz, stamping each stroke as it
# plays; no sound server. Prints the run's figures under the label $1 for $2
# strokes; with $3 = stall, instead stops the reader as a stroke is rung
# (3 runs) and prints the time to the chair's notice.
alsa_run() {
    local label=$1 count=$2 dir="$work_dir/alsa-$RANDOM"
    mkdir "$dir"; mkfifo "$dir/card" "$dir/commands"
    printf 'pcm.!default {\n type file\n slave.pcm { type null }\n file "%s"\n format "raw"\n}\n' \
        "$dir/card" >"$dir/asound.conf"
    /usr/bin/python3 tests/sound/paced_reader.py "$dir/card" "$dir/rec.raw" "$dir/onsets" &
    local reader=$!
    PULSE_SERVER=unix:/nonexistent ALSA_CONFIG_PATH="$dir/asound.conf" QT_QPA_PLATFORM=offscreen \
        "$bin/bench/bell_probe_bench" - <"$dir/commands" >"$dir/requests" \
        2> >(/usr/bin/python3 -u -c 'import sys, time
for line in sys.stdin: print(time.monotonic_ns(), line, end="", flush=True)' >"$dir/err") &
    local probe=$!
    exec 4>"$dir/commands"
    echo "ready 5" >&4; sleep 3
    if [ "${3:-}" = stall ]; then
        for run in 1 2 3; do
            /usr/bin/python3 -c 'import time; print(time.monotonic_ns())' >"$dir/stalled-$run"
            touch "$dir/rec.raw.hold"
            echo "ring 1" >&4; sleep 2
            rm "$dir/rec.raw.hold"; sleep 2
            echo "ring 1" >&4; sleep 2 # heard again, so the next stall is told anew
            /usr/bin/python3 bench/notice_delay.py "$dir/stalled-$run" "$dir/err" "run $run, device stalled"
        done
    else
        echo "ring $count" >&4; sleep $((count + 2))
    fi
    echo "quit 0" >&4; exec 4>&-
    wait "$probe" || true
    wait "$reader" 2>/dev/null || true
    [ "${3:-}" = stall ] || /usr/bin/python3 bench/bell_strokes.py "$dir/requests" "$dir/onsets" "$dir/rec.raw" "$label"
}
echo "== Bell through plain ALSA: delay and dropouts, idle and beside the mixed load"
idle_then_loaded alsa_run "ALSA "
echo "== Bell through plain ALSA: the device stops taking sound as a stroke is rung, to the chair's notice (3 runs)"
echo "   (rule: writes still for 600 ms, while this program itself runs on time, is a stopped device)"
alsa_run "ALSA stall" 0 stall

echo "== Step lag with no sound server reachable (real bell player, 1st bell a minute in)"
PULSE_SERVER=unix:/nonexistent "$bin/bench/step_lag" 75 --bell 2>"$work_dir/nolag.err"
echo "fallback notices on stderr: $(grep -c "The bell cannot be heard" "$work_dir/nolag.err" || true) (one expected)"

echo "== Engine alone (Google Benchmark)"
"$bin/bench/engine_bench" --benchmark_min_time=0.2 2>/dev/null | grep -E '^(Benchmark|-|[A-Z])'
