#!/usr/bin/env bash
# The real program rings its own bells, by its own count at real speed, into
# a private sound server whose null sink is recorded: PulseAudio or a headless
# PipeWire ($2: pulse | pipewire). A 5-1-1 session in Mode-B is driven through
# the accessibility bus; while paused, the correction steps bring the count
# shortly before each bell, and the count itself rings it. After each bell
# the next is over a minute away, so the output is let go right after the
# bell's last stroke. Each stroke logged as rung must be heard once, within
# 150 ms, with no stroke heard besides and nothing said about an unheard bell.
set -euo pipefail
program=$1
server=${2:-pulse}
here=$(dirname "$0")
# First: it runs this script again under a private session bus, which
# wireplumber needs as well, and starts the X server and accessibility bus.
. "$here/a11y_session.sh"
# The sound server's runtime directory comes last, so the program finds the
# server there; it finds the accessibility bus through the session bus.
. "$here/../sound/pulse_session.sh"
case $server in
    pulse) start_pulse ;;
    pipewire) . "$here/../sound/pipewire_session.sh"; start_pipewire ;;
    *) echo "unknown sound server: $server (pulse or pipewire)"; exit 2 ;;
esac
dir=$work_dir
a11y() { /usr/bin/python3 "$here/atspi.py" "$@"; }
fail() { echo "$1"; cat "$dir/stderr"; exit 1; }
rung() { grep -c "stroke rung$" "$dir/stderr" || true; }
heard() { grep -c "^onset" "$dir/onsets" || true; }

start_program() {
    QT_LOGGING_RULES="bellwarden.sound.debug=true" \
        QT_MESSAGE_PATTERN='%{time boot} %{category}: %{message}' \
        "$program" >"$dir/stdout" 2>"$dir/stderr" &
    background_pids+=($!)
    wait_window "Bellwarden coded by" >/dev/null || fail "no window"
}

# Minutes 5, 1 and 1; Mode-B shows the time to the 3rd bell.
set_session() {
    a11y press "Five minutes less before the 1st bell"
    for _ in 1 2 3 4; do
        a11y press "One minute less between the 1st and 2nd bell"
        a11y press "One minute less between the 2nd and 3rd bell"
    done
    a11y toggle "Mode-B (Disp. Time to 3rd bell)"
    [ "$(a11y read)" = " 7:00" ] || fail "the 5-1-1 session shows '$(a11y read)'"
}

# Presses a correction step ($1) until the readout shows $2, each press once
# the one before has shown.
step_to() {
    timeout 60 /usr/bin/python3 - "$here" "$1" "$2" <<'PY' || fail "could not step to '$2'"
import sys, time
sys.path.insert(0, sys.argv[1])
import atspi

app = atspi.find_app()
step, target = atspi.find(app, name=sys.argv[2]).queryAction(), sys.argv[3]
for _ in range(60):
    shown = atspi.readout(app)
    if shown == target:
        break
    step.doAction(0)
    end = time.time() + 3
    while atspi.readout(app) == shown and time.time() < end:
        time.sleep(0.02)
else:
    sys.exit(f"at '{atspi.readout(app)}' after 60 steps")
PY
}

# Waits up to $1 s for the command after it to succeed.
await() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}
counting() { [ "$(a11y read)" != " 7:00" ]; }
rung_at_least() { [ "$(rung)" -ge "$1" ]; }
heard_at_least() { [ "$(heard)" -ge "$1" ]; }
output_closed() { [ -z "$(timeout 5 pactl list short sink-inputs)" ]; }

start_count() {
    a11y press "Start"
    await 5 counting || fail "the count did not start"
    a11y press "Pause"
}

# Resumes, lets the count ring bell $1 ($2 strokes, $3 rung in all once it
# has) and waits until the output is let go.
ring_bell() {
    a11y press "Resume"
    await 30 rung_at_least "$3" || fail "bell $1: $(rung) strokes rung, want $3"
    await 10 output_closed || fail "bell $1: the output stayed open after it"
    echo "bell $1 rung ($2 strokes), the output let go at $(a11y read)"
}

start_program
: >"$dir/onsets" # there before the helper first looks into it
start_onsets test.monitor "$dir/onsets"
set_session
start_count
# 21 steps before: the output opens while the count runs.
step_to "Correct 10 seconds forward" " 2:20"
ring_bell 1 1 1
a11y press "Pause"
# 11 steps before: the output opens while paused.
step_to "Correct 10 seconds forward" " 1:10"
ring_bell 2 2 3
a11y press "Pause"
step_to "Correct 10 seconds forward" " 0:10"
ring_bell 3 3 6
# The last onsets, as they reach the recorder.
await 2 heard_at_least 6 || true
stop_recording
verdict=0
/usr/bin/python3 "$here/bell_session_check.py" "$dir/stderr" "$dir/onsets" 150 50 1,2,3 || verdict=1
if grep -E "cannot be heard|will not be heard" "$dir/stderr"; then
    echo "the bell was said to be unheard"
    verdict=1
fi
[ $verdict = 0 ] || fail "bell session on $server failed; the program's log:"
echo "bell session on $server ok"
