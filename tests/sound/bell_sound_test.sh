#!/usr/bin/env bash
# End to end: the real bell player on a private PulseAudio server, its output
# recorded from the null sink's monitor, rung as soon as the output opens (the
# server still waking its suspended sink). One, two and three requests a second
# apart must give one, two and three whole strokes, one second apart. No
# second attempt: a failure that shows once is a fault to find, not noise.
set -euo pipefail
probe=$1
here=$(dirname "$0")
. "$here/pulse_session.sh"
start_pulse

attempt() {
    local rec="$pulse_dir/rec$1.raw"
    start_recording "$rec"
    QT_QPA_PLATFORM=offscreen "$probe" --silence 0.3 1,2,3 >"$pulse_dir/probe.out" 2>"$pulse_dir/probe.err"
    sleep 0.5
    stop_recording
    cat "$pulse_dir/probe.err"
    grep -q "system-beep 0" "$pulse_dir/probe.out" || { echo "fell back to the system beep"; return 1; }
    /usr/bin/python3 - "$rec" "$here" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from strokes import strokes
found = strokes(sys.argv[1])
for s in found:
    print("stroke at %.3f s, %.3f s long, peak %.2f" % s)
groups, last = [], None
for start, length, peak in found:
    if last is None or start - last > 1.6:
        groups.append([])
    groups[-1].append((start, length, peak))
    last = start
counts = [len(g) for g in groups]
assert counts == [1, 2, 3], f"strokes per group {counts}, want [1, 2, 3]"
for g in groups:
    for a, b in zip(g, g[1:]):
        assert abs((b[0] - a[0]) - 1.0) < 0.1, f"strokes {b[0] - a[0]:.3f} s apart"
for start, length, peak in found:
    assert length > 0.4, f"stroke at {start:.3f} cut short: {length:.3f} s"
    assert 0.2 < peak < 0.95, f"stroke peak {peak:.2f}"
print("bell strokes ok:", counts)
PY
}

attempt 1
