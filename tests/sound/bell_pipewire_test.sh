#!/usr/bin/env bash
# The bell on PipeWire, run headless (pipewire, wireplumber and pipewire-pulse
# as plain processes; run under dbus-run-session for wireplumber). Its
# pipewire daemon is stopped half a second before a bell while pipewire-pulse
# runs on and answers every query from its own state: the chair is told
# within that bell, and once the daemon runs again the bell is heard again.
set -euo pipefail
probe=$1
here=$(dirname "$0")
# Skipped (77) where PipeWire is not installed or does not come up; ALSA's
# default leads to the same server.
. "$here/pipewire_session.sh"
start_pipewire
dir=$pipewire_dir
export QT_QPA_PLATFORM=offscreen

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
