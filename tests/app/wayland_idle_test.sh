#!/usr/bin/env bash
# The real program, a native Wayland client of a headless sway, keeps the
# compositor from going idle while its count runs and lets it go idle after
# End. swayidle, with a three-second timeout, marks idleness with a file; the
# window is driven through the accessibility bus, which needs no X. Then a
# probe window ($2) is hidden and shown again, and its idle inhibitor must
# follow its new surface.
set -euo pipefail
program=$1
probe=$2
here=$(dirname "$0")
# First: a private session bus with an accessibility bus (and an unused X
# server) on it.
. "$here/a11y_session.sh"
dir=$work_dir
a11y() { /usr/bin/python3 "$here/atspi.py" "$@"; }
fail() { echo "$1"; echo "--- the program's log:"; cat "$dir/stderr"; exit 1; }

# sway will not run as root: then it runs as nobody, in a runtime directory
# of nobody's own, which nobody reaches through ours.
run=$dir/sway
mkdir -m 700 "$run"
printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x800\n' >"$dir/sway.conf"
as_sway_user=()
if [ "$(id -u)" -eq 0 ]; then
    chmod 711 "$dir"
    chown 65534:65534 "$run"
    chmod 644 "$dir/sway.conf"
    as_sway_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
XDG_RUNTIME_DIR=$run WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_sway_user[@]}" sway -d -c "$dir/sway.conf" >"$dir/sway.log" 2>&1 &
background_pids+=($!)
socket= swaysock=
for _ in $(seq 100); do
    for s in "$run"/wayland-*; do [ -S "$s" ] && socket=$s; done
    for s in "$run"/sway-ipc.*.sock; do [ -S "$s" ] && swaysock=$s; done
    [ -n "$socket" ] && [ -n "$swaysock" ] && break
    sleep 0.1
done
[ -n "$socket" ] && [ -n "$swaysock" ] || { echo "sway did not start"; tail -n 30 "$dir/sway.log"; exit 1; }

# The view of app id $1 in sway's tree: prints its inhibit_idle ("none" when
# sway does not report it), or fails while the view is not mapped.
view_inhibits() {
    SWAYSOCK=$swaysock timeout 5 swaymsg -r -t get_tree | /usr/bin/python3 -c '
import json, sys
def views(n):
    yield n
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        yield from views(c)
for v in views(json.load(sys.stdin)):
    if v.get("app_id") == sys.argv[1] and v.get("visible"):
        print(str(v.get("inhibit_idle", "none")).lower())
        sys.exit(0)
sys.exit(1)' "${1:-org.bellwarden.bellwarden}"
}

# swayidle marks idleness with $idle. With no input devices here nothing
# brings back a compositor that went idle, so each check starts its own.
idle=$run/idle
swayidle_pid=
start_swayidle() {
    [ -z "$swayidle_pid" ] || kill "$swayidle_pid" 2>/dev/null || true
    rm -f "$idle"
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent WAYLAND_DISPLAY=$socket \
        swayidle -d -w timeout 3 "touch $idle" resume "rm -f $idle" >>"$dir/swayidle.log" 2>&1 &
    swayidle_pid=$!
    background_pids+=($swayidle_pid)
}

# Whether sway goes idle within 10 s.
goes_idle() {
    for _ in $(seq 50); do [ -e "$idle" ] && return 0; sleep 0.2; done
    return 1
}

# Fails with $2 if sway goes idle within the next $1 seconds.
stays_awake() {
    for i in $(seq $(($1 * 5))); do
        [ ! -e "$idle" ] || fail "$2, $((i / 5)) s in"
        sleep 0.2
    done
}

env -u DISPLAY WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="bellwarden.*.debug=true" \
    "$program" >"$dir/stdout" 2>"$dir/stderr" &
background_pids+=($!)
for _ in $(seq 100); do view_inhibits >/dev/null && break; sleep 0.1; done
view_inhibits >/dev/null || fail "the window was not mapped in sway"

a11y press "Start"
# The idle clock starts once the inhibitor is asked for, however slow the
# press was to land.
wait_line "$dir/stderr" "idle inhibited on the window's surface" 10 || fail "no idle inhibitor after Start"
start_swayidle
stays_awake 10 "sway went idle while counting"
[ "$(a11y read)" != "15:00" ] || fail "the count did not start"
inhibits=$(view_inhibits) || fail "the window left sway's tree"
[ "$inhibits" != false ] || fail "sway's tree says the counting window does not inhibit idle"

a11y press " End "
goes_idle || { cat "$dir/swayidle.log"; fail "sway did not go idle within 10 s of End"; }

# The probe holds an inhibitor, is hidden (where no inhibitor may be left:
# sway must go idle) and shown again when told (where it must stay awake).
env -u DISPLAY WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
    "$probe" "$dir/show" >"$dir/probe.out" 2>"$dir/probe.err" &
background_pids+=($!)
probe_fail() { echo "$1"; echo "--- the probe's log:"; cat "$dir/probe.err"; exit 1; }
wait_line "$dir/probe.out" "hidden" 20 || probe_fail "the probe window was not hidden"
start_swayidle
goes_idle || probe_fail "sway stayed awake with the probe window hidden: an inhibitor was left"
touch "$dir/show"
wait_line "$dir/probe.out" "held again" 20 || probe_fail "the probe window was not held again once shown"
start_swayidle
stays_awake 5 "sway went idle with the probe window shown again"
inhibits=$(view_inhibits bellwarden-idle-probe) || probe_fail "the probe window is not in sway's tree"
[ "$inhibits" != false ] || probe_fail "sway's tree says the probe window shown again does not inhibit idle"
echo "wayland idle ok: no idle for 10 s while counting, idle after End;" \
    "an inhibitor let go of a hidden window and followed it shown again"
