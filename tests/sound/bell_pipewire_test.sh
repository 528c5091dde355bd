#!/usr/bin/env bash
# The bell on PipeWire, run headless (pipewire, wireplumber and pipewire-pulse
# as plain processes; run under dbus-run-session for wireplumber). Its
# pipewire daemon is stopped half a second before a bell while pipewire-pulse
# runs on and answers every query from its own state: the chair is told
# within that bell, and once the daemon runs again the bell is heard again.
set -euo pipefail
probe=$1
here=$(dirname "$0")
for tool in pipewire wireplumber pipewire-pulse; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
. "$here/../common/background.sh"
dir=$(mktemp -d)
background_dirs+=("$dir")
export XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" QT_QPA_PLATFORM=offscreen
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$HOME"
unset PULSE_SERVER

pipewire >"$dir/pipewire.log" 2>&1 &
pipewire_pid=$!
background_pids+=($pipewire_pid)
wireplumber >"$dir/wireplumber.log" 2>&1 &
background_pids+=($!)
pipewire-pulse >"$dir/pipewire-pulse.log" 2>&1 &
background_pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl load-module module-null-sink sink_name=test >/dev/null
for _ in $(seq 50); do pactl set-default-sink test 2>/dev/null && break; sleep 0.1; done
# A PipeWire that cannot run headless here is the machine's, not the bell's:
# reported as skipped, with its logs.
pactl info | grep -q "Default Sink: test" ||
    { echo "skipped: PipeWire did not come up headless here"; cat "$dir"/*.log; exit 77; }

# ALSA's default leads to the same server, as on a PipeWire desktop.
printf 'pcm.!default { type pulse }\n' >"$dir/alsa.conf"
export ALSA_CONFIG_PATH="$dir/alsa.conf"
mkfifo "$dir/commands"
"$probe" - <"$dir/commands" >"$dir/requests" 2>"$dir/stderr" &
probe_pid=$!
background_pids+=($probe_pid)
exec 3>"$dir/commands"
say() { echo "$*" >&3; }
fail() { echo "$1"; cat "$dir/requests" "$dir/stderr"; exit 1; }
told() { grep -c "No sound output: the sound server stopped" "$dir/stderr" || true; }

say ready 5
sleep 3
say ring 1
sleep 1.5
grep -q "sound$" "$dir/requests" || fail "the bell did not play on PipeWire"
[ "$(told)" = 0 ] || fail "a playing server was reported stopped"
kill -STOP "$pipewire_pid"
sleep 0.5
say ring 2
sleep 2.2
[ "$(told)" = 1 ] || fail "a stopped PipeWire daemon went untold within the bell"
kill -CONT "$pipewire_pid"
sleep 4
say ring 1
sleep 1.5
say quit 0
wait "$probe_pid"
[ "$(tail -n 1 "$dir/requests" | awk '{print $5}')" = sound ] || fail "the bell did not play again"
grep -q "The bell is heard again" "$dir/stderr" || fail "the return went untold"
cat "$dir/stderr"
echo "PipeWire stall ok"
