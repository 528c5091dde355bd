#!/usr/bin/env bash
# The real program keeps the X server's own screen saver off while a session
# runs, and lets it come on after End. The private session bus has no
# screen-saver service, so only the X server's MIT-SCREEN-SAVER extension can
# hold it off. The window is driven through the accessibility bus, which sends
# the X server no input: its idle time keeps growing all along.
set -euo pipefail
program=$1
here=$(dirname "$0")
. "$here/a11y_session.sh"
dir=$work_dir
a11y() { /usr/bin/python3 "$here/atspi.py" "$@"; }
fail() { echo "$1; the program's log:"; cat "$dir/stderr"; exit 1; }

# The server's saver through python3-xlib. set: a 3 s timeout, then reset
# (xset s 3 3; xset s reset). held: reset once more, since a suspend does not
# turn off a saver already on, should Start have been slow to land; then, for
# 10 s polled every 0.2 s, it must stay off while the server idles past its
# timeout. comes: it must come on within 10 s.
saver() {
    timeout 30 /usr/bin/python3 - "$1" 2>&1 <<'PY'
import sys, time
from Xlib import X, display

d = display.Display()
root, mode = d.screen().root, sys.argv[1]
if mode == "set":
    d.set_screen_saver(3, 3, X.DefaultBlanking, X.DefaultExposures)
if mode != "comes":
    d.force_screen_saver(X.ScreenSaverReset)
    d.sync()
if mode == "set":
    sys.exit()
end = time.monotonic() + 10
while time.monotonic() < end:
    info = root.screensaver_query_info()
    if info.state == 1:  # on
        if mode == "held":
            sys.exit(f"the saver came on while counting, {info.idle} ms after the last input")
        print(f"the saver came on {info.idle} ms after the last input")
        sys.exit()
    time.sleep(0.2)
if mode == "comes":
    sys.exit(f"the saver stayed off after End (state {info.state}, idle {info.idle} ms)")
if info.idle <= 3000:
    sys.exit(f"the server was idle only {info.idle} ms: something reset it")
print(f"the saver stayed off through {info.idle} ms without input")
PY
}

QT_LOGGING_RULES="bellwarden.*.debug=true" "$program" >"$dir/stdout" 2>"$dir/stderr" &
background_pids+=($!)
wait_window "Bellwarden coded by" >/dev/null || fail "no window"
saver set || fail "could not set the screen saver"
a11y press "Start"
# Held from when the suspend went out, however slow the press was to land.
wait_line "$dir/stderr" "X screen saver suspended" 10 || fail "no suspend after Start"
saver held || fail "the screen saver was not held off"
[ "$(a11y read)" != "15:00" ] || fail "the count did not run"
a11y press " End "
saver comes || fail "the screen saver did not come on after End"
echo "x11 screen saver test ok"
