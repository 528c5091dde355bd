#!/usr/bin/env bash
# The window scripted through the accessibility bus: find the controls by
# their accessible names, choose the mode, press Start and Pause, read the
# readouts.
set -euo pipefail
program=$1
here=$(dirname "$0")
. "$here/a11y_session.sh"
"$program" >"$work_dir/out.log" 2>&1 &
background_pids+=($!)
a11y() { /usr/bin/python3 "$here/atspi.py" "$@"; }

[ "$(a11y read)" = "15:00" ] || { echo "ready readout: $(a11y read)"; exit 1; }
# The mode choice through the option buttons' own Toggle action, no click.
a11y toggle "Mode-B (Disp. Time to 3rd bell)"
[ "$(a11y read)" = "20:00" ] || { echo "Mode-B by Toggle shows $(a11y read)"; exit 1; }
a11y toggle "Mode-A (Disp. Time to 2nd bell until 2nd bell)"
[ "$(a11y read)" = "15:00" ] || { echo "Mode-A by Toggle shows $(a11y read)"; exit 1; }
a11y press "Start"
sleep 2.3
got=$(a11y read)
case "$got" in 14:5[0-9]) ;; *) echo "after Start and two seconds: $got"; exit 1 ;; esac
a11y press "Pause"
[ "$(a11y visible Paused)" = 1 ] || { echo "pause label not shown"; exit 1; }
frozen=$(a11y read)
sleep 1.5
[ "$(a11y read)" = "$frozen" ] || { echo "count moved while paused"; exit 1; }
a11y press "Correct 10 seconds back"
[ "$(a11y read)" = "15:00" ] || { echo "back step gave $(a11y read)"; exit 1; }
a11y press "Resume"
a11y press " End "
[ "$(a11y read)" = "15:00" ] || { echo "after End: $(a11y read)"; exit 1; }
clock=$(a11y clock)
[[ "$clock" =~ ^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$ ]] || { echo "clock text $clock"; exit 1; }
echo "accessibility test ok"
