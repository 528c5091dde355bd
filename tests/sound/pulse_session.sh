# A private PulseAudio server with a null sink named "test", under its own
# runtime directory; stopped on exit. Sourced.

. "$(dirname "${BASH_SOURCE[0]}")/../common/background.sh"
pulse_dir=$(mktemp -d)
background_dirs+=("$pulse_dir")
export XDG_RUNTIME_DIR="$pulse_dir/runtime" HOME="$pulse_dir/home"
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$HOME"
unset PULSE_SERVER

start_pulse() {
    # Idle outputs are suspended after a second, as desktops do.
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
        -L module-native-protocol-unix -L "module-null-sink sink_name=test" \
        -L "module-suspend-on-idle timeout=1" >>"$pulse_dir/pulse.log" 2>&1 &
    pulse_pid=$!
    background_pids+=($pulse_pid)
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start"; cat "$pulse_dir/pulse.log"; exit 1; }
    pactl set-default-sink test
}

# Kills the server as a crash would.
kill_pulse() {
    kill -KILL "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
}

# Waits until the recording just started gets sound, that is until test $@
# holds: a sink's monitor passes nothing while the sink wakes from suspend,
# for up to two seconds here, and a stroke played then is heard only after.
wait_recording() {
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    echo "the recording got no sound"
    return 1
}

# Records a sink's monitor ($2, the null sink's by default) as raw 48 kHz
# mono s16le into $1.
start_recording() {
    parecord --latency-msec=20 -d "${2:-test.monitor}" --raw --format=s16le --rate=48000 --channels=1 "$1" &
    background_pids+=($!)
    record_pid=$!
    wait_recording test -s "$1"
}
stop_recording() {
    kill -INT "$record_pid" 2>/dev/null || true
    wait "$record_pid" 2>/dev/null || true
}

# Records a sink's monitor ($1) and writes the steady-clock time of each
# stroke's start into $2, as it is heard.
start_onsets() {
    parecord --latency-msec=10 -d "$1" --raw --format=s16le --rate=48000 --channels=1 \
        > >(/usr/bin/python3 -u "$(dirname "${BASH_SOURCE[0]}")/onsets.py" >"$2") &
    background_pids+=($!)
    record_pid=$!
    wait_recording grep -q '^recording' "$2"
}
